#include "codec/matchfind.h"

#include <cstdlib>
#include <cstring>

#include "common/alloc.h"

namespace {

// Only the last few thousand positions matter: tables a few times larger than
// the window keep most chain heads of unseen keys out of the window (a cheap,
// predictable test) while staying in the cache; other keys sharing a chain
// are skipped.
const uint32_t kHashBits = 15;
const uint32_t kHashSize = 1u << kHashBits;
// Ring length: must exceed the largest distance, so that every position a
// search may reach still has its links.
const uint32_t kRing = 8192;
const uint32_t kRingMask = kRing - 1;
const uint32_t kNone = 0xFFFFFFFFu;

// The 4 bytes at p as a little-endian number, and the first 3 of them.
inline uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap32(v);
#endif
  return v;
}
inline uint32_t load24(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16); }
inline uint32_t hashOf(uint32_t key) { return (key * 2654435761u) >> (32 - kHashBits); }

#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline void insertUpTo(CxMatchFinder* mf, uint32_t pos) {
  uint32_t x = mf->inserted;
  if (x >= pos) return;
  const uint8_t* const base = mf->base;
  uint32_t* const head3 = mf->head3;
  uint32_t* const head4 = mf->head4;
  uint32_t* const prev3 = mf->prev3;
  uint32_t* const prev4 = mf->prev4;
  uint32_t* const runStart = mf->runStart;
  uint32_t runFrom = x > 0 ? runStart[(x - 1) & kRingMask] : 0;
  uint32_t previous = x > 0 ? base[x - 1] : 256;  // 256: no byte before the history
  do {
    const uint32_t slot = x & kRingMask;
    const uint32_t key = load32(base + x);  // x + 3 is still inside the data
    const uint32_t h3 = hashOf(key & 0xFFFFFF);
    const uint32_t h4 = hashOf(key);
    prev3[slot] = head3[h3];
    head3[h3] = x;
    prev4[slot] = head4[h4];
    head4[h4] = x;
    const uint32_t byte = key & 0xFF;
    runFrom = byte == previous ? runFrom : x;
    previous = byte;
    runStart[slot] = runFrom;
  } while (++x < pos);
  mf->inserted = pos;
}

// Near region, when some candidate matches 4 bytes or more: the nearest of the
// longest matches (the scan keeps a candidate only when strictly longer and
// stops at the first one of maxLen bytes). Candidates that cannot be longer than
// the best so far are passed over; so are the positions inside a long run of
// the byte at the cursor once the run's nearest position has been seen, since
// they all match exactly as many bytes as the cursor's run is long.
// When the walk covers the whole near region it goes on into the far region
// and clears *farHas4 if no candidate there matches 4 bytes: the far region
// can then not beat a near match.
CxMatch nearLongest(CxMatchFinder* mf, uint32_t cur, uint32_t maxLen, uint32_t nearMax,
                    bool* farHas4) {
  const uint8_t* base = mf->base;
  const uint8_t* q = base + cur;
  const uint32_t key = load32(q);
  uint32_t run = 1;
  while (run < maxLen && q[run] == q[0]) ++run;
  const bool skipRuns = run >= 4 && run < maxLen;
  const uint32_t window = mf->geometry.window;
  CxMatch best;
  *farHas4 = true;  // unless the walk shows otherwise
  uint32_t x = mf->head4[hashOf(key)];
  for (; x != kNone;) {
    const uint32_t dist = cur - x;
    if (dist > nearMax) {
      for (; x != kNone && cur - x <= window; x = mf->prev4[x & kRingMask])
        if (load32(base + x) == key) return best;
      break;
    }
    const uint8_t* p = base + x;
    if (skipRuns && p[0] == q[0]) {
      // Does the run holding x reach at least to x + run?
      const uint32_t y = x + run;
      bool longRun;
      if (y < cur) {
        longRun = mf->runStart[y & kRingMask] <= x;
      } else {
        longRun = true;
        for (uint32_t i = 1; i <= run && longRun; ++i) longRun = p[i] == q[0];
      }
      if (longRun) {
        if (run > best.length) best = CxMatch{run, dist};
        const uint32_t start = mf->runStart[x & kRingMask];
        if (cur - start > nearMax) return best;  // the run may reach into the far region
        x = mf->prev4[start & kRingMask];
        continue;
      }
    }
    if (p[best.length] == q[best.length] && load32(p) == key) {
      uint32_t len = 4;
      while (len < maxLen && p[len] == q[len]) ++len;
      if (len > best.length) {
        best = CxMatch{len, dist};
        if (len == maxLen) return best;
      }
    }
    x = mf->prev4[x & kRingMask];
  }
  *farHas4 = false;
  return best;
}

