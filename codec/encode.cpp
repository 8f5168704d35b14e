#include <cstring>

#include "codec/codec.h"
#include "codec/matchfind.h"
#include "common/diag.h"

namespace {

// The output stream. Bytes are counted even past the capacity (so the range
// message can tell how many were needed) but never stored there.
struct StreamWriter {
  uint8_t* out;
  uint32_t cap;
  uint64_t pos;

  bool full() const { return pos >= cap; }
  void put(uint8_t b) {
    if (pos < cap) out[pos] = b;
    ++pos;
  }
  void putBytes(const uint8_t* p, uint32_t n) {
    if (pos + n <= cap) {
      std::memcpy(out + pos, p, n);
      pos += n;
    } else {
      for (uint32_t i = 0; i < n; ++i) put(p[i]);
    }
  }
};

struct Encoder {
  const uint8_t* in;
  uint32_t len;
  CxGeometry g;
  StreamWriter w;
  uint32_t target;      // wanted stream size, 0 = none
  uint32_t ip = 0;      // input cursor
  uint32_t rawLen = 0;  // pending raw bytes, just before the cursor
  CxMatchFinder finder;
};

void flushRaw(Encoder* e) {
  if (e->rawLen == 0) return;
  e->w.put(static_cast<uint8_t>(e->rawLen));
  e->w.putBytes(e->in + e->ip - e->rawLen, e->rawLen);
  e->rawLen = 0;
}

// Adds the byte at the cursor to the pending raw run. A full run is written
// instead, and false tells the caller to examine the byte again.
bool addRaw(Encoder* e) {
  if (e->rawLen == kCxMaxRaw) {
    flushRaw(e);
    return false;
  }
  ++e->rawLen;
  ++e->ip;
  return true;
}

void writeRun(Encoder* e, uint32_t m) {
  const uint8_t value = e->in[e->ip];
  if (m <= 259) {
    e->w.put(0x7E);
    e->w.put(static_cast<uint8_t>(m - 4));
  } else {
    e->w.put(0x7F);
    e->w.put(static_cast<uint8_t>(m & 0xFF));
    e->w.put(static_cast<uint8_t>(m >> 8));
  }
  e->w.put(value);
  e->ip += m;
}

void writeBackRef(Encoder* e, const CxMatch& match) {
  const uint32_t d = match.distance - 1;
  const uint32_t flag = 0x80 | ((d >> 8) & e->g.distHighMask) |
                        (((match.length - 3) & e->g.countMask) << e->g.countShift);
  e->w.put(static_cast<uint8_t>(flag));
  e->w.put(static_cast<uint8_t>(d & 0xFF));
  e->ip += match.length;
}

// Target-size mode: when the pending raw bytes and the rest of the input fit
// into the remaining budget as raw runs, store them so that the stream reaches
// the target exactly (or as close as 1-byte runs allow). Returns true when the
// whole input has been written.
bool tryFill(Encoder* e) {
  const uint64_t budget = e->target - 1 - e->w.pos;  // 1 byte kept for the end token
  const uint32_t start = e->ip - e->rawLen;
  const uint64_t rest = e->len - start;
  if (rest + (rest + kCxMaxRaw - 1) / kCxMaxRaw > budget) return false;
  const uint64_t runs = budget - rest;
  const uint8_t* p = e->in + start;
  if (runs > rest) {
    for (uint64_t i = 0; i < rest; ++i) {
      e->w.put(1);
      e->w.put(p[i]);
    }
  } else {
    // Split as evenly as possible, the longer runs first.
    const uint64_t q = rest / runs, r = rest % runs;
    for (uint64_t i = 0; i < runs; ++i) {
      const uint32_t n = static_cast<uint32_t>(q + (i < r ? 1 : 0));
      e->w.put(static_cast<uint8_t>(n));
      e->w.putBytes(p, n);
      p += n;
    }
  }
  e->ip = e->len;
  e->rawLen = 0;
  return true;
}

// Length of the run of equal bytes at the cursor when its first four bytes
// are equal (at most 65535), else 0. Compares 4 and then 8 bytes at a time.
uint32_t runAtCursor(const Encoder* e, uint32_t remaining) {
  const uint8_t* p = e->in + e->ip;
  if (remaining < 4) return 0;
  uint32_t first4;
  std::memcpy(&first4, p, 4);
  if (first4 != p[0] * 0x01010101u) return 0;
  const uint32_t limit = remaining < 65535 ? remaining : 65535;
  const uint64_t same = p[0] * 0x0101010101010101ull;
  uint32_t m = 4;
  for (; m + 8 <= limit; m += 8) {
    uint64_t v;
    std::memcpy(&v, p + m, 8);
    if (v != same) break;
  }
  while (m < limit && p[m] == p[0]) ++m;
  return m;
}

void encodeLoop(Encoder* e) {
  const uint32_t longest = e->g.longest;
  while (e->ip < e->len && !e->w.full()) {
    const uint32_t remaining = e->len - e->ip;
    if (e->target != 0 && remaining >= 3 && e->w.pos < e->target && tryFill(e)) break;
    if (remaining < 3) {
      addRaw(e);
      continue;
    }
    const uint32_t m = runAtCursor(e, remaining);
    if (m > longest) {
      flushRaw(e);
      cxSkipRun(&e->finder, e->ip, m);
      writeRun(e, m);
      continue;
    }
    const CxMatch match = cxFindMatch(&e->finder, e->ip, remaining < longest ? remaining : longest);
    if (m == 0 && match.length == 0) {
      addRaw(e);
      continue;
    }
    flushRaw(e);
    if (match.length >= m) {
      writeBackRef(e, match);
    } else {
      writeRun(e, m);
    }
  }
}

}  // namespace

uint32_t cxEncode(const uint8_t* in, uint32_t inLen, uint8_t* out, uint32_t outCap, int type,
                  uint32_t target) {
  Encoder e{in, inLen, cxGeometry(type), StreamWriter{out, outCap, 0}, target, 0, 0, {}};
  cxMatchFinderInit(&e.finder, in, inLen, e.g);
  encodeLoop(&e);
  cxMatchFinderFree(&e.finder);
  flushRaw(&e);
  e.w.put(0);
  if (e.w.pos > outCap)
    report("ERROR: output data out of buffer range : needed %llu - got %u\n",
           static_cast<unsigned long long>(e.w.pos), outCap);
  if (e.ip < inLen) report("WARN: not all data compressed\n");
  return static_cast<uint32_t>(e.w.pos);
}
