#include "common/fileio.h"

#include <cstdio>
#include <cstdlib>

#include "common/diag.h"
#include "common/safeout.h"
#include "common/stdioe.h"
#include "platform/platform.h"

uint32_t fileSizeE(const char* path) {
  PlatStat st;
  if (!platStat(path, &st) || !st.isRegular || st.size > 0x7FFFFFFFu)
    fatal("ERROR: cant get size of file : %s\n", path);
  return static_cast<uint32_t>(st.size);
}

uint32_t fileReadAt(const char* path, void* buffer, uint32_t offset, uint32_t length) {
  FILE* fp = fopenE(path, "rb");
  if (offset != 0) fseekE(fp, static_cast<int32_t>(offset), SEEK_SET);
  size_t got = freadE(buffer, 1, length, fp);
  fcloseE(fp);
  return static_cast<uint32_t>(got);
}

uint8_t* fileLoadAtE(const char* path, uint32_t offset, uint32_t length) {
  if (length == 0) fatal("ERROR: file \"%s\" has zero size\n", path);
  uint8_t* data = static_cast<uint8_t*>(std::malloc(length));
  if (!data) fatal("ERROR: error allocating %u bytes\n", length);
  fileReadAt(path, data, offset, length);
  return data;
}

uint8_t* fileLoadS(const char* path, uint32_t* size) {
  *size = fileSizeE(path);
  return fileLoadAtE(path, 0, *size);
}

uint32_t fileWriteAt(const char* path, const void* data, uint32_t offset, uint32_t length,
                     const char* mode) {
  FILE* fp = fopenE(path, mode);
  if (offset != 0) fseekE(fp, static_cast<int32_t>(offset), SEEK_SET);
  fwriteE(data, 1, length, fp);
  fcloseE(fp);
  return length;
}

uint32_t fileSaveS(const char* path, const void* data, uint32_t length) {
  return outSave(path, data, length);
}

uint8_t* fileLoadReport(const char* path, long* size) {
  PlatStat st;
  *size = (platStat(path, &st) && st.isRegular && st.size <= 0x7FFFFFFFu)
              ? static_cast<long>(st.size)
              : -1;
  if (*size < 0) {
    report("ERROR: cant read(find) \"%s\"\n", path);
    return nullptr;
  }
  if (*size == 0) {
    report("ERROR: file \"%s\" has zero size\n", path);
    return nullptr;
  }
  uint8_t* data = static_cast<uint8_t*>(std::malloc(*size));
  if (!data) {
    report("ERROR: error allocating %ld bytes\n", *size);
    return nullptr;
  }
  FILE* fp = platFopen(path, "rb");
  size_t done = 0;
  if (fp) {
    for (int call = 0; call < 32 && done < static_cast<size_t>(*size) && !std::feof(fp); ++call)
      done += std::fread(data + done, 1, *size - done, fp);
    std::fclose(fp);
  }
  if (done < static_cast<size_t>(*size)) {
    report("ERROR: error reading from \"%s\"\n", path);
    std::free(data);
    return nullptr;
  }
  return data;
}
