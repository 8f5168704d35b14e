#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "codec/codec.h"
#include "codec/token.h"
#include "common/le.h"
#include "common/safeout.h"
#include "platform/filemap.h"
#include "platform/platform.h"
#include "platform/replace.h"

Result<CxGeometry> cxGeometry(int type) {
  if (type == 1) return {kCxType1, Status()};
  if (type == 2) return {kCxType2, Status()};
  return {CxGeometry{}, failure("ERROR: unknown compression type %d\n", type)};
}

namespace {

inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }

// A back-reference closer than 8 bytes repeats a pattern of `distance`
// bytes. It is built in a register from one read (the bytes past the pattern
// are masked off) and stored 8 bytes at a time at steps of kPatternStep, the
// largest multiple of the distance up to 8, where the pattern starts again.
// Reading back bytes just written with narrower stores would stall the
// processor. kPatternCopies[distance] repeats the low `distance` bytes over
// 8 bytes: the copies do not overlap, so the product never carries.
const uint64_t kPatternMask[8] = {0,          0xFF,         0xFFFF,         0xFFFFFF,
                                  0xFFFFFFFF, 0xFFFFFFFFFF, 0xFFFFFFFFFFFF, 0xFFFFFFFFFFFFFF};
const uint64_t kPatternCopies[8] = {0,
                                    0x0101010101010101ull,
                                    0x0001000100010001ull,
                                    0x0001000001000001ull,
                                    0x0000000100000001ull,
                                    0x0000010000000001ull,
                                    0x0001000000000001ull,
                                    0x0100000000000001ull};
const uint8_t kPatternStep[8] = {0, 8, 8, 6, 8, 5, 6, 7};

// Decodes while both cursors are far from their ends, where every token fits
// whole and copies may use fixed sizes (the bytes written past a token are
// overwritten by the next ones). Raw runs and back-references share one copy:
// only its source differs. Stops at the end token, at runs longer than the
// room that is left, and near the ends.
template <uint32_t kCountShift, uint32_t kCountMask, uint32_t kDistHighMask>
void decodeBulk(const uint8_t** sp, const uint8_t* sEnd, uint8_t** dp, uint8_t* dEnd) {
  const uint8_t* s = *sp;
  uint8_t* d = *dp;
  // A token reads at most 1 + 128 stream bytes here and writes at most 260.
  while (sEnd - s >= 1 + 128 && dEnd - d >= 260) {
    const uint32_t flag = s[0];
    if (flag == kCxEndFlag || flag - kCxShortRunFlag < 2) {
      if (flag == kCxEndFlag) break;
      const bool shortRun = flag == kCxShortRunFlag;
      const uint32_t count = shortRun ? s[1] + kCxShortRunBias : rd16(s + 1);
      const uint8_t value = shortRun ? s[2] : s[3];
      if (static_cast<uint32_t>(dEnd - d) < count) break;
      std::memset(d, value, count);
      d += count;
      s += shortRun ? 3 : 4;
      continue;
    }
    const bool ref = flag >= kCxBackRefFlag;
    const uint32_t f = flag & (kCxBackRefFlag - 1u);
    const uint32_t distance = (f & kDistHighMask) * 256u + s[1] + 1;
    const uint32_t count = ref ? ((f >> kCountShift) & kCountMask) + kCxShortestMatch : flag;
    const uint8_t* from = ref ? d - distance : s + 1;
    s += ref ? 2 : 1 + flag;
    if (count > 24) {  // only raw runs are this long
      std::memcpy(d, from, 128);
    } else if (ref && distance < 8) {
      // steps of 5 or more: three stores cover the 18 bytes of the longest count
      const uint64_t pattern = (load64(from) & kPatternMask[distance]) * kPatternCopies[distance];
      const uint32_t step = kPatternStep[distance];
      store64(d, pattern);
      store64(d + step, pattern);
      store64(d + 2 * step, pattern);
    } else {
      // each 8-byte piece reads only bytes written before it
      store64(d, load64(from));
      store64(d + 8, load64(from + 8));
      store64(d + 16, load64(from + 16));
    }
    d += count;
  }
  *sp = s;
  *dp = d;
}

