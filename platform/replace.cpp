#include "platform/replace.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {
struct PendingOutput {
  FILE* fp;
  std::string target;
  std::string temp;  // empty when the target is written directly
};

// Never destroyed, so the exit handler can still read it.
std::vector<PendingOutput>& pending() {
  static std::vector<PendingOutput>* list = new std::vector<PendingOutput>;
  return *list;
}

// A fatal stream error may already have closed an output, so its stream is
// not touched here: POSIX removes an open file; Windows needs every stream
// closed first, which _fcloseall does safely.
void removePendingAtExit() {
#ifdef _WIN32
  _fcloseall();
#endif
  for (PendingOutput& out : pending())
    if (!out.temp.empty()) platRemove(out.temp.c_str());
  pending().clear();
}

bool exists(const std::string& path) {
  PlatStat st;
  return platStat(path.c_str(), &st);
}

std::string freeTempName(const std::string& target) {
  std::string name = target + ".kvotmp";
  for (unsigned n = 1; exists(name); ++n) name = target + ".kvotmp" + std::to_string(n);
  return name;
}

bool takePending(FILE* fp, PendingOutput* out) {
  std::vector<PendingOutput>& list = pending();
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].fp == fp) {
      *out = list[i];
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
  }
  return false;
}
}  // namespace

FILE* platReplaceOpen(const char* target, const char* mode) {
  static bool registered = false;
  if (!registered) {
    std::atexit(removePendingAtExit);
    registered = true;
  }
  PlatStat st;
  bool present = platStat(target, &st);
  if (present && st.isDirectory) {
    errno = EISDIR;
    return nullptr;
  }
  PendingOutput out{nullptr, target, ""};
  if (present && !st.isRegular) {
    out.fp = platFopen(target, mode);
  } else {
    out.temp = freeTempName(target);
    out.fp = platFopen(out.temp.c_str(), mode);
  }
  if (out.fp) pending().push_back(out);
  return out.fp;
}

bool platReplaceCommit(FILE* fp) {
  PendingOutput out;
  if (!takePending(fp, &out)) return std::fclose(fp) == 0;
  bool written = !std::ferror(fp);
  int err = errno;
  if (std::fclose(fp) != 0 && written) {
    written = false;
    err = errno;
  }
  if (written && (out.temp.empty() || platRename(out.temp.c_str(), out.target.c_str()) == 0))
    return true;
  if (written) err = errno;
  if (!out.temp.empty()) platRemove(out.temp.c_str());
  errno = err;
  return false;
}

void platReplaceDiscard(FILE* fp) {
  PendingOutput out;
  if (!takePending(fp, &out)) return;
  std::fclose(fp);
  if (!out.temp.empty()) platRemove(out.temp.c_str());
}

bool platReplaceSave(const char* target, const void* data, size_t size) {
  FILE* fp = platReplaceOpen(target, "wb");
  if (!fp) return false;
  if (size != 0 && std::fwrite(data, 1, size, fp) != size) {
    int err = errno;
    platReplaceDiscard(fp);
    errno = err;
    return false;
  }
  return platReplaceCommit(fp);
}
