// The small layer that stands in for the Windows-only file interfaces.
// On Windows the real _stat / _findfirst family is used; on POSIX a backslash
// in a path is a directory separator whenever the file system is touched.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct PlatStat {
  bool isRegular = false;
  bool isDirectory = false;
  uint64_t size = 0;
};

// The path as the file system wants it (backslashes become slashes on POSIX).
std::string platNativePath(const char* path);

// File status; false when the path does not exist or cannot be queried.
bool platStat(const char* path, PlatStat* st);

FILE* platFopen(const char* path, const char* mode);
int platRemove(const char* path);
// Replaces `to` by `from` (both on the same file system) in one step: when
// it fails, both files are as they were.
int platRename(const char* from, const char* to);

// 64-bit seek and tell for disc images larger than 2 GiB.
int platFseek64(FILE* fp, int64_t offset, int origin);
int64_t platFtell64(FILE* fp);

struct PlatFindEntry {
  std::string name;  // name only, without the directory part
  bool isDirectory = false;
};

// Directory search: the pattern's last component may hold * and ? wildcards.
// Entries come back sorted by name so runs are reproducible; "." and ".." are
// included when they match, as the Windows search does.
std::vector<PlatFindEntry> platFind(const char* pattern);

// Matches a name against a pattern of * and ? wildcards (Windows rules:
// case-insensitive on Windows, case-sensitive elsewhere).
bool platWildcardMatch(const char* pattern, const char* name);

// Whether a command-line argument is an option. Options begin with "-" or "/".
// On POSIX an absolute path also begins with "/", so there a "/" argument is
// an option only when it holds no further "/" (as "/h" or "/c2"); "/tmp/a.bin"
// is a file name.
bool platIsOption(const char* arg);