// The output file of a whole-file decompression, written piece by piece while
// decoding. A failure is remembered and reported once decoding is over, so
// that the messages come in the same order as when the whole output is
// written at the end.
// The file replaces an existing one only once complete (it may be the input).
class OutputFile {
 public:
  explicit OutputFile(const char* path) : fp_(platReplaceOpen(path, "wb")), ok_(fp_ != nullptr) {
    if (fp_) std::setvbuf(fp_, nullptr, _IONBF, 0);  // the pieces are large already
  }
  ~OutputFile() { close(); }
  void write(const uint8_t* data, size_t n) {
    if (ok_ && n != 0 && std::fwrite(data, 1, n, fp_) != n) ok_ = false;
  }
  // True when the whole output reached the file and took its place.
  bool close() {
    if (fp_ && ok_) ok_ = platReplaceCommit(fp_);
    if (fp_ && !ok_) platReplaceDiscard(fp_);
    fp_ = nullptr;
    return ok_;
  }

 private:
  FILE* fp_;
  bool ok_;
};

// Decodes the stream into `total` bytes and returns how many it produced.
// Without `out` the whole output lies behind dst. With `out`, dst is followed
// by `room` bytes (at least 65535 + 260, the longest token and the fast loop's
// margin) that are written to `out` whenever a token would not fit, keeping
// the last kCxHistory bytes in front of dst for the back-references; every
// produced byte has been written when it returns.
template <uint32_t kCountShift, uint32_t kCountMask, uint32_t kDistHighMask>
uint64_t decodePieces(const uint8_t* s, const uint8_t* sEnd, uint8_t* dst, uint64_t total,
                      uint64_t room, const CxGeometry& g, OutputFile* out) {
  uint64_t written = 0;
  uint8_t* d = dst;
  CxToken t;
  for (;;) {
    const bool last = total - written <= room;
    uint8_t* const end = dst + (last ? total - written : room);
    decodeBulk<kCountShift, kCountMask, kDistHighMask>(&s, sEnd, &d, end);
    if (s >= sEnd) break;
    if (d < end) {
      if (!cxReadToken(s, sEnd, g, &t) || t.kind == CxTokenKind::End) break;
      // The last piece cuts a token that would write past the declared size.
      if (last || t.count <= static_cast<uint32_t>(end - d)) {
        d = cxApplyToken(t, d, end);
        s += t.size;
        continue;
      }
    } else if (last) {
      break;  // a correct stream fills the output exactly and its end token is never read
    }
    out->write(dst, d - dst);
    written += d - dst;
    std::memmove(dst - kCxHistory, d - kCxHistory, kCxHistory);
    d = dst;
  }
  if (out) {
    out->write(dst, d - dst);
    written += d - dst;
    d = dst;
  }
  return written + (d - dst);
}

uint64_t decodeAll(const uint8_t* src, uint32_t srcLen, uint8_t* dst, uint64_t total, uint64_t room,
                   const CxGeometry& g, OutputFile* out) {
  if (g.window == kCxType1.window)
    return decodePieces<3, 0x0F, 0x07>(src, src + srcLen, dst, total, room, g, out);
  return decodePieces<4, 0x07, 0x0F>(src, src + srcLen, dst, total, room, g, out);
}

// The buffer of a whole-file decompression: the output passes through it.
const uint32_t kPiece = 256 * 1024;

const char kNotAllDecoded[] = "WARN: not all decoded to output file\n";

// Decodes a stream of the declared size straight into the output file.
Status decodeToFile(const uint8_t* stream, uint32_t streamLen, uint32_t declared, int type,
                    const char* outPath, FileWording wording, const Messages& messages) {
  const Result<CxGeometry> g = cxGeometry(type);
  if (!g.ok()) return g.status;
  // The output is refused on the same terms as a buffer holding it whole.
  const Status fits = cxCheckBlockSize(0ull + kCxHistory + declared);
  if (!fits.ok()) return fits;
  const uint32_t room = declared < kPiece ? declared : kPiece;
  Result<CxBlock> block = cxAllocHistory(room);
  if (!block.ok()) return block.status;
  uint8_t* const buffer = block.value.data();
  OutputFile out(outPath);
  uint64_t got = decodeAll(stream, streamLen, buffer, declared, room, g.value, &out);
  if (got < declared) report(messages, "%s", kNotAllDecoded);
  // Bytes a short stream never decoded are zeros.
  std::memset(buffer, 0, room);
  while (got < declared) {
    const uint32_t n = declared - got < room ? static_cast<uint32_t>(declared - got) : room;
    out.write(buffer, n);
    got += n;
  }
  if (out.close()) return Status();
  // The message of a whole-file save.
  if (wording == FileWording::Quoted)
    return failure("ERROR: couldn't write data (%u bytes) to file '%s'%s\n", declared, outPath,
                   outKeptNote());
  return failure("ERROR: couldn't write data (%u bytes) to file : %s%s\n", declared, outPath,
                 outKeptNote());
}

}  // namespace

