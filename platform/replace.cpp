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
  std::string written;  // the file being written; empty for a device
  bool renamed;         // true when `written` takes the target's place at the end
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
    if (!out.written.empty()) platRemove(out.written.c_str());
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

// Per thread, as errno: the name a failed commit of this thread kept.
std::string& keptFile() {
  thread_local std::string name;
  return name;
}
}  // namespace

FILE* platReplaceOpen(const char* target, const char* mode) {
  static bool registered = false;
  if (!registered) {
    std::atexit(removePendingAtExit);
    registered = true;
  }
  keptFile().clear();
  PlatStat st;
  bool present = platStat(target, &st);
  if (present && st.isDirectory) {
    errno = EISDIR;
    return nullptr;
  }
  // A new file is written in place (removed again if the run stops); an
  // existing one only through a temporary file beside it.
  PendingOutput out{nullptr, target, "", false};
  if (present && st.isRegular) {
    out.written = freeTempName(target);
    out.renamed = true;
  } else if (!present) {
    out.written = target;
  }
  out.fp = platFopen(out.written.empty() ? target : out.written.c_str(), mode);
  if (out.fp) pending().push_back(out);
  return out.fp;
}

bool platReplaceCommit(FILE* fp) {
  keptFile().clear();
  PendingOutput out;
  if (!takePending(fp, &out)) return std::fclose(fp) == 0;
  bool written = !std::ferror(fp);
  int err = errno;
  if (std::fclose(fp) != 0 && written) {
    written = false;
    err = errno;
  }
  if (written && (!out.renamed || platRename(out.written.c_str(), out.target.c_str()) == 0))
    return true;
  if (written) {
    err = errno;  // the replacement's: the complete new data stays
    keptFile() = out.written;
  } else if (!out.written.empty()) {
    platRemove(out.written.c_str());
  }
  errno = err;
  return false;
}

const char* platReplaceKept() { return keptFile().c_str(); }

void platReplaceDiscard(FILE* fp) {
  PendingOutput out;
  if (!takePending(fp, &out)) return;
  std::fclose(fp);
  if (!out.written.empty()) platRemove(out.written.c_str());
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
