#include "lba/lba_extract.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "common/safeout.h"
#include "common/streams.h"
#include "lba/copyahead.h"
#include "lba/filecopy.h"
#include "lba/lba_names.h"
#include "lba/readline.h"
#include "platform/replace.h"

namespace {

const uint32_t kHeadBytes = 16;
const size_t kLineNameMax = 256;

const char* skipBlanks(const char* p) {
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

bool isSkippedLine(const char* line) {
  return *line == '\0' || *line == '\r' || *line == '\n' || *line == ';' || *line == '/' ||
         *line == '#';
}

// One extraction run. Files may still be copying on another thread while
// the next are prepared; `say` finishes them before it passes a line on, so
// the messages keep the order of one copy after the other.
struct Extraction {
  LbaImage image;
  LbaStream in;
  std::string prefix;
  const Messages& messages;  // the files' own completion lines
  LbaCopyAhead* ahead = nullptr;
  Status aheadFailed;  // a copy ahead that failed while a line waited
  Messages say;
  std::unique_ptr<char[]> outBuffer;

  explicit Extraction(const Messages& to) : messages(to) {
    say.print = [this](const std::string& text) {
      Status finished = lbaCopyAheadFinish(ahead);
      if (!finished.ok()) {
        if (aheadFailed.ok()) aheadFailed = finished;
        return;
      }
      if (messages.print) messages.print(text);
    };
  }
  ~Extraction() { lbaCopyAheadStop(ahead); }

  // A failure is printed after the files before it are finished.
  Status fail(const Status& failed) {
    Status finished = lbaCopyAheadFinish(ahead);
    return finished.ok() ? failed : finished;
  }
  Status stop() {
    Status finished = lbaCopyAheadStop(ahead);
    ahead = nullptr;
    return aheadFailed.ok() ? finished : aheadFailed;
  }
};

// Puts a copied file in place and tells when the image ended inside it.
Status finishOutput(const LbaImage& image, uint32_t fileIndex, FILE* out, uint32_t size,
                    uint32_t done, const Messages& messages) {
  // The last buffered bytes may fail to be written: the file is incomplete.
  if (!platReplaceCommit(out)) {
    const int err = errno;
    return failure("ERROR: can't write to file : %s%s\n", std::strerror(err), outKeptNote());
  }
  lbaReportShortFile(image, fileIndex, done, size, messages);
  return Status();
}

Status extractFile(Extraction& x, uint32_t fileIndex, const char* lineName) {
  const LbaImage& image = x.image;
  Result<uint32_t> size = lbaCopySize(image, fileIndex, x.say);
  if (!size.ok()) {
    report(x.say, "%s", size.status.message.c_str());
    return x.aheadFailed;
  }
  const LbaFile& f = image.files[fileIndex];
  uint8_t head[kHeadBytes];
  uint32_t n = std::min(size.value, kHeadBytes);
  Status sought = seekUnnamed(x.in.get(), static_cast<int64_t>(f.offset), SEEK_SET);
  if (!sought.ok()) return x.fail(sought);
  Result<size_t> got = readUnnamed(x.in.get(), head, 1, n);
  if (!got.ok()) return x.fail(got.status);

  if (lineName && std::strlen(lineName) > kLineNameMax) {
    report(x.say, "WARN: given filename is too long, ignoring : %s : %s\n", lineName,
           image.path.c_str());
    lineName = nullptr;
  }
  if (!x.aheadFailed.ok()) return x.aheadFailed;
  uint32_t headBytes = static_cast<uint32_t>(got.value);
  std::string path = x.prefix;
  if (lineName) {
    path += lineName;
    if (f.compressed) path += compressionSuffix(head, headBytes);
  } else {
    path += lbaFileName(fileIndex, f.compressed, head, headBytes);
  }

  // An existing file of that name is replaced only by a complete copy.
  FILE* out = platReplaceOpen(path.c_str(), "wb");
  if (!out)
    return x.fail(
        failure("ERROR: can't open file : %s : %s\n", path.c_str(), std::strerror(errno)));
  // The first bytes were only read for the name; the copy starts over.
  const uint32_t length = size.value;
  const Messages& messages = x.messages;
  if (x.ahead)
    return lbaCopyAheadAdd(x.ahead, out, f.offset, length,
                           [&image, fileIndex, out, length, &messages](uint32_t done) {
                             return finishOutput(image, fileIndex, out, length, done, messages);
                           });
  if (x.outBuffer) std::setvbuf(out, x.outBuffer.get(), _IOFBF, kLbaStreamBuffer);
  Result<uint32_t> copied = lbaCopyRange(x.in.get(), f.offset, out, length);
  if (!copied.ok()) {
    platReplaceDiscard(out);
    return copied.status;
  }
  return finishOutput(image, fileIndex, out, length, copied.value, messages);
}

// Loads the image and opens it for the copies.
Status startExtraction(Extraction& x, const char* imagePath, const char* prefix,
                       const LbaSettings& settings) {
  Result<LbaImage> loaded = lbaLoad(imagePath, settings, x.messages);
  if (!loaded.ok()) return loaded.status;
  x.image = std::move(loaded.value);
  x.prefix = prefix ? prefix : "";
  return Status();
}

Status openForCopies(Extraction& x) {
  Result<LbaStream> in = lbaOpenStream(x.image.path.c_str(), "rb");
  if (!in.ok()) return in.status;
  x.in = std::move(in.value);
  x.ahead = lbaCopyAheadStart(x.in.get());
  if (!x.ahead) x.outBuffer.reset(new (std::nothrow) char[kLbaStreamBuffer]);
  return Status();
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

Status lbaExtractList(const char* imagePath, const char* indexList, const char* prefix,
                      const LbaSettings& settings, const Messages& messages) {
  Extraction x(messages);
  Status done = startExtraction(x, imagePath, prefix, settings);
  if (!done.ok() || !indexList || std::strcmp(indexList, "--texts") == 0) return done;
  done = openForCopies(x);
  if (!done.ok()) return done;
  int32_t low = 0;
  int32_t high = 0;
  for (const char* p = indexList; (p = nextIndexRange(p, &low, &high));) {
    for (int64_t i = low; i <= high; ++i) {
      done = extractFile(x, static_cast<uint32_t>(i), nullptr);
      if (!done.ok()) return done;
    }
  }
  return x.stop();
}

Status lbaExtractIndexFile(const char* imagePath, const char* indexFile, const char* prefix,
                           bool useLineAsName, const LbaSettings& settings,
                           const Messages& messages) {
  Extraction x(messages);
  Status done = startExtraction(x, imagePath, prefix, settings);
  if (done.ok()) done = openForCopies(x);
  if (!done.ok()) return done;
  Result<FILE*> opened = openStream(indexFile, "r");
  if (!opened.ok()) return opened.status;
  std::unique_ptr<FILE, int (*)(FILE*)> list(opened.value, std::fclose);
  std::string line;
  int lineNumber = 0;
  for (;;) {
    Result<bool> got = readLine(list.get(), &line);
    if (!got.ok()) report(x.say, "%s", got.status.message.c_str());  // ends the list
    if (!got.value) break;
    const char* end = nullptr;
    int32_t value = lbaReadIndex(line.c_str(), &end);
    if (end == line.c_str()) {
      if (!isSkippedLine(line.c_str()))
        report(x.say, "WARN: line %d doesnt start with index : %s : %s\n", lineNumber, indexFile,
               line.c_str());
    } else {
      done = extractFile(x, static_cast<uint32_t>(value), useLineAsName ? line.c_str() : nullptr);
    }
    if (!done.ok() || !x.aheadFailed.ok()) break;
    ++lineNumber;
    if (std::feof(list.get())) break;
  }
  Status stopped = x.stop();
  if (!done.ok()) return done;
  if (!stopped.ok()) return stopped;
  return closeNamed(list.release(), indexFile);
}
