#include <cstdlib>
#include <cstring>

#include "codec/codec.h"
#include "codec/token.h"
#include "common/diag.h"
#include "common/fileload.h"
#include "common/le.h"

CxGeometry cxGeometry(int type) {
  if (type == 1) return CxGeometry{18, 2048, 3, 0x0F, 0x07};
  if (type == 2) return CxGeometry{10, 4096, 4, 0x07, 0x0F};
  fatal("ERROR: unknown compression type %d\n", type);
}

// Decodes while both cursors are far from their ends, where every token fits
// whole and copies may use fixed sizes (the bytes written past a token are
// overwritten by the next ones). Stops at the end token and near the ends.
static void decodeBulk(const uint8_t** sp, const uint8_t* sEnd, uint8_t** dp, uint8_t* dEnd,
                       const CxGeometry& g) {
  const uint8_t* s = *sp;
  uint8_t* d = *dp;
  while (sEnd - s >= 1 + 128 && dEnd - d >= 260) {
    const uint32_t flag = s[0];
    if (flag >= 0x80) {
      const uint32_t f = flag & 0x7F;
      const uint32_t count = ((f >> g.countShift) & g.countMask) + 3;
      const uint32_t distance = (f & g.distHighMask) * 256u + s[1] + 1;
      const uint8_t* from = d - distance;
      if (distance >= 8) {
        // each 8-byte piece reads only bytes written before it
        for (uint32_t i = 0; i < 24; i += 8) std::memcpy(d + i, from + i, 8);
      } else {
        for (uint32_t i = 0; i < count; ++i) d[i] = from[i];
      }
      d += count;
      s += 2;
    } else if (flag != 0 && flag <= kCxMaxRaw) {
      std::memcpy(d, s + 1, 128);
      d += flag;
      s += 1 + flag;
    } else if (flag == 0x7E) {
      std::memset(d, s[2], s[1] + 4u);
      d += s[1] + 4u;
      s += 3;
    } else if (flag == 0x7F && static_cast<uint32_t>(dEnd - d) >= rd16(s + 1)) {
      std::memset(d, s[3], rd16(s + 1));
      d += rd16(s + 1);
      s += 4;
    } else {
      break;
    }
  }
  *sp = s;
  *dp = d;
}

uint32_t cxDecode(const uint8_t* src, uint32_t srcLen, uint8_t* dst, uint32_t dstCap, int type) {
  const CxGeometry g = cxGeometry(type);
  const uint8_t* s = src;
  const uint8_t* const sEnd = src + srcLen;
  uint8_t* d = dst;
  uint8_t* const dEnd = dst + dstCap;
  decodeBulk(&s, sEnd, &d, dEnd, g);
  CxToken t;
  while (d < dEnd && s < sEnd) {
    if (!cxReadToken(s, sEnd, g, &t) || t.kind == CxTokenKind::End) break;
    d = cxApplyToken(t, d, dEnd);
    s += t.size;
  }
  // A correct stream fills the output exactly and its end token is never read.
  if (d < dEnd) report("WARN: not all decoded to output file\n");
  return static_cast<uint32_t>(d - dst);
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

void cxDecompressFile(const char* inPath, const char* outPath) {
  long size = 0;
  uint8_t* file = fileLoadE(inPath, &size, 0, 0);
  const uint32_t fileSize = static_cast<uint32_t>(size);
  cxCheckHeader(file, fileSize, inPath);
  const int type = file[0];
  const uint32_t declared = rd32(file + 1);
  if (type == 0) {
    cxCheckStoredSize(fileSize, declared, inPath);
    fileSaveE(outPath, file + kCxHeaderSize, declared);
    std::free(file);
    return;
  }
  uint8_t* out = cxAllocHistory(declared);
  const uint32_t got = cxDecode(file + kCxHeaderSize, fileSize - kCxHeaderSize, out, declared, type);
  std::memset(out + got, 0, declared - got);  // bytes a short stream never decoded
  fileSaveE(outPath, out, declared);
  cxFreeHistory(out);
  std::free(file);
}
