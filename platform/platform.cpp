#include "platform/platform.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cerrno>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

std::string platNativePath(const char* path) {
  std::string native(path ? path : "");
#ifndef _WIN32
  std::replace(native.begin(), native.end(), '\\', '/');
#endif
  return native;
}

#ifdef _WIN32
// The Windows status query fails on a directory named with a trailing
// separator ("new\\"), which POSIX accepts; roots ("\\", "C:\\") keep theirs.
static std::string withoutTrailingSeparators(const char* path) {
  std::string trimmed(path);
  auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
  while (trimmed.size() > 1 && isSeparator(trimmed.back()) && trimmed[trimmed.size() - 2] != ':')
    trimmed.pop_back();
  return trimmed;
}
#endif

bool platStat(const char* path, PlatStat* st) {
  *st = PlatStat();
#ifdef _WIN32
  std::string trimmed = withoutTrailingSeparators(path);
  struct _stat64 info;
  if (_stat64(trimmed.c_str(), &info) != 0) return false;
  st->isRegular = (info.st_mode & _S_IFREG) != 0;
  st->isDirectory = (info.st_mode & _S_IFDIR) != 0;
  // As on POSIX, only a directory may be named with a trailing separator.
  if (trimmed.size() != std::strlen(path) && !st->isDirectory) {
    *st = PlatStat();
    return false;
  }
#else
  struct stat info;
  if (stat(platNativePath(path).c_str(), &info) != 0) return false;
  st->isRegular = S_ISREG(info.st_mode);
  st->isDirectory = S_ISDIR(info.st_mode);
#endif
  st->size = static_cast<uint64_t>(info.st_size);
  return true;
}

FILE* platFopen(const char* path, const char* mode) {
  return std::fopen(platNativePath(path).c_str(), mode);
}

int platRemove(const char* path) { return std::remove(platNativePath(path).c_str()); }

#ifdef _WIN32
static int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}
#endif

int platRename(const char* from, const char* to) {
#ifdef _WIN32
  // One call that replaces an existing file: when it fails, both files stay.
  // The ANSI call reads paths in the process code page, UTF-8 by the
  // programs' manifest, as the C runtime's file calls and arguments do.
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING)) return 0;
  errno = errnoOf(GetLastError());
  return -1;
#else
  return std::rename(platNativePath(from).c_str(), platNativePath(to).c_str());
#endif
}

int platFseek64(FILE* fp, int64_t offset, int origin) {
#ifdef _WIN32
  return _fseeki64(fp, offset, origin);
#else
  return fseeko(fp, static_cast<off_t>(offset), origin);
#endif
}

int64_t platFtell64(FILE* fp) {
#ifdef _WIN32
  return _ftelli64(fp);
#else
  return static_cast<int64_t>(ftello(fp));
#endif
}

static char foldCase(char c) {
#ifdef _WIN32
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
#else
  return c;
#endif
}

bool platWildcardMatch(const char* pattern, const char* name) {
  // Iterative match with a single backtrack point for the last '*'.
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name) {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || (*pattern && foldCase(*pattern) == foldCase(*name))) {
      ++pattern;
      ++name;
    } else if (star) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

std::vector<PlatFindEntry> platFind(const char* pattern) {
  std::vector<PlatFindEntry> entries;
#ifdef _WIN32
  struct _finddata_t data;
  intptr_t handle = _findfirst(pattern, &data);
  if (handle != -1) {
    do {
      entries.push_back({data.name, (data.attrib & _A_SUBDIR) != 0});
    } while (_findnext(handle, &data) == 0);
    _findclose(handle);
  }
#else
  std::string native = platNativePath(pattern);
  size_t slash = native.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : native.substr(0, slash + 1);
  std::string mask = slash == std::string::npos ? native : native.substr(slash + 1);
  DIR* handle = opendir(dir.c_str());
  if (!handle) return entries;
  while (struct dirent* ent = readdir(handle)) {
    if (!platWildcardMatch(mask.c_str(), ent->d_name)) continue;
    PlatStat st;
    bool isDir = platStat((dir + "/" + ent->d_name).c_str(), &st) && st.isDirectory;
    entries.push_back({ent->d_name, isDir});
  }
  closedir(handle);
#endif
  std::sort(entries.begin(), entries.end(),
            [](const PlatFindEntry& a, const PlatFindEntry& b) { return a.name < b.name; });
  return entries;
}

bool platIsOption(const char* arg) {
  if (arg[0] == '-') return true;
  if (arg[0] != '/') return false;
#ifdef _WIN32
  return true;
#else
  return std::strchr(arg + 1, '/') == nullptr;
#endif
}
