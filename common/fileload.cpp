#include "common/fileload.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "common/diag.h"
#include "common/safeout.h"
#include "platform/platform.h"
#include "platform/replace.h"

// Files of 2 GiB or more are outside what the tools handle; such a size is
// reported like a failed allocation instead of being cut to 32 bits.
static const uint64_t kLargestBlock = 0x7FFFFFFF;

uint8_t* fileLoad(const char* path, long* size, uint32_t before, uint32_t after) {
  *size = -1;
  // A folder opens as a stream on some systems but is no file to load.
  PlatStat st;
  if (platStat(path, &st) && st.isDirectory) {
    errno = EISDIR;
    return nullptr;
  }
  FILE* fp = platFopen(path, "rb");
  if (!fp) return nullptr;
  if (platFseek64(fp, 0, SEEK_END) != 0) {
    std::fclose(fp);
    return nullptr;
  }
  int64_t length = platFtell64(fp);
  if (length <= 0) {
    *size = length < 0 ? -1 : 0;
    std::fclose(fp);
    return nullptr;
  }
  *size = static_cast<long>(length);
  if (platFseek64(fp, 0, SEEK_SET) != 0) {
    std::fclose(fp);
    *size = -1;
    return nullptr;
  }
  uint64_t block = static_cast<uint64_t>(length) + before + after;
  uint8_t* data = block <= kLargestBlock ? static_cast<uint8_t*>(std::malloc(block)) : nullptr;
  if (!data) {
    std::fclose(fp);
    *size = block > static_cast<uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(block);
    return nullptr;
  }
  if (std::fread(data + before, 1, length, fp) != static_cast<size_t>(length)) {
    std::free(data);
    *size = -1;
    std::fclose(fp);
    return nullptr;
  }
  std::fclose(fp);
  return data;
}

uint8_t* fileLoadE(const char* path, long* size, uint32_t before, uint32_t after) {
  uint8_t* data = fileLoad(path, size, before, after);
  if (data) return data;
  if (*size == 0) fatal("ERROR: file size expected bigger than zero : %s\n", path);
  if (*size < 0) fatal("ERROR: file not exist or read error occurred : %s\n", path);
  fatal("ERROR: cannot allocate %ld bytes of memory : %s\n", *size, path);
}

uint8_t* fileLoadQ(const char* path, long* size) {
  uint8_t* data = fileLoad(path, size, 0, 0);
  if (data) return data;
  report("ERROR: couldn't load data to memory from file '%s'\n", path);
  if (*size == 0) fatal("      (file size expected greater than zero bytes)\n");
  if (*size < 0) fatal("      (read file error occurred)\n");
  fatal("      (memory allocation error occurred)\n");
}

// The whole file or nothing: a failed write leaves an existing file as it was
// (the output is often the tool's own input). Returns bytes written, or -1.
static int64_t saveBytes(const char* path, const void* data, uint32_t length) {
  return platReplaceSave(path, data, length) ? static_cast<int64_t>(length) : -1;
}

uint32_t fileSave(const char* path, const void* data, uint32_t length) {
  int64_t written = saveBytes(path, data, length);
  return written < 0 ? 0 : static_cast<uint32_t>(written);
}

uint32_t fileSaveE(const char* path, const void* data, uint32_t length) {
  if (saveBytes(path, data, length) != length)
    fatal("ERROR: couldn't write data (%u bytes) to file : %s%s\n", length, path, outKeptNote());
  return length;
}

uint32_t fileSaveQ(const char* path, const void* data, uint32_t length) {
  if (saveBytes(path, data, length) != length)
    fatal("ERROR: couldn't write data (%u bytes) to file '%s'%s\n", length, path, outKeptNote());
  return length;
}
