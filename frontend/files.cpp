#include "frontend/files.h"

#include <cstdlib>
#include <cstring>

#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "platform/platform.h"

uint8_t* fileLoadE(const char* path, long* size, uint32_t before, uint32_t after) {
  uint8_t* data = fileLoad(path, size, before, after);
  if (!data) exitOnFailure(fileLoadFailure(path, *size, FileWording::Plain));
  return data;
}

uint8_t* fileLoadQ(const char* path, long* size) {
  uint8_t* data = fileLoad(path, size, 0, 0);
  if (!data) exitOnFailure(fileLoadFailure(path, *size, FileWording::Quoted));
  return data;
}

uint32_t fileSaveE(const char* path, const void* data, uint32_t length) {
  exitOnFailure(saveFile(path, data, length, FileWording::Plain));
  return length;
}

uint32_t fileSaveQ(const char* path, const void* data, uint32_t length) {
  exitOnFailure(saveFile(path, data, length, FileWording::Quoted));
  return length;
}

uint32_t fileSizeE(const char* path) { return valueOrExit(regularFileSize(path)); }

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
  Result<std::vector<uint8_t>> loaded = loadRegularFile(path);
  if (!loaded.ok()) {
    report("%s", loaded.status.message.c_str());
    return nullptr;
  }
  uint8_t* data = static_cast<uint8_t*>(std::malloc(loaded.value.size()));
  if (!data) {
    report("ERROR: error allocating %ld bytes\n", *size);
    return nullptr;
  }
  std::memcpy(data, loaded.value.data(), loaded.value.size());
  return data;
}
