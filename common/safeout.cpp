#include "common/safeout.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "common/streams.h"
#include "platform/replace.h"

Result<FILE*> openOutput(const char* path, const char* mode) {
  return openedOrFailure(platReplaceOpen(path, mode), path);
}

Status writeOutput(FILE* fp, const char* path, const void* data, uint32_t length) {
  if (length == 0 || std::fwrite(data, 1, length, fp) == length) return Status();
  const int err = errno;
  Status status = failure("ERROR: can't write to file : %s : %s\n", path, std::strerror(err));
  platReplaceDiscard(fp);
  return status;
}

Status commitOutput(FILE* fp, const char* path) {
  if (platReplaceCommit(fp)) return Status();
  const int err = errno;
  return failure("ERROR: can't write to file : %s : %s%s\n", path, std::strerror(err),
                 outKeptNote());
}

const char* outKeptNote() {
  thread_local std::string note;
  note = *platReplaceKept() ? std::string(" : the new data is kept in ") + platReplaceKept() : "";
  return note.c_str();
}

Status saveOutput(const char* path, const void* data, uint32_t length) {
  Result<FILE*> out = openOutput(path, "wb");
  if (!out.ok()) return out.status;
  Status written = writeOutput(out.value, path, data, length);
  if (!written.ok()) return written;
  return commitOutput(out.value, path);
}
