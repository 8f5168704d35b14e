#include "graphics/gwh.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "bmp/bmp.h"
#include "common/le.h"
#include "frontend/files.h"
#include "frontend/frontend.h"

int gwhCheck(GwhFile* gwh) {
  if (!gwh || !gwh->data) {
    report("ERROR: assert : kvogwhSetAndValidate : gwh must not be NULL\n");
    return 1;
  }
  if (gwh->size < kGwhPixelsOffset) {
    report("ERROR: file data size must be at last %u is %u : %s\n", kGwhPixelsOffset, gwh->size,
           gwh->name);
    return 1;
  }
  gwh->width = rd32(gwh->data);
  gwh->height = rd32(gwh->data + 4);
  gwh->palette = gwh->data + kGwhHeaderSize;
  gwh->pixels = gwh->data + kGwhPixelsOffset;
  if (rd32(gwh->data + 8) != 0 || rd32(gwh->data + 12) != 0)
    report("WARN: file data bytes 8-16 expected zero : %s\n", gwh->name);
  // Taken in 64 bits: a width x height that overflows 32 bits must not wrap
  // into a small size that the file seems to hold.
  uint64_t needed = kGwhPixelsOffset + static_cast<uint64_t>(gwh->width) * gwh->height;
  if (gwh->size < needed) {
    report("ERROR: file data size must be at last %llu, is %u: %s\n",
           static_cast<unsigned long long>(needed), gwh->size, gwh->name);
    return 1;
  }
  gwh->pixelCount = gwh->width * gwh->height;
  return 0;
}

void kvogwhSetAndValidate(GwhFile* gwh) {
  if (gwhCheck(gwh) != 0) exitFailure();
}

GwhFile gwhLoad(const char* path) {
  long size = 0;
  GwhFile gwh;
  gwh.data = fileLoadQ(path, &size);
  gwh.size = static_cast<uint32_t>(size);
  gwh.name = path;
  kvogwhSetAndValidate(&gwh);
  return gwh;
}

void gwhFree(GwhFile* gwh) {
  std::free(gwh->data);
  *gwh = GwhFile{};
}

void gwhPrint(const GwhFile* gwh, FILE* stream) {
  std::fprintf(stream, "filename: %s\n", gwh->name);
  std::fprintf(stream, "fileSize: %u (0x%x)\n", gwh->size, gwh->size);
  std::fprintf(stream, "width : %u\n", gwh->width);
  std::fprintf(stream, "height: %u\n", gwh->height);
}

BmpImage* gwhBmpLoad(const char* path) {
  long size = 0;
  uint8_t* data = fileLoad(path, &size, 0, 0);
  if (!data) fatal("ERROR: cannot load file to memory : %s : %s\n", std::strerror(errno), path);
  return bmpFromBuffer(data, static_cast<uint32_t>(size), path);
}
