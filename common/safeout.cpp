#include "common/safeout.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "common/diag.h"
#include "common/stdioe.h"
#include "platform/replace.h"

FILE* outOpen(const char* path, const char* mode) {
  FILE* fp = platReplaceOpen(path, mode);
  if (!fp) fatal("ERROR: can't open file : %s : %s\n", path, std::strerror(errno));
  fpToNameAdd(fp, path);
  return fp;
}

void outWrite(FILE* fp, const void* data, uint32_t length) {
  if (length == 0 || std::fwrite(data, 1, length, fp) == length) return;
  int err = errno;
  report("ERROR: can't write to file : %s : %s\n", fpToNameGet(fp), std::strerror(err));
  fpToNameRemove(fp);
  platReplaceDiscard(fp);
  exitFailure();
}

void outWriteZeros(FILE* fp, uint32_t count) {
  static const uint8_t zeros[4096] = {};
  while (count > 0) {
    uint32_t part = count < sizeof zeros ? count : static_cast<uint32_t>(sizeof zeros);
    outWrite(fp, zeros, part);
    count -= part;
  }
}

void outCommit(FILE* fp) {
  std::string path = fpToNameGet(fp);
  fpToNameRemove(fp);
  if (!platReplaceCommit(fp))
    fatal("ERROR: can't write to file : %s : %s%s\n", path.c_str(), std::strerror(errno),
          outKeptNote());
}

const char* outKeptNote() {
  static std::string note;
  note = *platReplaceKept() ? std::string(" : the new data is kept in ") + platReplaceKept() : "";
  return note.c_str();
}

uint32_t outSave(const char* path, const void* data, uint32_t length) {
  FILE* fp = outOpen(path, "wb");
  outWrite(fp, data, length);
  outCommit(fp);
  return length;
}
