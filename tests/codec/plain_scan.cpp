#include "tests/codec/plain_scan.h"

namespace {

struct Plain {
  const uint8_t* in;
  uint32_t len;
  uint8_t* out;
  uint32_t cap;
  int longest, window, countShift, countMask, distMask;
  uint64_t pos = 0;
  uint32_t ip = 0;
  uint32_t rawStart = 0;
  uint32_t rawLen = 0;
};

void put(Plain& s, int b) {
  if (s.pos < s.cap) s.out[s.pos] = static_cast<uint8_t>(b);
  s.pos++;
}

void flush(Plain& s) {
  if (s.rawLen == 0) return;
  put(s, static_cast<int>(s.rawLen));
  for (uint32_t i = 0; i < s.rawLen; i++) put(s, s.in[s.rawStart + i]);
  s.rawLen = 0;
}

int matchLength(const Plain& s, int dist, int limit) {
  const uint8_t* cur = s.in + s.ip;
  const uint8_t* cand = cur - dist;
  int n = 0;
  while (n < limit && cand[n] == cur[n]) n++;
  return n;
}

bool first3(const Plain& s, int dist) {
  const uint8_t* cur = s.in + s.ip;
  const uint8_t* cand = cur - dist;
  return cand[0] == cur[0] && cand[1] == cur[1] && cand[2] == cur[2];
}

// Returns the chosen length (0 = none) and its distance.
int search(const Plain& s, int maxLen, int* bestDist) {
  int best = 0;
  *bestDist = 0;
  bool taken = false;
  for (int d = 1; d <= s.window - s.longest; d++) {
    if (!first3(s, d)) continue;
    int n = matchLength(s, d, maxLen);
    if (n == maxLen) {
      best = n;
      *bestDist = d;
      taken = true;
      break;
    }
    if (n > best) {
      best = n;
      *bestDist = d;
    }
  }
  if (taken) return best;
  if (!(best == 0 || (best < maxLen && best < s.longest - 1))) return best;

  int farBest = 0, farDist = 0;
  int limit = maxLen < s.longest - 1 ? maxLen : s.longest - 1;
  for (int d = s.window - s.longest + 1; d <= s.window; d++) {
    int lim = limit < 3 ? 3 : limit;
    limit--;
    if (!first3(s, d)) continue;
    int n = matchLength(s, d, lim);
    if (n == 3 || lim == 3) {
      if (farBest == 0) {
        farBest = 3;
        farDist = d;
        if (lim == 3) break;
      }
      continue;
    }
    if (n > farBest) {
      farBest = n;
      farDist = d;
      if (n == lim) break;
    }
  }
  if (farBest > best) {
    best = farBest;
    *bestDist = farDist;
  }
  return best;
}

}  // namespace

uint32_t plainEncode(const uint8_t* in, uint32_t inLen, uint8_t* out, uint32_t outCap, int type,
                     uint32_t target) {
  Plain s{in, inLen, out, outCap, 18, 2048, 3, 0x0F, 0x07};
  if (type == 2) {
    s.longest = 10;
    s.window = 4096;
    s.countShift = 4;
    s.countMask = 0x07;
    s.distMask = 0x0F;
  }
  while (s.ip < s.len && s.pos < s.cap) {
    uint32_t remaining = s.len - s.ip;
    if (target > 0 && remaining >= 3 && s.pos < target) {
      int64_t budget = static_cast<int64_t>(target) - 1 - static_cast<int64_t>(s.pos);
      int64_t rest = s.len - s.rawStart;
      if (rest + (rest + 124) / 125 <= budget) {
        int64_t k = budget - rest;
        uint32_t p = s.rawStart;
        if (k > rest) {
          for (int64_t i = 0; i < rest; i++) {
            put(s, 1);
            put(s, in[p++]);
          }
        } else {
          int64_t q = rest / k, r = rest % k;
          for (int64_t i = 0; i < k; i++) {
            int64_t n = i < r ? q + 1 : q;
            put(s, static_cast<int>(n));
            for (int64_t j = 0; j < n; j++) put(s, in[p++]);
          }
        }
        s.ip = s.len;
        s.rawLen = 0;
        break;
      }
    }
    uint32_t m = 0;
    int len = 0, dist = 0;
    if (remaining >= 3) {
      const uint8_t* c = in + s.ip;
      if (remaining >= 4 && c[1] == c[0] && c[2] == c[0] && c[3] == c[0]) {
        while (m < remaining && m < 65535 && c[m] == c[0]) m++;
      }
      if (m <= static_cast<uint32_t>(s.longest)) {
        int maxLen = remaining < static_cast<uint32_t>(s.longest) ? remaining : s.longest;
        len = search(s, maxLen, &dist);
      }
    }
    if (m == 0 && len == 0) {
      if (s.rawLen == 125) {
        flush(s);
        s.rawStart = s.ip;
        continue;
      }
      if (s.rawLen == 0) s.rawStart = s.ip;
      s.rawLen++;
      s.ip++;
      continue;
    }
    flush(s);
    if (m <= static_cast<uint32_t>(s.longest) && static_cast<uint32_t>(len) >= m) {
      int d = dist - 1;
      put(s, 0x80 | ((d >> 8) & s.distMask) | (((len - 3) & s.countMask) << s.countShift));
      put(s, d & 0xFF);
      s.ip += len;
    } else if (m <= 259) {
      put(s, 0x7E);
      put(s, m - 4);
      put(s, in[s.ip]);
      s.ip += m;
    } else {
      put(s, 0x7F);
      put(s, m & 0xFF);
      put(s, m >> 8);
      put(s, in[s.ip]);
      s.ip += m;
    }
    s.rawStart = s.ip;
  }
  flush(s);
  put(s, 0);
  return static_cast<uint32_t>(s.pos);
}
