#include "bts/safeout.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/diag.h"
#include "common/stdioe.h"
#include "platform/platform.h"

namespace {
struct PendingOutput {
  FILE* fp;
  std::string target;
  std::string temp;
};

// Outputs opened and not yet in place; removed if the process ends first.
// Never destroyed, so that the exit handler can still read it.
std::vector<PendingOutput>& pending() {
  static std::vector<PendingOutput>* list = new std::vector<PendingOutput>;
  return *list;
}

void removePendingAtExit() {
  for (PendingOutput& out : pending()) {
    std::fclose(out.fp);
    platRemove(out.temp.c_str());
  }
  pending().clear();
}

std::string freeTempName(const std::string& target) {
  std::string name = target + ".kvotmp";
  PlatStat st;
  for (unsigned n = 1; platStat(name.c_str(), &st); ++n)
    name = target + ".kvotmp" + std::to_string(n);
  return name;
}
}  // namespace

FILE* outOpen(const char* path, const char* mode) {
  static bool registered = false;
  if (!registered) {
    std::atexit(removePendingAtExit);
    registered = true;
  }
  // A directory cannot be replaced: refuse it as opening it would.
  PlatStat st;
  if (platStat(path, &st) && st.isDirectory)
    fatal("ERROR: can't open file : %s : %s\n", path, std::strerror(EISDIR));
  std::string temp = freeTempName(path);
  FILE* fp = platFopen(temp.c_str(), mode);
  if (!fp) fatal("ERROR: can't open file : %s : %s\n", path, std::strerror(errno));
  fpToNameAdd(fp, path);
  pending().push_back({fp, path, temp});
  return fp;
}

// Takes the output out of the pending list (its stream is about to be closed).
static bool takePending(FILE* fp, PendingOutput* out) {
  std::vector<PendingOutput>& list = pending();
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].fp == fp) {
      *out = list[i];
      list.erase(list.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

void outWrite(FILE* fp, const void* data, uint32_t length) {
  if (length == 0 || std::fwrite(data, 1, length, fp) == length) return;
  int err = errno;
  report("ERROR: can't write to file : %s : %s\n", fpToNameGet(fp), std::strerror(err));
  PendingOutput out;
  bool known = takePending(fp, &out);
  std::fclose(fp);
  if (known) platRemove(out.temp.c_str());
  exitFailure();
}

void outWriteZeros(FILE* fp, uint32_t count) {
  static const uint8_t zeros[64] = {};
  while (count > 0) {
    uint32_t part = count < sizeof zeros ? count : static_cast<uint32_t>(sizeof zeros);
    outWrite(fp, zeros, part);
    count -= part;
  }
}

void outCommit(FILE* fp) {
  PendingOutput out;
  if (!takePending(fp, &out)) {
    fcloseE(fp);
    return;
  }
  if (fcloseReport(fp) != 0) {
    platRemove(out.temp.c_str());
    exitFailure();
  }
  if (platRename(out.temp.c_str(), out.target.c_str()) != 0) {
    int err = errno;
    platRemove(out.temp.c_str());
    fatal("ERROR: can't write to file : %s : %s\n", out.target.c_str(), std::strerror(err));
  }
}

uint32_t outSave(const char* path, const void* data, uint32_t length) {
  FILE* fp = outOpen(path, "wb");
  outWrite(fp, data, length);
  outCommit(fp);
  return length;
}
