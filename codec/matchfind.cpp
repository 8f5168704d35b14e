#include "codec/matchfind.h"

#include <cstdlib>
#include <cstring>

#include "common/alloc.h"

namespace {

const uint32_t kHashBits = 16;
const uint32_t kHashSize = 1u << kHashBits;
// Ring length: must exceed the largest distance, so that every position a
// search may reach still has its links.
const uint32_t kRing = 8192;
const uint32_t kRingMask = kRing - 1;
const uint32_t kNone = 0xFFFFFFFFu;

inline uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline uint32_t load24(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16); }
inline uint32_t hashOf(uint32_t key) { return (key * 2654435761u) >> (32 - kHashBits); }

void insertUpTo(CxMatchFinder* mf, uint32_t pos) {
  const uint8_t* base = mf->base;
  for (uint32_t x = mf->inserted; x < pos; ++x) {
    const uint32_t slot = x & kRingMask;
    const uint32_t h3 = hashOf(load24(base + x));
    mf->prev3[slot] = mf->head3[h3];
    mf->head3[h3] = x;
    const uint32_t h4 = hashOf(load32(base + x));
    mf->prev4[slot] = mf->head4[h4];
    mf->head4[h4] = x;
    mf->runStart[slot] =
        (x > 0 && base[x] == base[x - 1]) ? mf->runStart[(x - 1) & kRingMask] : x;
  }
  if (pos > mf->inserted) mf->inserted = pos;
}

// Near region, when some candidate matches 4 bytes or more: the nearest of the
// longest matches (the scan keeps a candidate only when strictly longer and
// stops at the first one of maxLen bytes). Candidates that cannot be longer than
// the best so far are passed over; so are the positions inside a long run of
// the byte at the cursor once the run's nearest position has been seen, since
// they all match exactly as many bytes as the cursor's run is long.
CxMatch nearLongest(CxMatchFinder* mf, uint32_t cur, uint32_t maxLen, uint32_t nearMax) {
  const uint8_t* base = mf->base;
  const uint8_t* q = base + cur;
  const uint32_t key = load32(q);
  uint32_t run = 1;
  while (run < maxLen && q[run] == q[0]) ++run;
  const bool skipRuns = run >= 4 && run < maxLen;
  CxMatch best;
  for (uint32_t x = mf->head4[hashOf(key)]; x != kNone;) {
    const uint32_t dist = cur - x;
    if (dist > nearMax) break;
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
        if (cur - start > nearMax) break;
        x = mf->prev4[start & kRingMask];
        continue;
      }
    }
    if (p[best.length] == q[best.length] && load32(p) == key) {
      uint32_t len = 4;
      while (len < maxLen && p[len] == q[len]) ++len;
      if (len > best.length) {
        best = CxMatch{len, dist};
        if (len == maxLen) break;
      }
    }
    x = mf->prev4[x & kRingMask];
  }
  return best;
}

// Near region when no candidate matches 4 bytes: the nearest 3-byte match.
CxMatch nearFirst3(CxMatchFinder* mf, uint32_t cur, uint32_t nearMax) {
  const uint8_t* base = mf->base;
  const uint32_t key = load24(base + cur);
  for (uint32_t x = mf->head3[hashOf(key)]; x != kNone; x = mf->prev3[x & kRingMask]) {
    const uint32_t dist = cur - x;
    if (dist > nearMax) break;
    if (load24(base + x) == key) return CxMatch{3, dist};
  }
  return CxMatch{};
}

// Far region: the last L distances, each with its own length limit, which
// starts at min(maxLen, L - 1) and falls by one per distance, never below 3.
CxMatch farRegion(const CxMatchFinder* mf, uint32_t cur, uint32_t maxLen) {
  const CxGeometry& g = mf->geometry;
  const uint8_t* q = mf->base + cur;
  const int first = static_cast<int>(maxLen < g.longest - 1 ? maxLen : g.longest - 1);
  CxMatch far;
  for (uint32_t j = 0; j < g.longest; ++j) {
    const uint32_t dist = g.window - g.longest + 1 + j;
    const uint8_t* p = q - dist;
    if (p[0] != q[0] || p[1] != q[1] || p[2] != q[2]) continue;
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

void cxMatchFinderInit(CxMatchFinder* mf, const uint8_t* in, const CxGeometry& g) {
  mf->base = in - kCxHistory;
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

CxMatch cxFindMatch(CxMatchFinder* mf, uint32_t ip, uint32_t maxLen) {
  const CxGeometry& g = mf->geometry;
  const uint32_t cur = ip + kCxHistory;
  insertUpTo(mf, cur);
  const uint32_t nearMax = g.window - g.longest;
  CxMatch best;
  if (maxLen >= 4) best = nearLongest(mf, cur, maxLen, nearMax);
  if (best.length == 0) best = nearFirst3(mf, cur, nearMax);
  if (best.length == 0 || (best.length < maxLen && best.length < g.longest - 1)) {
    const CxMatch far = farRegion(mf, cur, maxLen);
    if (far.length > best.length) best = far;
  }
  return best;
}
