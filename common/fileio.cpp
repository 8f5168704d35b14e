#include "common/fileio.h"

#include <cstdio>
#include <new>

#include "common/streams.h"
#include "platform/platform.h"

Result<uint32_t> regularFileSize(const char* path) {
  Result<uint32_t> result;
  PlatStat st;
  if (!platStat(path, &st) || !st.isRegular || st.size > 0x7FFFFFFFu)
    result.status = failure("ERROR: cant get size of file : %s\n", path);
  else
    result.value = static_cast<uint32_t>(st.size);
  return result;
}

Result<std::vector<uint8_t>> loadRegularFile(const char* path) {
  Result<std::vector<uint8_t>> result;
  PlatStat st;
  const long size = (platStat(path, &st) && st.isRegular && st.size <= 0x7FFFFFFFu)
                        ? static_cast<long>(st.size)
                        : -1;
  if (size < 0) {
    result.status = failure("ERROR: cant read(find) \"%s\"\n", path);
    return result;
  }
  if (size == 0) {
    result.status = failure("ERROR: file \"%s\" has zero size\n", path);
    return result;
  }
  try {
    result.value.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    result.status = failure("ERROR: error allocating %ld bytes\n", size);
    return result;
  }
  FILE* fp = platFopen(path, "rb");
  size_t done = 0;
  if (fp) {
    for (int call = 0; call < 32 && done < result.value.size() && !std::feof(fp); ++call)
      done += std::fread(result.value.data() + done, 1, result.value.size() - done, fp);
    std::fclose(fp);
  }
  if (done < result.value.size()) {
    result.value.clear();
    result.status = failure("ERROR: error reading from \"%s\"\n", path);
  }
  return result;
}

Result<std::vector<uint8_t>> loadSizedFile(const char* path) {
  Result<std::vector<uint8_t>> result;
  Result<uint32_t> size = regularFileSize(path);
  if (!size.ok()) {
    result.status = size.status;
    return result;
  }
  if (size.value == 0) {
    result.status = failure("ERROR: file \"%s\" has zero size\n", path);
    return result;
  }
  try {
    result.value.resize(size.value);
  } catch (const std::bad_alloc&) {
    result.status = failure("ERROR: error allocating %u bytes\n", size.value);
    return result;
  }
  Result<FILE*> fp = openStream(path, "rb");
  if (!fp.ok()) {
    result.status = fp.status;
    return result;
  }
  Result<size_t> read = readNamed(fp.value, path, result.value.data(), 1, size.value);
  Status closed = closeNamed(fp.value, path);
  result.status = !read.ok() ? read.status : closed;
  return result;
}
