#include "platform/filemap.h"

#include <string>

#include "platform/platform.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#define KVO_PLATFORM_MMAP 1
#endif

#ifdef KVO_PLATFORM_MMAP

bool PlatFileMap::map(const char* path, const char* otherPath, uint32_t prefix) {
  unmap();
  const int fd = open(platNativePath(path).c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st {};
  bool usable =
      fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= 0x7FFFFFFF;
  struct stat other {};
  if (usable && otherPath && stat(platNativePath(otherPath).c_str(), &other) == 0 &&
      other.st_dev == st.st_dev && other.st_ino == st.st_ino)
    usable = false;
  const long page = sysconf(_SC_PAGESIZE);
  if (page <= 0 || prefix % page != 0) usable = false;
  const size_t size = static_cast<size_t>(st.st_size);
  // The prefix: an anonymous mapping, whose pages read as zeros; the file is
  // mapped over its end.
  void* block = usable ? mmap(nullptr, prefix + size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                       : MAP_FAILED;
  int flags = MAP_PRIVATE | MAP_FIXED;
#ifdef MAP_POPULATE
  flags |= MAP_POPULATE;  // one call sets up every page instead of one fault per page
#endif
  void* data = block != MAP_FAILED
                   ? mmap(static_cast<uint8_t*>(block) + prefix, size, PROT_READ, flags, fd, 0)
                   : MAP_FAILED;
  close(fd);
  if (data == MAP_FAILED) {
    if (block != MAP_FAILED) munmap(block, prefix + size);
    return false;
  }
  data_ = static_cast<const uint8_t*>(data);
  size_ = static_cast<uint32_t>(size);
  block_ = static_cast<const uint8_t*>(block);
  length_ = prefix + size;
  return true;
}

void PlatFileMap::unmap() {
  if (block_) munmap(const_cast<uint8_t*>(block_), length_);
  data_ = nullptr;
  size_ = 0;
  block_ = nullptr;
  length_ = 0;
}

#else

bool PlatFileMap::map(const char*, const char*, uint32_t) { return false; }

void PlatFileMap::unmap() {}

#endif
