#include <cstring>

#include "codec/codec.h"
#include "codec/matchfind.h"

namespace {

// The output stream. Bytes are counted even past the capacity (so the range
// message can tell how many were needed) but never stored there. With
// kChecked false the caller has made sure that the capacity holds the
// largest stream the input can give, and no byte is checked.
template <bool kChecked>
struct StreamWriter {
  uint8_t* out;
  uint32_t cap;
  uint64_t pos;

  bool full() const { return kChecked && pos >= cap; }
  void put(uint8_t b) {
    if (!kChecked || pos < cap) out[pos] = b;
    ++pos;
  }
  void putBytes(const uint8_t* p, uint32_t n) {
    if (!kChecked || pos + n <= cap) {
      std::memcpy(out + pos, p, n);
      pos += n;
    } else {
      for (uint32_t i = 0; i < n; ++i) put(p[i]);
    }
  }
};

// The encoder's state, kept in locals of the loop so that byte stores to the
// output cannot force it back to memory.
template <bool kChecked, uint32_t kWindow, uint32_t kLongest>
struct Encoder {
  const uint8_t* in;
  uint32_t len;
  CxGeometry g;
  StreamWriter<kChecked> w;
  uint32_t target;      // wanted stream size, 0 = none
  uint32_t ip = 0;      // input cursor
  uint32_t rawLen = 0;  // pending raw bytes, just before the cursor
  CxMatchFinder* finder;

  void flushRaw() {
    if (rawLen == 0) return;
    w.put(static_cast<uint8_t>(rawLen));
    w.putBytes(in + ip - rawLen, rawLen);
    rawLen = 0;
  }

  // Adds the byte at the cursor to the pending raw run. A full run is written
  // instead, and the byte is examined again.
  void addRaw() {
    if (rawLen == kCxMaxRaw) {
      flushRaw();
      return;
    }
    ++rawLen;
    ++ip;
  }

  void writeRun(uint32_t m) {
    const uint8_t value = in[ip];
    if (m <= kCxShortRunLongest) {
      w.put(kCxShortRunFlag);
      w.put(static_cast<uint8_t>(m - kCxShortRunBias));
    } else {
      w.put(kCxLongRunFlag);
      w.put(static_cast<uint8_t>(m & 0xFF));
      w.put(static_cast<uint8_t>(m >> 8));
    }
    w.put(value);
    ip += m;
  }

  void writeBackRef(const CxMatch& match) {
    const uint32_t d = match.distance - 1;
    const uint32_t flag = kCxBackRefFlag | ((d >> 8) & g.distHighMask) |
                          (((match.length - kCxShortestMatch) & g.countMask) << g.countShift);
    w.put(static_cast<uint8_t>(flag));
    w.put(static_cast<uint8_t>(d & 0xFF));
    ip += match.length;
  }

  // Target-size mode: when the pending raw bytes and the rest of the input fit
  // into the remaining budget as raw runs, store them so that the stream
  // reaches the target exactly (or as close as 1-byte runs allow). Returns
  // true when the whole input has been written.
  bool tryFill() {
    const uint64_t budget = target - 1 - w.pos;  // 1 byte kept for the end token
    const uint32_t start = ip - rawLen;
    const uint64_t rest = len - start;
    if (rest + (rest + kCxMaxRaw - 1) / kCxMaxRaw > budget) return false;
    const uint64_t runs = budget - rest;
    const uint8_t* p = in + start;
    if (runs > rest) {
      for (uint64_t i = 0; i < rest; ++i) {
        w.put(1);
        w.put(p[i]);
      }
    } else {
      // Split as evenly as possible, the longer runs first.
      const uint64_t q = rest / runs, r = rest % runs;
      for (uint64_t i = 0; i < runs; ++i) {
        const uint32_t n = static_cast<uint32_t>(q + (i < r ? 1 : 0));
        w.put(static_cast<uint8_t>(n));
        w.putBytes(p, n);
        p += n;
      }
    }
    ip = len;
    rawLen = 0;
    return true;
  }

