#include "font/fontfiles.h"

#include "platform/platform.h"

bool fontFileSize(FILE* fp, int64_t* size) {
  if (platFseek64(fp, 0, SEEK_END) != 0) return false;
  *size = platFtell64(fp);
  return *size >= 0 && platFseek64(fp, 0, SEEK_SET) == 0;
}
