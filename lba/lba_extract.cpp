#include "lba/lba_extract.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/safeout.h"
#include "common/strutil.h"
#include "frontend/alloc.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "lba/copyahead.h"
#include "lba/filecopy.h"
#include "lba/lba_names.h"
#include "lba/readline.h"
#include "platform/replace.h"

namespace {

const uint32_t kHeadBytes = 16;
const uint32_t kLineNameMax = 256;
const uint32_t kListNameRoom = 17;
const uint32_t kLineNameRoom = kLineNameMax + 3;

const char* skipBlanks(const char* p) {
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

bool isSkippedLine(const char* line) {
  return *line == '\0' || *line == '\r' || *line == '\n' || *line == ';' || *line == '/' ||
         *line == '#';
}

// Puts a copied file in place and tells when the image ended inside it.
void finishOutput(const LbaImage* image, uint32_t fileIndex, FILE* out, uint32_t size,
                  uint32_t done) {
  if (!platReplaceCommit(out)) {
    // The last buffered bytes could not be written: the file is incomplete.
    report("ERROR: can't write to file : %s%s\n", std::strerror(errno), outKeptNote());
    exitFailure();
  }
  if (done < size)
    report("WARN: image ends inside the file, copied %u of %u bytes : index %u : %s\n", done, size,
           fileIndex, image->path);
}

}  // namespace

int32_t lbaReadIndex(const char* text, const char** end) {
  char* stop = nullptr;
  long long value = std::strtoll(text, &stop, 10);
  // Saturate as a 32-bit strtol does, so the result is the same everywhere.
  value = std::min<long long>(std::max<long long>(value, INT32_MIN), INT32_MAX);
  if (end) *end = stop;
  return static_cast<int32_t>(value);
}

const char* nextIndexRange(const char* text, int32_t* low, int32_t* high) {
  if (!text || !*text) return nullptr;
  const char* p = nullptr;
  *low = lbaReadIndex(text, &p);
  p = skipBlanks(p);
  if (*p == '-') {
    *high = lbaReadIndex(p + 1, &p);
  } else {
    *high = *low;
  }
  p = skipBlanks(p);
  if (*p) p = skipBlanks(p + 1);
  return p;
}

void lbaExtractFile(LbaImage* image, uint32_t fileIndex, char* prefixBuffer, const char* lineName,
                    LbaCopyAhead* ahead) {
  FILE* in = lbaStream(image, "rb");
  char* name = strEnd(prefixBuffer);
  if (fileIndex >= image->fileCount) {
    report("WARN: index out of range : %u : %s\n", fileIndex, image->path);
    return;
  }
  const LbaFile& f = image->files[fileIndex];
  uint32_t size = f.size;
  if (size > f.span) {
    // Only an entry with no room and some padding gets here: its size wrapped.
    report("WARN: file size bigger than its space, not copied : %u vs %u : index %u : %s\n", size,
           f.span, fileIndex, image->path);
    size = 0;
  }
  uint8_t buffer[kHeadBytes];
  uint32_t n = std::min(size, kHeadBytes);
  fseekU(in, static_cast<int64_t>(f.offset), SEEK_SET);
  uint32_t got = static_cast<uint32_t>(freadU(buffer, 1, n, in));

  if (lineName && std::strlen(lineName) > kLineNameMax) {
    report("WARN: given filename is too long, ignoring : %s : %s\n", lineName, image->path);
    lineName = nullptr;
  }
  if (lineName) {
    std::strcpy(name, lineName);
    if (f.compressed) std::strcat(name, compressionSuffix(buffer, got));
  } else {
    lbaFileName(name, fileIndex, f.compressed, buffer, got);
  }

  // An existing file of that name is replaced only by a complete copy.
  FILE* out = platReplaceOpen(prefixBuffer, "wb");
  if (!out) fatal("ERROR: can't open file : %s : %s\n", prefixBuffer, std::strerror(errno));
  *name = '\0';
  // The first bytes were only read for the name; the copy starts over.
  if (ahead) {
    lbaCopyAheadAdd(ahead, out, f.offset, size, [image, fileIndex, out, size](uint32_t done) {
      finishOutput(image, fileIndex, out, size, done);
    });
    return;
  }
  static char outBuffer[kLbaStreamBuffer];
  std::setvbuf(out, outBuffer, _IOFBF, sizeof outBuffer);
  finishOutput(image, fileIndex, out, size, lbaCopyRange(in, f.offset, out, size));
}

void lbaExtractList(const char* imagePath, const char* indexList, const char* prefix) {
  LbaImage* image = lbaOpen(imagePath);
  char* prefixBuffer = strdupp(prefix, kListNameRoom);
  if (indexList && std::strcmp(indexList, "--texts") != 0) {
    LbaCopyAhead* ahead = lbaCopyAheadStart(lbaStream(image, "rb"));
    int32_t low = 0;
    int32_t high = 0;
    for (const char* p = indexList; (p = nextIndexRange(p, &low, &high));)
      for (int64_t i = low; i <= high; ++i)
        lbaExtractFile(image, static_cast<uint32_t>(i), prefixBuffer, nullptr, ahead);
    lbaCopyAheadStop(ahead);
    lbaCloseStream(image);
  }
  std::free(prefixBuffer);
  lbaFree(image);
}

void lbaExtractIndexFile(const char* imagePath, const char* indexFile, const char* prefix,
                         bool useLineAsName) {
  LbaImage* image = lbaOpen(imagePath);
  char* prefixBuffer = strdupp(prefix, kLineNameRoom);
  LbaCopyAhead* ahead = lbaCopyAheadStart(lbaStream(image, "rb"));
  FILE* list = fopenE(indexFile, "r");
  char* buffer = nullptr;
  uint32_t bufferSize = 0;
  int lineNumber = 0;
  while (char* line = readLine(list, &buffer, &bufferSize)) {
    const char* end = nullptr;
    int32_t value = lbaReadIndex(line, &end);
    if (end == line) {
      if (!isSkippedLine(line))
        report("WARN: line %d doesnt start with index : %s : %s\n", lineNumber, indexFile, line);
    } else {
      lbaExtractFile(image, static_cast<uint32_t>(value), prefixBuffer,
                     useLineAsName ? line : nullptr, ahead);
    }
    ++lineNumber;
    if (std::feof(list)) break;
  }
  lbaCopyAheadStop(ahead);
  std::free(buffer);
  fcloseE(list);
  lbaCloseStream(image);
  std::free(prefixBuffer);
  lbaFree(image);
}
