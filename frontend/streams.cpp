#include "frontend/streams.h"

#include <string>

#include "frontend/frontend.h"

namespace {

// The front end's table of open streams and their paths.
struct FpName {
  FILE* fp = nullptr;
  std::string path;
};
FpName gSlots[kFpToNameSlots];
int gHighest = -1;

int findSlot(FILE* fp) {
  for (int i = 0; i <= gHighest; ++i)
    if (gSlots[i].fp == fp) return i;
  return -1;
}

// Closes the stream and ends the process with the failure's message.
[[noreturn]] void closeAndExit(FILE* fp, const Status& status) {
  std::fclose(fp);
  exitOnFailure(status);
  exitFailure();
}

}  // namespace

FILE* fopenE(const char* path, const char* mode) {
  FILE* fp = valueOrExit(openStream(path, mode));
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
  gSlots[slot].fp = fp;
  gSlots[slot].path = path;
  if (slot > gHighest) gHighest = slot;
}

const char* fpToNameGet(FILE* fp) {
  int slot = fp ? findSlot(fp) : -1;
  return slot < 0 ? "ErrorNameNotSet" : gSlots[slot].path.c_str();
}

void fpToNameRemove(FILE* fp) {
  int slot = fp ? findSlot(fp) : -1;
  if (slot < 0) return;
  gSlots[slot].fp = nullptr;
  gSlots[slot].path.clear();
  if (slot == gHighest) --gHighest;
}

int fcloseReport(FILE* fp) {
  // The path is copied before the slot is freed so the message can still name it.
  const std::string path = fpToNameGet(fp);
  fpToNameRemove(fp);
  const Status closed = closeNamed(fp, path.c_str());
  if (closed.ok()) return 0;
  report("%s", closed.message.c_str());
  return EOF;
}

int fcloseE(FILE* fp) {
  if (fcloseReport(fp) != 0) exitFailure();
  return 0;
}

int fseekE(FILE* fp, int32_t offset, int origin) {
  const Status sought = seekNamed(fp, fpToNameGet(fp), offset, origin);
  if (!sought.ok()) closeAndExit(fp, sought);
  return 0;
}

size_t freadE(void* buffer, size_t size, size_t count, FILE* fp) {
  const Result<size_t> got = readNamed(fp, fpToNameGet(fp), buffer, size, count);
  if (!got.ok()) closeAndExit(fp, got.status);
  return got.value;
}

size_t fwriteE(const void* buffer, size_t size, size_t count, FILE* fp) {
  const Status written = writeNamed(fp, fpToNameGet(fp), buffer, size, count);
  if (!written.ok()) closeAndExit(fp, written);
  return count;
}

FILE* fopenU(const char* path, const char* mode) { return valueOrExit(openStream(path, mode)); }

int fseekU(FILE* fp, int64_t offset, int origin) {
  const Status sought = seekUnnamed(fp, offset, origin);
  if (!sought.ok()) closeAndExit(fp, sought);
  return 0;
}

size_t freadU(void* buffer, size_t size, size_t count, FILE* fp) {
  const Result<size_t> got = readUnnamed(fp, buffer, size, count);
  if (!got.ok()) closeAndExit(fp, got.status);
  return got.value;
}

size_t fwriteU(const void* buffer, size_t size, size_t count, FILE* fp) {
  const Status written = writeUnnamed(fp, buffer, size, count);
  if (!written.ok()) closeAndExit(fp, written);
  return count;
}

FILE* outOpen(const char* path, const char* mode) {
  FILE* fp = valueOrExit(openOutput(path, mode));
  fpToNameAdd(fp, path);
  return fp;
}

void outWrite(FILE* fp, const void* data, uint32_t length) {
  if (length == 0) return;
  const Status written = writeOutput(fp, fpToNameGet(fp), data, length);
  if (written.ok()) return;
  fpToNameRemove(fp);
  exitOnFailure(written);
}

void outCommit(FILE* fp) {
  const std::string path = fpToNameGet(fp);
  fpToNameRemove(fp);
  exitOnFailure(commitOutput(fp, path.c_str()));
}

uint32_t outSave(const char* path, const void* data, uint32_t length) {
  exitOnFailure(saveOutput(path, data, length));
  return length;
}
