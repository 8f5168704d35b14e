// Writing a file that may be the tool's own input: the data goes to a
// temporary file beside the target, which replaces the target only after the
// whole write succeeded. A failed write leaves the target as it was.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The temporary name used beside `path`.
std::string tempPathBeside(const char* path);

// Opens the temporary file for writing. Its named-stream messages name
// `path`, the file the user asked for. Ends the process when it cannot be
// created: "ERROR: can't open file : %s : %s\n".
FILE* tempOpenBeside(const char* path, std::string* tempPath);

// Closes the temporary stream and renames it over `path`; on failure removes
// the temporary file, prints "ERROR: can't replace file : %s : %s\n" and ends
// the process.
void tempCommit(FILE* fp, const std::string& tempPath, const char* path);

// Writes `data` whole to `path` through a temporary file. Returns false (the
// temporary file removed, `path` untouched) when any step failed; the caller
// prints its own message.
bool saveReplacing(const char* path, const void* data, uint32_t size);
