#include "graphics/safesave.h"

#include <cerrno>
#include <cstring>

#include "common/diag.h"
#include "common/stdioe.h"
#include "platform/platform.h"

std::string tempPathBeside(const char* path) { return std::string(path) + ".kvotmp"; }

FILE* tempOpenBeside(const char* path, std::string* tempPath) {
  *tempPath = tempPathBeside(path);
  FILE* fp = platFopen(tempPath->c_str(), "wb");
  if (!fp) fatal("ERROR: can't open file : %s : %s\n", path, std::strerror(errno));
  fpToNameAdd(fp, path);
  return fp;
}

void tempCommit(FILE* fp, const std::string& tempPath, const char* path) {
  if (fcloseReport(fp) != 0) {
    platRemove(tempPath.c_str());
    exitFailure();
  }
  if (platRename(tempPath.c_str(), path) != 0) {
    int err = errno;
    platRemove(tempPath.c_str());
    fatal("ERROR: can't replace file : %s : %s\n", path, std::strerror(err));
  }
}

bool saveReplacing(const char* path, const void* data, uint32_t size) {
  std::string temp = tempPathBeside(path);
  FILE* fp = platFopen(temp.c_str(), "wb");
  if (!fp) return false;
  bool written = size == 0 || std::fwrite(data, 1, size, fp) == size;
  bool closed = std::fclose(fp) == 0;
  if (written && closed && platRename(temp.c_str(), path) == 0) return true;
  int err = errno;
  platRemove(temp.c_str());
  errno = err;
  return false;
}
