#include "common/stdioe.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/diag.h"
#include "platform/platform.h"

namespace {
struct FpName {
  FILE* fp;
  char* path;
};
FpName gSlots[kFpToNameSlots];
int gUsed = 0;
int gHighest = -1;

int findSlot(FILE* fp) {
  for (int i = 0; i <= gHighest; ++i)
    if (gSlots[i].fp == fp) return i;
  return -1;
}
}  // namespace

FILE* fopenE(const char* path, const char* mode) {
  FILE* fp = platFopen(path, mode);
  if (!fp) fatal("ERROR: can't open file : %s : %s\n", path, std::strerror(errno));
  fpToNameAdd(fp, path);
  return fp;
}

void fpToNameAdd(FILE* fp, const char* path) {
  int slot = gHighest + 1;
  for (int i = 0; i < gHighest; ++i) {
    if (!gSlots[i].fp) {
      slot = i;
      break;
    }
  }
  if (slot >= kFpToNameSlots) {
    report("WARN: TODO fpToNameAdd : enable more than %d files\n", kFpToNameSlots);
    return;
  }
  uint32_t size = static_cast<uint32_t>(std::strlen(path) + 4);
  char* copy = static_cast<char*>(std::malloc(size));
  if (!copy) fatal("ERROR: stdioE: cannot malloc %u bytes.\n", size);
  std::memcpy(copy, path, std::strlen(path) + 1);
  gSlots[slot].fp = fp;
  gSlots[slot].path = copy;
  if (slot > gHighest) gHighest = slot;
  ++gUsed;
}

const char* fpToNameGet(FILE* fp) {
  int slot = fp ? findSlot(fp) : -1;
  return slot < 0 ? "ErrorNameNotSet" : gSlots[slot].path;
}

void fpToNameRemove(FILE* fp) {
  int slot = fp ? findSlot(fp) : -1;
  if (slot < 0) return;
  std::free(gSlots[slot].path);
  gSlots[slot].fp = nullptr;
  gSlots[slot].path = nullptr;
  --gUsed;
  if (slot == gHighest) --gHighest;
}

int fcloseReport(FILE* fp) {
  // The path is copied before the slot is freed so the message can still name it.
  char path[4096];
  std::snprintf(path, sizeof path, "%s", fpToNameGet(fp));
  fpToNameRemove(fp);
  int result = std::fclose(fp);
  if (result != 0) report("ERROR: can't close file : %s : %s\n", path, std::strerror(errno));
  return result;
}

int fcloseE(FILE* fp) {
  if (fcloseReport(fp) != 0) exitFailure();
  return 0;
}

int fseekE(FILE* fp, int32_t offset, int origin) {
  if (std::fseek(fp, offset, origin) != 0 || std::ferror(fp)) {
    int err = errno;
    report("ERROR: can't seek %ldB in file : %s : %s \n", static_cast<long>(offset), fpToNameGet(fp),
           std::strerror(err));
    std::fclose(fp);
    exitFailure();
  }
  return 0;
}

size_t freadE(void* buffer, size_t size, size_t count, FILE* fp) {
  size_t got = std::fread(buffer, size, count, fp);
  if (got != count && !std::feof(fp)) {
    int err = errno;
    report("ERROR: can't read from file : %s : %s\n", fpToNameGet(fp), std::strerror(err));
    std::fclose(fp);
    exitFailure();
  }
  return got;
}

size_t fwriteE(const void* buffer, size_t size, size_t count, FILE* fp) {
  size_t put = std::fwrite(buffer, size, count, fp);
  if (put != count) {
    int err = errno;
    report("ERROR: can't write to file : %s : %s\n", fpToNameGet(fp), std::strerror(err));
    std::fclose(fp);
    exitFailure();
  }
  return count;
}

FILE* fopenU(const char* path, const char* mode) {
  FILE* fp = platFopen(path, mode);
  if (!fp) fatal("ERROR: can't open file : %s : %s\n", path, std::strerror(errno));
  return fp;
}

int fseekU(FILE* fp, int64_t offset, int origin) {
  if (platFseek64(fp, offset, origin) != 0 || std::ferror(fp)) {
    int err = errno;
    report("ERROR: can't seek in file : %s \n", std::strerror(err));
    std::fclose(fp);
    exitFailure();
  }
  return 0;
}

size_t freadU(void* buffer, size_t size, size_t count, FILE* fp) {
  size_t got = std::fread(buffer, size, count, fp);
  if (got != count && !std::feof(fp)) {
    int err = errno;
    report("ERROR: can't read from file : %s\n", std::strerror(err));
    std::fclose(fp);
    exitFailure();
  }
  return got;
}

size_t fwriteU(const void* buffer, size_t size, size_t count, FILE* fp) {
  size_t put = std::fwrite(buffer, size, count, fp);
  if (put != count) {
    int err = errno;
    report("ERROR: can't write to file : %s\n", std::strerror(err));
    std::fclose(fp);
    exitFailure();
  }
  return count;
}
