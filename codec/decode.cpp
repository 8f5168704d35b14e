#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "codec/codec.h"
#include "codec/filemap.h"
#include "codec/token.h"
#include "common/diag.h"
#include "common/fileload.h"
#include "common/le.h"
#include "common/safeout.h"
#include "platform/platform.h"
#include "platform/replace.h"

CxGeometry cxGeometry(int type) {
  if (type == 1) return kCxType1;
  if (type == 2) return kCxType2;
  fatal("ERROR: unknown compression type %d\n", type);
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
const uint64_t kPatternMask[8] = {0, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF, 0xFFFFFFFFFF,
                                  0xFFFFFFFFFFFF, 0xFFFFFFFFFFFFFF};
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
    if (flag == 0 || flag - 0x7E < 2) {
      if (flag == 0) break;
      const uint32_t count = flag == 0x7E ? s[1] + 4u : rd16(s + 1);
      const uint8_t value = flag == 0x7E ? s[2] : s[3];
      if (static_cast<uint32_t>(dEnd - d) < count) break;
      std::memset(d, value, count);
      d += count;
      s += flag == 0x7E ? 3 : 4;
      continue;
    }
    const bool ref = flag >= 0x80;
    const uint32_t f = flag & 0x7F;
    const uint32_t distance = (f & kDistHighMask) * 256u + s[1] + 1;
    const uint32_t count = ref ? ((f >> kCountShift) & kCountMask) + 3 : flag;
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
                   int type, OutputFile* out) {
  const CxGeometry g = cxGeometry(type);
  if (type == 1) return decodePieces<3, 0x0F, 0x07>(src, src + srcLen, dst, total, room, g, out);
  return decodePieces<4, 0x07, 0x0F>(src, src + srcLen, dst, total, room, g, out);
}

// The buffer of a whole-file decompression: the output passes through it.
const uint32_t kPiece = 256 * 1024;

// Decodes a stream of the declared size straight into the output file.
void decodeToFile(const uint8_t* stream, uint32_t streamLen, uint32_t declared, int type,
                  const char* outPath, bool quoted) {
  // The output is refused on the same terms as a buffer holding it whole.
  cxCheckBlockSize(0ull + kCxHistory + declared);
  const uint32_t room = declared < kPiece ? declared : kPiece;
  uint8_t* buffer = cxAllocHistory(room);
  OutputFile out(outPath);
  uint64_t got = decodeAll(stream, streamLen, buffer, declared, room, type, &out);
  if (got < declared) report("WARN: not all decoded to output file\n");
  // Bytes a short stream never decoded are zeros.
  std::memset(buffer, 0, room);
  while (got < declared) {
    const uint32_t n = declared - got < room ? static_cast<uint32_t>(declared - got) : room;
    out.write(buffer, n);
    got += n;
  }
  const bool ok = out.close();
  cxFreeHistory(buffer);
  // The messages of fileSaveQ and fileSaveE.
  if (!ok && quoted)
    fatal("ERROR: couldn't write data (%u bytes) to file '%s'%s\n", declared, outPath,
          outKeptNote());
  if (!ok)
    fatal("ERROR: couldn't write data (%u bytes) to file : %s%s\n", declared, outPath,
          outKeptNote());
}

}  // namespace

uint32_t cxDecode(const uint8_t* src, uint32_t srcLen, uint8_t* dst, uint32_t dstCap, int type) {
  const uint64_t got = decodeAll(src, srcLen, dst, dstCap, dstCap, type, nullptr);
  if (got < dstCap) report("WARN: not all decoded to output file\n");
  return static_cast<uint32_t>(got);
}

void cxCheckHeader(const uint8_t* file, uint32_t fileSize, const char* path) {
  if (file[0] > 2) fatal("ERROR: Unknown compression type %d : %s\n", file[0], path);
  if (fileSize < kCxHeaderSize)
    fatal("ERROR: file is too short for the 5-byte compressed file header (%u bytes) : %s\n",
          fileSize, path);
}

void cxCheckStoredSize(uint32_t fileSize, uint32_t declared, const char* path) {
  // Computed in 64 bits: a declared size near 4 GiB must not wrap.
  const unsigned long long needed = 0ull + declared + kCxHeaderSize;
  if (fileSize < needed)
    fatal("ERROR: decoding type 0, filesize is lower than expected %u < %llu : %s\n", fileSize,
          needed, path);
}

void cxDecompressPlain(const char* inPath, const char* outPath, bool quoted) {
  // The input is mapped rather than copied where possible.
  CxFileMap map;
  uint8_t* loaded = nullptr;
  const uint8_t* file = nullptr;
  uint32_t fileSize = 0;
  if (cxMapFile(inPath, outPath, &map)) {
    file = map.data;
    fileSize = map.size;
  } else {
    long size = 0;
    loaded = quoted ? fileLoadQ(inPath, &size) : fileLoadE(inPath, &size, 0, 0);
    file = loaded;
    fileSize = static_cast<uint32_t>(size);
  }
  cxCheckHeader(file, fileSize, inPath);
  const int type = file[0];
  const uint32_t declared = rd32(file + 1);
  if (type == 0) {
    cxCheckStoredSize(fileSize, declared, inPath);
    if (quoted) {
      fileSaveQ(outPath, file + kCxHeaderSize, declared);
    } else {
      fileSaveE(outPath, file + kCxHeaderSize, declared);
    }
  } else {
    decodeToFile(file + kCxHeaderSize, fileSize - kCxHeaderSize, declared, type, outPath, quoted);
  }
  cxUnmapFile(&map);
  std::free(loaded);
}

void cxDecompressFile(const char* inPath, const char* outPath) {
  cxDecompressPlain(inPath, outPath, false);
}
