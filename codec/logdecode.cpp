#include <cstdlib>
#include <cstring>

#include "codec/codec.h"
#include "codec/token.h"
#include "common/le.h"
#include "common/safeout.h"
#include "platform/platform.h"
#include "platform/replace.h"

// "Decoded : " and each produced byte as two hex digits and a blank.
static void logDump(FILE* log, const uint8_t* from, const uint8_t* to) {
  static const char kHex[] = "0123456789ABCDEF";
  char line[16 + 3 * 256];
  std::memcpy(line, "Decoded : ", 10);
  size_t n = 10;
  for (const uint8_t* p = from; p < to; ++p) {
    line[n++] = kHex[*p >> 4];
    line[n++] = kHex[*p & 15];
    line[n++] = ' ';
  }
  line[n++] = '\n';
  std::fwrite(line, 1, n, log);
}

static void logToken(FILE* log, const CxToken& t, const uint8_t* from, const uint8_t* to) {
  const uint8_t* op = t.at + 1;
  switch (t.kind) {
    case CxTokenKind::Raw:
      std::fprintf(log, "Flag = %02X  (RAW/data length %u)\n", t.at[0], t.at[0]);
      logDump(log, from, to);
      break;
    case CxTokenKind::ShortRun:
      std::fprintf(log, "Flag = %02X, data %02X%02X (RLE length %u, value %u)\n", t.at[0], op[0],
                   op[1], t.count, t.value);
      break;
    case CxTokenKind::LongRun:
      std::fprintf(log, "Flag = %02X, data %02X%02X%02X (RLE length %u, value %u)\n", t.at[0],
                   op[0], op[1], op[2], t.count, t.value);
      break;
    case CxTokenKind::BackRef:
      std::fprintf(log, "Flag = %02X, data %02X (LZSS length %u, offset %u)\n", t.at[0], op[0],
                   t.count, t.distance);
      logDump(log, from, to);
      break;
    case CxTokenKind::End:
      std::fputs("Flag = 0  (end flag, compression data end)\n", log);
      break;
  }
}

Result<uint32_t> cxLogDecode(const uint8_t* src, uint32_t srcLen, uint8_t* dst, uint32_t dstCap,
                             int type, FILE* log, const Messages& messages) {
  const Result<CxGeometry> geometry = cxGeometry(type);
  if (!geometry.ok()) return {0, geometry.status};
  const CxGeometry& g = geometry.value;
  const uint8_t* s = src;
  const uint8_t* const sEnd = src + srcLen;
  uint8_t* d = dst;
  uint8_t* const dEnd = dst + dstCap;
  CxToken t;
  while (d < dEnd && s < sEnd) {
    if (!cxReadToken(s, sEnd, g, &t)) break;
    uint8_t* from = d;
    d = cxApplyToken(t, d, dEnd);
    logToken(log, t, from, d);
    if (t.kind == CxTokenKind::End) break;
    s += t.size;
  }
  if (d < dEnd) report(messages, "WARN: not all decoded to output file\n");
  return {static_cast<uint32_t>(d - dst), Status()};
}

// The log file is created only once the input has been read and its header
// checked, so a failed run does not truncate an existing log.
static Result<FILE*> openLog(const char* logPath) {
  if (!logPath) return {stdout, Status()};
  FILE* log = platReplaceOpen(logPath, "w");
  if (!log) return {nullptr, failure("ERROR: cannot open file '%s'\n", logPath)};
  return {log, Status()};
}

// A log that could not be written whole is an error, not a finished run; an
// older log of that name is then kept.
static Status closeLog(FILE* log, const char* logPath) {
  if (log != stdout && !platReplaceCommit(log))
    return failure("ERROR: cannot write file '%s'%s\n", logPath, outKeptNote());
  return Status();
}

// A run that fails before its log is complete keeps an older log of that name.
static Status dropLog(FILE* log, const Status& why) {
  if (log != stdout) platReplaceDiscard(log);
  return why;
}

Status cxdDecompressFile(const char* inPath, const char* outPath, bool logging, const char* logPath,
                         const Messages& messages) {
  if (!logging) return cxDecompressPlain(inPath, outPath, FileWording::Quoted, messages);
  // Logging reads the input whole and writes the output at the end: the log
  // may even replace the input file.
  const Result<std::vector<uint8_t>> loaded = loadFile(inPath, FileWording::Quoted);
  if (!loaded.ok()) return loaded.status;
  const uint8_t* file = loaded.value.data();
  const uint32_t fileSize = static_cast<uint32_t>(loaded.value.size());
  const Status header = cxCheckHeader(file, fileSize, inPath);
  if (!header.ok()) return header;
  const int type = file[0];
  const uint32_t declared = rd32(file + 1);
  const Result<FILE*> opened = openLog(logPath);
  if (!opened.ok()) return opened.status;
  FILE* log = opened.value;
  std::fprintf(log, "Filename          : %s\n", inPath);
  std::fprintf(log, "Filesize          : %u (0x%X)\n", fileSize, fileSize);
  std::fprintf(log, "Compression type  : %u \n", type);
  std::fprintf(log, "Decompressed size : %u \n", declared);
  if (type == 0) {
    const Status stored = cxCheckStoredSize(fileSize, declared, inPath);
    if (!stored.ok()) return dropLog(log, stored);
    const Status closed = closeLog(log, logPath);
    if (!closed.ok()) return closed;
    return saveFile(outPath, file + kCxHeaderSize, declared, FileWording::Quoted);
  }
  const Result<CxBlock> out = cxAllocHistory(declared);
  if (!out.ok()) return dropLog(log, out.status);
  const uint8_t* stream = file + kCxHeaderSize;
  const uint32_t streamLen = fileSize - kCxHeaderSize;
  const Result<uint32_t> got =
      cxLogDecode(stream, streamLen, out.value.data(), declared, type, log, messages);
  if (!got.ok()) return dropLog(log, got.status);
  const Status closed = closeLog(log, logPath);
  if (!closed.ok()) return closed;
  std::memset(out.value.data() + got.value, 0, declared - got.value);
  return saveFile(outPath, out.value.data(), declared, FileWording::Quoted);
}