// The distance of the nearest 3-byte match in the near region, 0 when there
// is none. Without one the chain has been walked through the whole near region
// anyway, so the walk goes on into the far region: kFarOnly tells that some
// candidate there matches 3 bytes.
const uint32_t kFarOnly = 0xFFFFFFFFu;

uint32_t nearFirst3(const CxMatchFinder* mf, uint32_t cur, uint32_t nearMax) {
  const uint8_t* base = mf->base;
  const uint32_t key = load24(base + cur);
  const uint32_t window = mf->geometry.window;
  for (uint32_t x = mf->head3[hashOf(key)]; x != kNone; x = mf->prev3[x & kRingMask]) {
    const uint32_t dist = cur - x;
    if (dist > window) break;
    if (load24(base + x) != key) continue;
    return dist <= nearMax ? dist : kFarOnly;
  }
  return 0;
}

inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Bit 8i + 7 set where byte i of v is zero, and nowhere else.
inline uint64_t zeroBytes(uint64_t v) {
  const uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
  return ~(((v & low7) + low7) | v | low7);
}

// Bit i set when the 3 bytes at p + i equal those at q (i from 0 to 7).
inline uint32_t prefixMatches(const uint8_t* p, const uint8_t* q) {
  const uint64_t ones = 0x0101010101010101ull;
  const uint64_t diff = (load64(p) ^ (q[0] * ones)) | (load64(p + 1) ^ (q[1] * ones)) |
                        (load64(p + 2) ^ (q[2] * ones));
  // Gathers the eight flag bits (at 8i) into the low byte, bit i for byte i.
  return static_cast<uint32_t>(((zeroBytes(diff) >> 7) * 0x0102040810204080ull) >> 56);
}

// Far region: the last L distances, each with its own length limit, which
// starts at min(maxLen, L - 1) and falls by one per distance, never below 3.
CxMatch farRegion(const CxMatchFinder* mf, uint32_t cur, uint32_t maxLen) {
  const CxGeometry& g = mf->geometry;
  const uint8_t* q = mf->base + cur;
  // Candidates whose first 3 bytes match, found 8 at a time: bit i stands for
  // the position W - i bytes back. The region's last bytes are followed by at
  // least W - L + 2 more in the buffer, so the 10-byte reads stay inside it.
  const uint8_t* oldest = q - g.window;
  uint32_t found = 0;
  for (uint32_t i = 0; i < g.longest; i += 8) found |= prefixMatches(oldest + i, q) << i;
  found &= (1u << g.longest) - 1;
  if (found == 0) return CxMatch{};
  const int first = static_cast<int>(maxLen < g.longest - 1 ? maxLen : g.longest - 1);
  CxMatch far;
  for (uint32_t j = 0; j < g.longest; ++j) {
    const uint32_t i = g.longest - 1 - j;  // nearest first
    if (!(found >> i & 1)) continue;
    const uint32_t dist = g.window - i;
    const uint8_t* p = q - dist;
    const uint32_t limit = first - static_cast<int>(j) > 3 ? first - j : 3;
    uint32_t len = 3;
    while (len < limit && p[len] == q[len]) ++len;
    if (len == 3) {
      if (far.length == 0) {
        far = CxMatch{3, dist};
        if (limit == 3) break;
      }
    } else if (len > far.length) {
      far = CxMatch{len, dist};
      if (len == limit) break;
    }
  }
  return far;
}

}  // namespace

