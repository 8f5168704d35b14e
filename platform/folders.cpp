#include "platform/folders.h"

#include <filesystem>
#include <system_error>

#include "platform/platform.h"

#ifdef _WIN32
#include <io.h>
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {
fs::path nativePath(const std::string& path) {
#ifdef _WIN32
  return fs::u8path(path);
#else
  return fs::path(platNativePath(path.c_str()));
#endif
}
}  // namespace

bool platMakeFolders(const std::string& path) {
  std::error_code error;
  fs::create_directories(nativePath(path), error);
  return fs::is_directory(nativePath(path), error);
}

bool platFileTime(const std::string& path, uint64_t* size, int64_t* modified) {
#ifdef _WIN32
  // The time to 100 ns: std::filesystem of MinGW gives whole seconds, so an
  // edit within the second of the unpack would look unchanged.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(nativePath(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
    return false;
  *size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  const uint64_t ticks =
      uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
  const int64_t kTicksFrom1601To1970 = 116444736000000000;
  *modified = (int64_t(ticks) - kTicksFrom1601To1970) * 100;
  return true;
#else
  struct stat info;
  if (stat(platNativePath(path.c_str()).c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return false;
  *size = uint64_t(info.st_size);
  *modified = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return true;
#endif
}

std::string platRelativePath(const std::string& path, const std::string& base) {
  std::error_code error;
  fs::path p = fs::absolute(nativePath(path), error).lexically_normal();
  fs::path b = fs::absolute(nativePath(base), error).lexically_normal();
  if (error) return path;
  fs::path relative = p.lexically_relative(b);
  // Another drive: no relative way there.
  return relative.empty() ? p.generic_u8string() : relative.generic_u8string();
}

bool platCopyFile(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::copy_file(nativePath(from), nativePath(to), fs::copy_options::overwrite_existing, error);
  return !error;
}

bool platSameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(nativePath(a), nativePath(b), error)) return true;
  fs::path pa = fs::absolute(nativePath(a), error).lexically_normal();
  fs::path pb = fs::absolute(nativePath(b), error).lexically_normal();
  return pa == pb;
}

bool platIsTerminal(bool standardError) {
#ifdef _WIN32
  return _isatty(standardError ? 2 : 1) != 0;
#else
  return isatty(standardError ? 2 : 1) != 0;
#endif
}
