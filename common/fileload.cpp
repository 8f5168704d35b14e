#include "common/fileload.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "common/safeout.h"
#include "platform/platform.h"
#include "platform/replace.h"

// Files of 2 GiB or more are outside what the tools handle; such a size is
// reported like a failed allocation instead of being cut to 32 bits.
static const uint64_t kLargestBlock = 0x7FFFFFFF;

namespace {

// Opens the file and finds its length; *size as fileLoad sets it. Null when
// there is nothing to read.
FILE* openSized(const char* path, long* size) {
  *size = -1;
  // A folder opens as a stream on some systems but is no file to load.
  PlatStat st;
  if (platStat(path, &st) && st.isDirectory) {
    errno = EISDIR;
    return nullptr;
  }
  FILE* fp = platFopen(path, "rb");
  if (!fp) return nullptr;
  int64_t length = platFseek64(fp, 0, SEEK_END) == 0 ? platFtell64(fp) : -1;
  if (length > 0 && platFseek64(fp, 0, SEEK_SET) != 0) length = -1;
  if (length <= 0) {
    *size = length < 0 ? -1 : 0;
    std::fclose(fp);
    return nullptr;
  }
  *size = static_cast<long>(length);
  return fp;
}

// The block size, or the value fileLoad reports when it is too large.
long refusedBlockSize(uint64_t block) {
  return block > static_cast<uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(block);
}

}  // namespace

uint8_t* fileLoad(const char* path, long* size, uint32_t before, uint32_t after) {
  FILE* fp = openSized(path, size);
  if (!fp) return nullptr;
  const size_t length = static_cast<size_t>(*size);
  uint64_t block = static_cast<uint64_t>(length) + before + after;
  uint8_t* data = block <= kLargestBlock ? static_cast<uint8_t*>(std::malloc(block)) : nullptr;
  if (!data) {
    std::fclose(fp);
    *size = refusedBlockSize(block);
    return nullptr;
  }
  if (std::fread(data + before, 1, length, fp) != length) {
    std::free(data);
    *size = -1;
    std::fclose(fp);
    return nullptr;
  }
  std::fclose(fp);
  return data;
}

Status fileLoadFailure(const char* path, long size, FileWording wording) {
  if (wording == FileWording::Plain) {
    if (size == 0) return failure("ERROR: file size expected bigger than zero : %s\n", path);
    if (size < 0) return failure("ERROR: file not exist or read error occurred : %s\n", path);
    return failure("ERROR: cannot allocate %ld bytes of memory : %s\n", size, path);
  }
  const char* reason = size == 0  ? "file size expected greater than zero bytes"
                       : size < 0 ? "read file error occurred"
                                  : "memory allocation error occurred";
  return failure("ERROR: couldn't load data to memory from file '%s'\n      (%s)\n", path, reason);
}

Result<std::vector<uint8_t>> loadFile(const char* path, FileWording wording, uint32_t before) {
  Result<std::vector<uint8_t>> result;
  long size = 0;
  FILE* fp = openSized(path, &size);
  if (!fp) {
    result.status = fileLoadFailure(path, size, wording);
    return result;
  }
  const size_t length = static_cast<size_t>(size);
  const uint64_t block = static_cast<uint64_t>(length) + before;
  try {
    if (block > kLargestBlock) throw std::bad_alloc();
    result.value.resize(static_cast<size_t>(block));
  } catch (const std::bad_alloc&) {
    std::fclose(fp);
    result.status = fileLoadFailure(path, refusedBlockSize(block), wording);
    return result;
  }
  const bool complete = std::fread(result.value.data() + before, 1, length, fp) == length;
  std::fclose(fp);
  if (!complete) {
    result.value.clear();
    result.status = fileLoadFailure(path, -1, wording);
  }
  return result;
}

uint32_t fileSave(const char* path, const void* data, uint32_t length) {
  return platReplaceSave(path, data, length) ? length : 0;
}

Status saveFile(const char* path, const void* data, uint32_t length, FileWording wording) {
  if (platReplaceSave(path, data, length)) return Status();
  if (wording == FileWording::Plain)
    return failure("ERROR: couldn't write data (%u bytes) to file : %s%s\n", length, path,
                   outKeptNote());
  return failure("ERROR: couldn't write data (%u bytes) to file '%s'%s\n", length, path,
                 outKeptNote());
}