void cxMatchFinderInit(CxMatchFinder* mf, const uint8_t* in, uint32_t len, const CxGeometry& g) {
  mf->base = in - kCxHistory;
  mf->end = kCxHistory + len;
  mf->inserted = 0;
  mf->geometry = g;
  const uint32_t words = 2 * kHashSize + 3 * kRing;
  mf->block = static_cast<uint32_t*>(mallocE(words * 4));
  mf->head3 = mf->block;
  mf->head4 = mf->head3 + kHashSize;
  mf->prev3 = mf->head4 + kHashSize;
  mf->prev4 = mf->prev3 + kRing;
  mf->runStart = mf->prev4 + kRing;
  std::memset(mf->head3, 0xFF, 2 * kHashSize * 4);
}

void cxMatchFinderFree(CxMatchFinder* mf) {
  std::free(mf->block);
  mf->block = nullptr;
}

void cxSkipRun(CxMatchFinder* mf, uint32_t ip, uint32_t length) {
  // Inside a run of one byte every position has the same keys. A search
  // reaches such positions only through the run's last kRunTail ones (nearest
  // first, none of them matches more than L + 1 bytes of a run of that byte)
  // or jumps from them to the chain entry before the run's first position; so
  // the first position and the last kRunTail are inserted, the others only
  // get their run start, which searches read for any position.
  const uint32_t kRunTail = 32;
  if (length <= kRunTail + 1) return;
  const uint32_t cur = ip + kCxHistory;
  insertUpTo(mf, cur + 1);
  const uint32_t start = mf->runStart[cur & kRingMask];
  const uint32_t resume = cur + length - kRunTail;
  // Ring slots older than kRing positions would be overwritten anyway.
  for (uint32_t x = resume - cur - 1 > kRing ? resume - kRing : cur + 1; x < resume; ++x)
    mf->runStart[x & kRingMask] = start;
  mf->inserted = resume;
}

namespace {

// Fetches the chain heads of position x, which a later search inserts and
// whose chains it may walk, so that neither waits for them. x + 3 must lie
// inside the data.
inline void prefetchHeads(const CxMatchFinder* mf, uint32_t x) {
#if defined(__GNUC__)
  const uint32_t key = load32(mf->base + x);
  __builtin_prefetch(&mf->head3[hashOf(key & 0xFFFFFF)], 1);
  __builtin_prefetch(&mf->head4[hashOf(key)], 1);
#else
  (void)mf;
  (void)x;
#endif
}

CxMatch search(CxMatchFinder* mf, uint32_t cur, uint32_t maxLen) {
  const CxGeometry& g = mf->geometry;
  const uint32_t nearMax = g.window - g.longest;
  // The nearest 3-byte match first: without one there is no longer one either.
  const uint32_t near3 = nearFirst3(mf, cur, nearMax);
  if (near3 == 0) return CxMatch{};
  if (near3 == kFarOnly) return farRegion(mf, cur, maxLen);
  CxMatch best{3, near3};
  // A far candidate must be longer than the near match: at least 4 bytes.
  bool farHas4 = false;
  if (maxLen >= 4) {
    const CxMatch longer = nearLongest(mf, cur, maxLen, nearMax, &farHas4);
    if (longer.length != 0) best = longer;
  }
  if (farHas4 && best.length < maxLen && best.length < g.longest - 1) {
    const CxMatch far = farRegion(mf, cur, maxLen);
    if (far.length > best.length) best = far;
  }
  return best;
}

}  // namespace

CxMatch cxFindMatch(CxMatchFinder* mf, uint32_t ip, uint32_t maxLen) {
  const uint32_t cur = ip + kCxHistory;
  insertUpTo(mf, cur);
  // The heads the table lookups will want soon, if this byte ends up raw:
  // fetched now, they arrive while this search runs.
  if (cur + 4 < mf->end) prefetchHeads(mf, cur + 1);
  const CxMatch match = search(mf, cur, maxLen);
  if (match.length != 0 && cur + match.length + 3 < mf->end) prefetchHeads(mf, cur + match.length);
  return match;
}
