// Fast back-reference search for the compressor. It returns exactly the match
// that the plain backward scan over every distance would choose (the written
// bytes depend on it), using hash chains over 3- and 4-byte prefixes kept for
// the last few thousand positions only.
//
// The search runs once for nearly every token the encoder writes, so its
// functions are defined here, inline, for the encoder's loop to absorb them.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "codec/codec.h"

// The encoder's loop absorbs the search: a call per position costs more than
// many of the searches themselves.
#if defined(__GNUC__)
#define CX_INLINE inline __attribute__((always_inline))
#else
#define CX_INLINE inline
#endif

struct CxMatch {
  uint32_t length = 0;  // 0 = no back-reference
  uint32_t distance = 0;
};

// Positions are counted from the start of the zero history, so the first data
// byte is at kCxHistory.
struct CxMatchFinder {
  const uint8_t* base = nullptr;  // start of the zero history
  uint32_t end = 0;               // the position just after the data
  uint32_t inserted = 0;          // positions below this are in the chains
  CxGeometry geometry{};
  std::unique_ptr<uint32_t[]> block;  // one allocation for all the tables below
  uint32_t* head3 = nullptr;
  uint32_t* head4 = nullptr;
  uint32_t* prev3 = nullptr;  // ring: previous position with the same hash
  uint32_t* prev4 = nullptr;
};

// `in` is the first of `len` data bytes (the zero history lies in front of it).
void cxMatchFinderInit(CxMatchFinder* mf, const uint8_t* in, uint32_t len, const CxGeometry& g);

namespace cxmf {

// Only the last few thousand positions matter: tables a few times larger than
// the window keep most chain heads of unseen keys out of the window (a cheap,
// predictable test) while staying in the cache; other keys sharing a chain
// are skipped.
constexpr uint32_t kHashBits = 15;
constexpr uint32_t kHashSize = 1u << kHashBits;
// Ring length: must exceed the largest distance, so that every position a
// search may reach still has its links.
constexpr uint32_t kRing = 8192;
constexpr uint32_t kRingMask = kRing - 1;
// An empty head. Every search position is at least kCxHistory, at least the
// largest window, so an empty head lies beyond the window like an old one and
// the walks need no test of their own for it.
constexpr uint32_t kNone = 0xFFFFFFFFu;
static_assert(kCxHistory >= 4096, "an empty head must look older than the window");

// The 4 bytes at p as a little-endian number, and 3 bytes the same way.
inline uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap32(v);
#endif
  return v;
}
// Reads exactly 3 bytes: the cursor's may be the last 3 of the data.
inline uint32_t load24(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16); }
inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline uint32_t hashOf(uint32_t key) { return (key * 2654435761u) >> (32 - kHashBits); }

// Inserts every position below pos into the chains. Each position needs its
// 4 bytes, so pos + 3 must lie inside the data.
CX_INLINE void insertUpTo(CxMatchFinder* mf, uint32_t pos) {
  uint32_t x = mf->inserted;
  if (x >= pos) return;
  const uint8_t* const base = mf->base;
  uint32_t* const head3 = mf->head3;
  uint32_t* const head4 = mf->head4;
  uint32_t* const prev3 = mf->prev3;
  uint32_t* const prev4 = mf->prev4;
  do {
    const uint32_t slot = x & kRingMask;
    const uint32_t key = load32(base + x);
    const uint32_t h3 = hashOf(key & 0xFFFFFF);
    const uint32_t h4 = hashOf(key);
    prev3[slot] = head3[h3];
    head3[h3] = x;
    prev4[slot] = head4[h4];
    head4[h4] = x;
  } while (++x < pos);
  mf->inserted = pos;
}

// True when the n bytes at p all equal `value`.
inline bool sameBytes(const uint8_t* p, uint8_t value, uint32_t n) {
  const uint64_t same = value * 0x0101010101010101ull;
  uint32_t i = 0;
  for (; i + 8 <= n; i += 8)
    if (load64(p + i) != same) return false;
  for (; i < n; ++i)
    if (p[i] != value) return false;
  return true;
}

// The first position of the byte run holding x, when it is `lowest` or later;
// 0 when the run begins before `lowest` (lowest is at least 8).
inline uint32_t runStartFrom(const uint8_t* base, uint32_t x, uint32_t lowest) {
  const uint8_t value = base[x];
  const uint64_t same = value * 0x0101010101010101ull;
  uint32_t start = x;
  while (start >= lowest + 8 && load64(base + start - 8) == same) start -= 8;
  while (start > lowest && base[start - 1] == value) --start;
  return start == lowest && base[lowest - 1] == value ? 0 : start;
}

