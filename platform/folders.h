// Folders and file times, for the project tool that writes a whole tree of
// files and later tells which of them the user changed.
#pragma once

#include <cstdint>
#include <string>

// Creates the folder and any missing folders above it; true when it exists
// afterwards.
bool platMakeFolders(const std::string& path);

// Size and modification time (nanoseconds) of a regular file; false when it
// is missing or no regular file.
bool platFileTime(const std::string& path, uint64_t* size, int64_t* modified);

// `path` as seen from the folder `base` ("../game.iso"), with "/" between
// folders; the absolute path when there is no relative way (another drive).
std::string platRelativePath(const std::string& path, const std::string& base);

// Copies a whole file (in the kernel where the system can), replacing `to`.
bool platCopyFile(const std::string& from, const std::string& to);

// Whether two paths name the same file (or would, for one that does not
// exist yet).
bool platSameFile(const std::string& a, const std::string& b);

// Whether standard output or standard error is a terminal (for progress).
bool platIsTerminal(bool standardError);
