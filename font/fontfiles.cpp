#include "font/fontfiles.h"

#include "platform/platform.h"

bool fontFileSize(FILE* fp, int64_t* size) {
  if (platFseek64(fp, 0, SEEK_END) != 0) return false;
  *size = platFtell64(fp);
  return *size >= 0 && platFseek64(fp, 0, SEEK_SET) == 0;
}

bool newFileOpen(NewFile* file, const char* path) {
  file->path = path;
  // "x": never take over a file that already exists under the temporary name.
  for (int attempt = 0; attempt < 100; ++attempt) {
    file->temporary = file->path + ".tmp" + (attempt ? std::to_string(attempt) : std::string());
    file->fp = platFopen(file->temporary.c_str(), "wbx");
    if (file->fp) return true;
    PlatStat st;
    if (!platStat(file->temporary.c_str(), &st)) return false;  // not a name clash: give up
  }
  return false;
}

bool newFileCommit(NewFile* file) {
  bool written = !std::ferror(file->fp);
  written = std::fclose(file->fp) == 0 && written;
  file->fp = nullptr;
  if (written && platRename(file->temporary.c_str(), file->path.c_str()) == 0) return true;
  platRemove(file->temporary.c_str());
  return false;
}

void newFileDiscard(NewFile* file) {
  if (file->fp) std::fclose(file->fp);
  file->fp = nullptr;
  platRemove(file->temporary.c_str());
}
