#include "common/streams.h"

#include <cerrno>
#include <cstring>

#include "platform/platform.h"

Result<FILE*> openedOrFailure(FILE* fp, const char* path) {
  Result<FILE*> result;
  result.value = fp;
  if (!fp)
    result.status = failure("ERROR: can't open file : %s : %s\n", path, std::strerror(errno));
  return result;
}

Result<FILE*> openStream(const char* path, const char* mode) {
  return openedOrFailure(platFopen(path, mode), path);
}

Status seekNamed(FILE* fp, const char* path, int32_t offset, int origin) {
  if (std::fseek(fp, offset, origin) == 0 && !std::ferror(fp)) return Status();
  const int err = errno;
  return failure("ERROR: can't seek %ldB in file : %s : %s \n", static_cast<long>(offset), path,
                 std::strerror(err));
}

Result<size_t> readNamed(FILE* fp, const char* path, void* buffer, size_t size, size_t count) {
  Result<size_t> result;
  result.value = std::fread(buffer, size, count, fp);
  if (result.value != count && !std::feof(fp)) {
    const int err = errno;
    result.status = failure("ERROR: can't read from file : %s : %s\n", path, std::strerror(err));
  }
  return result;
}

Status writeNamed(FILE* fp, const char* path, const void* buffer, size_t size, size_t count) {
  if (std::fwrite(buffer, size, count, fp) == count) return Status();
  const int err = errno;
  return failure("ERROR: can't write to file : %s : %s\n", path, std::strerror(err));
}

Status closeNamed(FILE* fp, const char* path) {
  if (std::fclose(fp) == 0) return Status();
  return failure("ERROR: can't close file : %s : %s\n", path, std::strerror(errno));
}

Status seekUnnamed(FILE* fp, int64_t offset, int origin) {
  if (platFseek64(fp, offset, origin) == 0 && !std::ferror(fp)) return Status();
  const int err = errno;
  return failure("ERROR: can't seek in file : %s \n", std::strerror(err));
}

Result<size_t> readUnnamed(FILE* fp, void* buffer, size_t size, size_t count) {
  Result<size_t> result;
  result.value = std::fread(buffer, size, count, fp);
  if (result.value != count && !std::feof(fp)) {
    const int err = errno;
    result.status = failure("ERROR: can't read from file : %s\n", std::strerror(err));
  }
  return result;
}

Status writeUnnamed(FILE* fp, const void* buffer, size_t size, size_t count) {
  if (std::fwrite(buffer, size, count, fp) == count) return Status();
  const int err = errno;
  return failure("ERROR: can't write to file : %s\n", std::strerror(err));
}