  // Length of the run of equal bytes at the cursor when its first four bytes
  // are equal (at most the longest run), else 0. Compares 4 and then 8 bytes
  // at a time.
  uint32_t runAtCursor(uint32_t remaining) const {
    const uint8_t* p = in + ip;
    static_assert(kCxShortRunBias == 4, "a run is found by its first four bytes");
    if (remaining < kCxShortRunBias) return 0;
    uint32_t first4;
    std::memcpy(&first4, p, 4);
    if (first4 != p[0] * 0x01010101u) return 0;
    const uint32_t limit = remaining < kCxLongRunLongest ? remaining : kCxLongRunLongest;
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

  void loop() {
    const uint32_t longest = kLongest;
    while (ip < len && !w.full()) {
      const uint32_t remaining = len - ip;
      if (kChecked && target != 0 && remaining >= 3 && w.pos < target && tryFill()) break;
      if (remaining < 3) {
        addRaw();
        continue;
      }
      const uint32_t m = runAtCursor(remaining);
      if (m > longest) {
        flushRaw();
        cxSkipRun(finder, ip, m);
        writeRun(m);
        continue;
      }
      const CxMatch match =
          cxFindMatch<kWindow, kLongest>(finder, ip, remaining < longest ? remaining : longest, m);
      if (m == 0 && match.length == 0) {
        addRaw();
        continue;
      }
      flushRaw();
      if (match.length >= m) {
        writeBackRef(match);
      } else {
        writeRun(m);
      }
    }
  }
};

// Runs the encoder and writes the end token; returns its input cursor and the
// stream size.
template <bool kChecked, uint32_t kWindow, uint32_t kLongest>
uint64_t encodeStream(const uint8_t* in, uint32_t inLen, uint8_t* out, uint32_t outCap,
                      const CxGeometry& g, uint32_t target, CxMatchFinder* finder, uint32_t* ip) {
  const StreamWriter<kChecked> w{out, outCap, 0};
  Encoder<kChecked, kWindow, kLongest> e{in, inLen, g, w, target, 0, 0, finder};
  e.loop();
  e.flushRaw();
  e.w.put(kCxEndFlag);
  *ip = e.ip;
  return e.w.pos;
}

// encodeStream for one compressed type, its window and longest length made
// constants of the search.
template <uint32_t kWindow, uint32_t kLongest>
uint64_t encodeType(bool checked, const uint8_t* in, uint32_t inLen, uint8_t* out, uint32_t outCap,
                    const CxGeometry& g, uint32_t target, CxMatchFinder* finder, uint32_t* ip) {
  return checked
             ? encodeStream<true, kWindow, kLongest>(in, inLen, out, outCap, g, target, finder, ip)
             : encodeStream<false, kWindow, kLongest>(in, inLen, out, outCap, g, target, finder,
                                                      ip);
}

}  // namespace

Result<uint32_t> cxEncode(const uint8_t* in, uint32_t inLen, uint8_t* out, uint32_t outCap,
                          int type, uint32_t target, const Messages& messages) {
  const Result<CxGeometry> geometry = cxGeometry(type);
  if (!geometry.ok()) return {0, geometry.status};
  const CxGeometry& g = geometry.value;
  CxMatchFinder finder;
  cxMatchFinderInit(&finder, in, inLen, g);
  // The largest stream: every byte in raw runs of 125, one flag byte each,
  // and the end token. With room for it (and no target) nothing is checked.
  const uint64_t largest = 0ull + inLen + (inLen + kCxMaxRaw - 1) / kCxMaxRaw + 1;
  uint32_t ip = 0;
  const bool checked = target != 0 || outCap < largest;
  const uint64_t written = type == 1
                               ? encodeType<kCxType1.window, kCxType1.longest>(
                                     checked, in, inLen, out, outCap, g, target, &finder, &ip)
                               : encodeType<kCxType2.window, kCxType2.longest>(
                                     checked, in, inLen, out, outCap, g, target, &finder, &ip);
  if (written > outCap)
    report(messages, "ERROR: output data out of buffer range : needed %llu - got %u\n",
           static_cast<unsigned long long>(written), outCap);
  if (ip < inLen) report(messages, "WARN: not all data compressed\n");
  return {static_cast<uint32_t>(written), Status()};
}
