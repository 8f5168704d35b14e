#include "lba/readline.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "frontend/alloc.h"
#include "frontend/frontend.h"

namespace {
const uint32_t kDefaultLineBytes = 128;

// Reads a stretch into `at` with `room` bytes; false when nothing came.
bool readPiece(char* at, uint32_t room, FILE* stream) {
  return std::fgets(at, static_cast<int>(room), stream) != nullptr;
}
}  // namespace

char* readLine(FILE* stream, char** buffer, uint32_t* bufferSize) {
  uint32_t size = (bufferSize && *bufferSize) ? *bufferSize : kDefaultLineBytes;
  bool ours = !(buffer && *buffer);
  char* line = ours ? static_cast<char*>(mallocE(size)) : *buffer;
  // Brings the caller's view up to date, or drops a buffer made here.
  auto finish = [&](bool keep) {
    if (keep || !ours) {
      if (buffer) *buffer = line;
      if (bufferSize) *bufferSize = size;
    } else {
      std::free(line);
    }
  };

  bool got = readPiece(line, size, stream);
  uint32_t length = got ? static_cast<uint32_t>(std::strlen(line)) : 0;
  // Not complete while the buffer is full and holds no newline yet.
  while (got && length == size - 1 && (length == 0 || line[length - 1] != '\n') &&
         !std::feof(stream)) {
    size *= 2;
    line = static_cast<char*>(reallocE(line, size));
    if (!readPiece(line + length, size - length, stream)) break;
    length += static_cast<uint32_t>(std::strlen(line + length));
  }
  if (std::ferror(stream)) {
    report("ERROR: error reading line : %s\n", std::strerror(errno));
    finish(false);
    return nullptr;
  }
  if (!got) {
    finish(false);
    return nullptr;
  }
  char* newline = std::strchr(line, '\n');
  if (newline) {
    if (newline > line && newline[-1] == '\r') --newline;
    *newline = '\0';
  }
  finish(true);
  return line;
}