// Near region, when some candidate matches 4 bytes or more: the nearest of the
// longest matches (the scan keeps a candidate only when strictly longer and
// stops at the first one of maxLen bytes). Candidates that cannot be longer than
// the best so far are passed over; so are the positions inside a long run of
// the byte at the cursor once the run's nearest position has been seen, since
// they all match exactly as many bytes as the cursor's run is long.
// When the walk covers the whole near region it goes on into the far region
// and clears *farHas4 if no candidate there matches 4 bytes: the far region
// can then not beat a near match. `run` is the length of the cursor's run of
// equal bytes, at most maxLen (below 4 when its first 4 bytes differ). The
// walk starts at `from`, the 4-byte chain's head or any entry of that chain
// with no 4-byte match nearer than it.
template <uint32_t kWindow, uint32_t kLongest>
CX_INLINE CxMatch nearLongest(const CxMatchFinder* mf, uint32_t cur, uint32_t maxLen, uint32_t run,
                              uint32_t from, bool* farHas4) {
  const uint8_t* const base = mf->base;
  const uint8_t* const q = base + cur;
  const uint32_t key = load32(q);
  const bool skipRuns = run >= 4 && run < maxLen;
  const uint32_t window = kWindow;
  const uint32_t nearMax = kWindow - kLongest;
  CxMatch best;
  *farHas4 = true;  // unless the walk shows otherwise
  uint32_t x = from;
  for (;;) {
    const uint32_t dist = cur - x;
    if (dist > nearMax) {
      for (; cur - x <= window; x = mf->prev4[x & kRingMask])
        if (load32(base + x) == key) return best;
      break;
    }
    const uint8_t* p = base + x;
    if (skipRuns && p[0] == q[0] && sameBytes(p + 1, q[0], run)) {
      // x lies in a run of the cursor's byte at least as long as the cursor's:
      // it matches `run` bytes, and so does every position of that run up to
      // x. The walk goes on before the run's first position.
      if (run > best.length) best = CxMatch{run, dist};
      const uint32_t start = runStartFrom(base, x, cur - nearMax);
      if (start == 0) return best;  // the run may reach into the far region
      x = mf->prev4[start & kRingMask];
      continue;
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
constexpr uint32_t kFarOnly = 0xFFFFFFFFu;

template <uint32_t kWindow, uint32_t kLongest>
CX_INLINE uint32_t nearFirst3(const CxMatchFinder* mf, uint32_t cur) {
  const uint8_t* const base = mf->base;
  const uint32_t key = load24(base + cur);
  const uint32_t window = kWindow;
  const uint32_t nearMax = kWindow - kLongest;
  for (uint32_t x = mf->head3[hashOf(key)];; x = mf->prev3[x & kRingMask]) {
    const uint32_t dist = cur - x;
    if (dist > window) break;
    if (load24(base + x) != key) continue;
    return dist <= nearMax ? dist : kFarOnly;
  }
  return 0;
}

// Far region: the last L distances, each with its own length limit.
CxMatch farRegion(const CxMatchFinder* mf, uint32_t cur, uint32_t maxLen);

// The back-reference for position cur (all positions before it inserted).
template <uint32_t kWindow, uint32_t kLongest>
CX_INLINE CxMatch search(const CxMatchFinder* mf, uint32_t cur, uint32_t maxLen, uint32_t run) {
  // The nearest 3-byte match first: without one there is no longer one either.
  const uint32_t near3 = nearFirst3<kWindow, kLongest>(mf, cur);
  if (near3 == 0) return CxMatch{};
  if (near3 == kFarOnly) return farRegion(mf, cur, maxLen);
  CxMatch best{3, near3};
  // A far candidate must be longer than the near match: at least 4 bytes.
  bool farHas4 = false;
  if (maxLen >= 4) {
    // When the nearest 3-byte match goes on for a fourth byte it is the
    // nearest 4-byte match as well, and the 4-byte chain is walked from there
    // without waiting for its head.
    const uint32_t key = load32(mf->base + cur);
    const uint32_t x3 = cur - near3;
    const uint32_t from = load32(mf->base + x3) == key ? x3 : mf->head4[hashOf(key)];
    const CxMatch longer = nearLongest<kWindow, kLongest>(mf, cur, maxLen, run, from, &farHas4);
    if (longer.length != 0) best = longer;
  }
  if (farHas4 && best.length < maxLen && best.length < kLongest - 1) {
    const CxMatch far = farRegion(mf, cur, maxLen);
    if (far.length > best.length) best = far;
  }
  return best;
}

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

}  // namespace cxmf

// The encoder writes a run of `length` equal bytes at `ip`: positions inside
// it that no search needs are never inserted.
void cxSkipRun(CxMatchFinder* mf, uint32_t ip, uint32_t length);

// The back-reference for the data byte at `ip`, at most maxLen (3 or more)
// bytes long, with the scan's order and tie-breaks. `run` is the number of
// bytes equal to the one at `ip` from there on when its first 4 are equal
// (any value from 4 up; the search needs at most maxLen of them), else 0.
template <uint32_t kWindow, uint32_t kLongest>
CX_INLINE CxMatch cxFindMatch(CxMatchFinder* mf, uint32_t ip, uint32_t maxLen, uint32_t run) {
  const uint32_t cur = ip + kCxHistory;
  cxmf::insertUpTo(mf, cur);
  // The heads the table lookups will want soon, if this byte ends up raw:
  // fetched now, they arrive while this search runs.
  if (cur + 4 < mf->end) cxmf::prefetchHeads(mf, cur + 1);
  const CxMatch match =
      cxmf::search<kWindow, kLongest>(mf, cur, maxLen, run < maxLen ? run : maxLen);
  if (match.length != 0 && cur + match.length + 3 < mf->end)
    cxmf::prefetchHeads(mf, cur + match.length);
  return match;
}
