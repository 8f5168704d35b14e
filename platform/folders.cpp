#include "platform/folders.h"

#include <filesystem>
#include <system_error>

#include "platform/platform.h"

#ifdef _WIN32
#include <io.h>
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
  std::error_code error;
  fs::path native = nativePath(path);
  if (!fs::is_regular_file(native, error)) return false;
  *size = fs::file_size(native, error);
  if (error) return false;
  auto time = fs::last_write_time(native, error);
  if (error) return false;
  *modified = std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
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
