#include "kvo/sha256.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>
#define KVO_SHA_X86 1
#endif

namespace {
const uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline uint32_t rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

inline uint32_t loadBig(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void compressPlain(uint32_t* state, const uint8_t* blocks, size_t count) {
  for (; count > 0; --count, blocks += 64) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i) w[i] = loadBig(blocks + 4 * i);
    for (int i = 16; i < 64; ++i) {
      uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
      uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; ++i) {
      uint32_t t1 =
          h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
      uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      h = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

#ifdef KVO_SHA_X86
// Four rounds with the processor's SHA instructions; `k` holds the round
// constants for them.
#define KVO_SHA_ROUNDS4(msg, k)                          \
  do {                                                   \
    __m128i sum = _mm_add_epi32(msg, (k));               \
    state1 = _mm_sha256rnds2_epu32(state1, state0, sum); \
    sum = _mm_shuffle_epi32(sum, 0x0E);                  \
    state0 = _mm_sha256rnds2_epu32(state0, state1, sum); \
  } while (0)

__attribute__((target("sha,sse4.1,ssse3"))) void compressSha(uint32_t* state, const uint8_t* blocks,
                                                             size_t count) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i tmp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));         // DCBA
  __m128i state1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));  // HGFE
  tmp = _mm_shuffle_epi32(tmp, 0xB1);                                             // CDAB
  state1 = _mm_shuffle_epi32(state1, 0x1B);                                       // EFGH
  __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);                               // ABEF
  state1 = _mm_blend_epi16(state1, tmp, 0xF0);                                    // CDGH
  const __m128i* k = reinterpret_cast<const __m128i*>(kRound);
  for (; count > 0; --count, blocks += 64) {
    const __m128i savedState0 = state0, savedState1 = state1;
    __m128i m[4];
    for (int i = 0; i < 4; ++i)
      m[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * i)),
                              byteSwap);
    for (int group = 0; group < 16; ++group) {
      __m128i& words = m[group & 3];
      KVO_SHA_ROUNDS4(words, _mm_loadu_si128(k + group));
      // The message schedule: finish the words four groups ahead, then start
      // the next ones (in this order: the second step reads the earlier words).
      if (group >= 3 && group <= 14) {
        __m128i& ahead = m[(group + 1) & 3];
        ahead = _mm_add_epi32(ahead, _mm_alignr_epi8(words, m[(group + 3) & 3], 4));
        ahead = _mm_sha256msg2_epu32(ahead, words);
      }
      if (group >= 1 && group <= 12) {
        __m128i& before = m[(group + 3) & 3];
        before = _mm_sha256msg1_epu32(before, words);
      }
    }
    state0 = _mm_add_epi32(state0, savedState0);
    state1 = _mm_add_epi32(state1, savedState1);
  }
  tmp = _mm_shuffle_epi32(state0, 0x1B);        // FEBA
  state1 = _mm_shuffle_epi32(state1, 0xB1);     // DCHG
  state0 = _mm_blend_epi16(tmp, state1, 0xF0);  // DCBA
  state1 = _mm_alignr_epi8(state1, tmp, 8);     // ABEF
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), state0);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), state1);
}
#undef KVO_SHA_ROUNDS4

bool processorHasSha() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  bool sha = (b >> 29) & 1;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  bool sse41 = (c >> 19) & 1, ssse3 = (c >> 9) & 1;
  return sha && sse41 && ssse3;
}
#endif

void compressBlocks(uint32_t* state, const uint8_t* blocks, size_t count) {
#ifdef KVO_SHA_X86
  static const bool useSha = processorHasSha();
  if (useSha) return compressSha(state, blocks, count);
#endif
  compressPlain(state, blocks, count);
}
}  // namespace

Sha256 sha256Start() {
  Sha256 hash;
  hash.state = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  return hash;
}

void sha256Add(Sha256& hash, const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  hash.totalSize += size;
  if (hash.pendingSize > 0) {
    size_t take = std::min(size, 64 - hash.pendingSize);
    std::memcpy(hash.pending.data() + hash.pendingSize, bytes, take);
    hash.pendingSize += take;
    bytes += take;
    size -= take;
    if (hash.pendingSize < 64) return;
    compressBlocks(hash.state.data(), hash.pending.data(), 1);
    hash.pendingSize = 0;
  }
  compressBlocks(hash.state.data(), bytes, size / 64);
  bytes += size / 64 * 64;
  hash.pendingSize = size % 64;
  std::memcpy(hash.pending.data(), bytes, hash.pendingSize);
}

std::array<uint8_t, 32> sha256Finish(Sha256& hash) {
  uint64_t bits = hash.totalSize * 8;
  uint8_t tail[72] = {0x80};
  size_t padding = (hash.pendingSize < 56 ? 56 : 120) - hash.pendingSize;
  for (int i = 0; i < 8; ++i) tail[padding + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  sha256Add(hash, tail, padding + 8);
  std::array<uint8_t, 32> digest;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j)
      digest[4 * i + j] = static_cast<uint8_t>(hash.state[i] >> (24 - 8 * j));
  return digest;
}

std::string sha256Hex(const std::array<uint8_t, 32>& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

std::string sha256HexOf(const void* data, size_t size) {
  Sha256 hash = sha256Start();
  sha256Add(hash, data, size);
  return sha256Hex(sha256Finish(hash));
}
