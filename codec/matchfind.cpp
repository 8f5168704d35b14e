#include "codec/matchfind.h"

#include <cstring>

using namespace cxmf;

namespace {

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

}  // namespace

// The far region's length limit starts at min(maxLen, L - 1) and falls by one
// per distance, never below 3.
CxMatch cxmf::farRegion(const CxMatchFinder* mf, uint32_t cur, uint32_t maxLen) {
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

void cxMatchFinderInit(CxMatchFinder* mf, const uint8_t* in, uint32_t len, const CxGeometry& g) {
  mf->base = in - kCxHistory;
  mf->end = kCxHistory + len;
  mf->inserted = 0;
  mf->geometry = g;
  const uint32_t words = 2 * kHashSize + 2 * kRing;
  // Only the heads start with a value: a link is written when its position is inserted.
  mf->block.reset(new uint32_t[words]);
  mf->head3 = mf->block.get();
  mf->head4 = mf->head3 + kHashSize;
  mf->prev3 = mf->head4 + kHashSize;
  mf->prev4 = mf->prev3 + kRing;
  std::memset(mf->head3, 0xFF, 2 * kHashSize * 4);
}

void cxSkipRun(CxMatchFinder* mf, uint32_t ip, uint32_t length) {
  // Inside a run of one byte every position has the same keys. A search
  // reaches such positions only through the run's last kRunTail ones (nearest
  // first, none of them matches more than L + 1 bytes of a run of that byte)
  // or jumps from them to the chain entry before the run's first position; so
  // only the first position and the last kRunTail are inserted.
  const uint32_t kRunTail = 32;
  if (length <= kRunTail + 1) return;
  const uint32_t cur = ip + kCxHistory;
  insertUpTo(mf, cur + 1);
  mf->inserted = cur + length - kRunTail;
}
