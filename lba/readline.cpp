#include "lba/readline.h"

#include <cerrno>
#include <cstring>

namespace {
const int kPieceBytes = 128;
}  // namespace

Result<bool> readLine(FILE* stream, std::string* line) {
  Result<bool> got;
  line->clear();
  char piece[kPieceBytes];
  // Pieces up to the newline, or to the end of the input.
  while (std::fgets(piece, kPieceBytes, stream)) {
    got.value = true;
    line->append(piece, std::strlen(piece));
    if (!line->empty() && line->back() == '\n') break;
  }
  if (std::ferror(stream)) {
    got.value = false;
    got.status = failure("ERROR: error reading line : %s\n", std::strerror(errno));
    return got;
  }
  size_t newline = line->find('\n');
  if (newline != std::string::npos) {
    if (newline > 0 && (*line)[newline - 1] == '\r') --newline;
    line->resize(newline);
  }
  return got;
}
