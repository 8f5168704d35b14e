#include "codec/filemap.h"

#include <string>

#include "platform/platform.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#define KVO_CODEC_MMAP 1
#endif

#ifdef KVO_CODEC_MMAP

bool cxMapFile(const char* path, const char* otherPath, CxFileMap* map) {
  *map = CxFileMap();
  const int fd = open(platNativePath(path).c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st {};
  bool usable = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
                st.st_size <= 0x7FFFFFFF;
  struct stat other {};
  if (usable && otherPath && stat(platNativePath(otherPath).c_str(), &other) == 0 &&
      other.st_dev == st.st_dev && other.st_ino == st.st_ino)
    usable = false;
  int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
  flags |= MAP_POPULATE;  // one call sets up every page instead of one fault per page
#endif
  void* p = usable ? mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, flags, fd, 0)
                   : MAP_FAILED;
  close(fd);
  if (p == MAP_FAILED) return false;
  map->data = static_cast<const uint8_t*>(p);
  map->size = static_cast<uint32_t>(st.st_size);
  map->length = static_cast<size_t>(st.st_size);
  return true;
}

void cxUnmapFile(CxFileMap* map) {
  if (map->data) munmap(const_cast<uint8_t*>(map->data), map->length);
  *map = CxFileMap();
}

#else

bool cxMapFile(const char*, const char*, CxFileMap* map) {
  *map = CxFileMap();
  return false;
}

void cxUnmapFile(CxFileMap* map) { *map = CxFileMap(); }

#endif
