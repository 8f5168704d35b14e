// Reading and applying one token of a compressed stream. Shared by the plain
// decoder and the logging decoder so that both follow the same rules.
#pragma once

#include <cstdint>
#include <cstring>

#include "codec/codec.h"

enum class CxTokenKind { End, Raw, ShortRun, LongRun, BackRef };

struct CxToken {
  CxTokenKind kind = CxTokenKind::End;
  const uint8_t* at = nullptr;  // the flag byte; operands follow it
  uint32_t size = 1;            // bytes the token takes in the stream
  uint32_t count = 0;           // bytes it produces
  uint32_t distance = 0;        // back-references: 1 = the byte just written
  uint8_t value = 0;            // runs: the repeated byte
};

// Reads the token at src. Returns false when its operand bytes would lie past
// srcEnd: such a token only occurs in a damaged stream and is not applied.
inline bool cxReadToken(const uint8_t* src, const uint8_t* srcEnd, const CxGeometry& g,
                        CxToken* t) {
  const uint32_t avail = static_cast<uint32_t>(srcEnd - src);
  const uint8_t flag = src[0];
  t->at = src;
  if (flag == kCxEndFlag) {
    t->kind = CxTokenKind::End;
    t->size = 1;
    t->count = 0;
  } else if (flag <= kCxMaxRaw) {
    t->kind = CxTokenKind::Raw;
    t->size = 1u + flag;
    t->count = flag;
  } else if (flag == kCxShortRunFlag) {
    t->kind = CxTokenKind::ShortRun;
    t->size = 3;
    if (avail < t->size) return false;
    t->count = src[1] + kCxShortRunBias;
    t->value = src[2];
  } else if (flag == kCxLongRunFlag) {
    t->kind = CxTokenKind::LongRun;
    t->size = 4;
    if (avail < t->size) return false;
    t->count = src[1] | (src[2] << 8);
    t->value = src[3];
  } else {
    t->kind = CxTokenKind::BackRef;
    t->size = 2;
    if (avail < t->size) return false;
    const uint32_t f = flag - kCxBackRefFlag;
    t->count = ((f >> g.countShift) & g.countMask) + kCxShortestMatch;
    t->distance = (f & g.distHighMask) * 256u + src[1] + 1;
  }
  return avail >= t->size;
}

// Writes what the token produces at dst, cut at dstEnd, and returns the new
// output cursor. dst must have kCxHistory readable bytes in front of it.
inline uint8_t* cxApplyToken(const CxToken& t, uint8_t* dst, const uint8_t* dstEnd) {
  const uint32_t room = static_cast<uint32_t>(dstEnd - dst);
  const uint32_t n = t.count < room ? t.count : room;
  switch (t.kind) {
    case CxTokenKind::Raw:
      std::memcpy(dst, t.at + 1, n);
      break;
    case CxTokenKind::ShortRun:
    case CxTokenKind::LongRun:
      std::memset(dst, t.value, n);
      break;
    case CxTokenKind::BackRef: {
      const uint8_t* from = dst - t.distance;
      if (t.distance >= n) {
        std::memcpy(dst, from, n);  // source and destination do not overlap
      } else if (t.distance == 1) {
        std::memset(dst, dst[-1], n);
      } else {
        for (uint32_t i = 0; i < n; ++i) dst[i] = from[i];  // repeats the last bytes
      }
      break;
    }
    case CxTokenKind::End:
      break;
  }
  return dst + n;
}