Result<uint32_t> cxDecode(const uint8_t* src, uint32_t srcLen, uint8_t* dst, uint32_t dstCap,
                          int type, const Messages& messages) {
  const Result<CxGeometry> g = cxGeometry(type);
  if (!g.ok()) return {0, g.status};
  const uint64_t got = decodeAll(src, srcLen, dst, dstCap, dstCap, g.value, nullptr);
  if (got < dstCap) report(messages, "%s", kNotAllDecoded);
  return {static_cast<uint32_t>(got), Status()};
}

Status cxCheckHeader(const uint8_t* file, uint32_t fileSize, const char* path) {
  if (fileSize > 0 && file[0] > 2)
    return failure("ERROR: Unknown compression type %d : %s\n", file[0], path);
  if (fileSize < kCxHeaderSize)
    return failure(
        "ERROR: file is too short for the 5-byte compressed file header (%u bytes) : %s\n",
        fileSize, path);
  return Status();
}

Status cxCheckStoredSize(uint32_t fileSize, uint32_t declared, const char* path) {
  // Computed in 64 bits: a declared size near 4 GiB must not wrap.
  const unsigned long long needed = 0ull + declared + kCxHeaderSize;
  if (fileSize < needed)
    return failure("ERROR: decoding type 0, filesize is lower than expected %u < %llu : %s\n",
                   fileSize, needed, path);
  return Status();
}

Result<uint32_t> cxDecompressReusing(const uint8_t* file, uint32_t fileSize, const char* name,
                                     std::vector<uint8_t>& buffer, const Messages& messages) {
  Result<uint32_t> result;
  result.status =
      fileSize == 0 ? cxCheckHeader(nullptr, 0, name) : cxCheckHeader(file, fileSize, name);
  if (!result.ok()) return result;
  const int type = file[0];
  const uint32_t declared = rd32(file + 1);
  if (type == 0) result.status = cxCheckStoredSize(fileSize, declared, name);
  if (!result.ok()) return result;
  result.status = cxCheckBlockSize(0ull + kCxHistory + declared);
  if (!result.ok()) return result;
  if (buffer.size() < kCxHistory + size_t(declared)) buffer.resize(kCxHistory + size_t(declared));
  std::memset(buffer.data(), 0, kCxHistory);
  uint8_t* out = buffer.data() + kCxHistory;
  result.value = declared;
  if (type == 0) {
    if (declared > 0) std::memcpy(out, file + kCxHeaderSize, declared);
    return result;
  }
  Result<uint32_t> got =
      cxDecode(file + kCxHeaderSize, fileSize - kCxHeaderSize, out, declared, type, messages);
  if (!got.ok()) return {0, got.status};
  std::memset(out + got.value, 0, declared - got.value);
  return result;
}

Status cxDecompressPlain(const char* inPath, const char* outPath, FileWording wording,
                         const Messages& messages) {
  // The input is mapped rather than copied where possible.
  PlatFileMap map;
  Result<std::vector<uint8_t>> loaded;
  const uint8_t* file = nullptr;
  uint32_t fileSize = 0;
  if (map.map(inPath, outPath)) {
    file = map.data();
    fileSize = map.size();
  } else {
    loaded = loadFile(inPath, wording);
    if (!loaded.ok()) return loaded.status;
    file = loaded.value.data();
    fileSize = static_cast<uint32_t>(loaded.value.size());
  }
  const Status header = cxCheckHeader(file, fileSize, inPath);
  if (!header.ok()) return header;
  const int type = file[0];
  const uint32_t declared = rd32(file + 1);
  if (type != 0)
    return decodeToFile(file + kCxHeaderSize, fileSize - kCxHeaderSize, declared, type, outPath,
                        wording, messages);
  const Status stored = cxCheckStoredSize(fileSize, declared, inPath);
  if (!stored.ok()) return stored;
  return saveFile(outPath, file + kCxHeaderSize, declared, wording);
}

Status cxDecompressFile(const char* inPath, const char* outPath, const Messages& messages) {
  return cxDecompressPlain(inPath, outPath, FileWording::Plain, messages);
}
