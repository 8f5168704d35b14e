#include "font/fontfiles.h"

#include <string>

#include "platform/platform.h"
#include "platform/replace.h"

bool fontFileSize(FILE* fp, int64_t* size) {
  if (platFseek64(fp, 0, SEEK_END) != 0) return false;
  *size = platFtell64(fp);
  return *size >= 0 && platFseek64(fp, 0, SEEK_SET) == 0;
}

const char* fontWriteError(const char* message) {
  static std::string text;
  text = message;
  if (*platReplaceKept()) text += std::string(" - os dados novos ficaram em ") + platReplaceKept();
  text += "\n";
  return text.c_str();
}
