// The program's fast match search against the plain backward scan: the token
// streams must be identical byte for byte and decode back to the input.
#include <gtest/gtest.h>

#include "tests/codec/codec_testutil.h"

namespace {

void expectSameStreams(const Bytes& data, int type, uint32_t target = 0) {
  const Bytes fast = encodeFast(data, type, target);
  const Bytes plain = encodePlain(data, type, target);
  ASSERT_EQ(fast, plain) << "type " << type << ", " << data.size() << " bytes, target " << target;
  ASSERT_EQ(decodeStream(fast, static_cast<uint32_t>(data.size()), type), data);
}

void expectBothTypes(const Bytes& data, uint32_t target = 0) {
  expectSameStreams(data, 1, target);
  expectSameStreams(data, 2, target);
}

TEST(FastSearchMatchesPlainScan, RandomData) {
  std::mt19937 rng(1);
  for (int i = 0; i < 600; ++i) {
    const int alphabet = (i % 4 == 0) ? 256 : 2 + i % 7;
    expectBothTypes(randomBytes(rng, 1 + rng() % 300, alphabet));
  }
}

TEST(FastSearchMatchesPlainScan, Text) {
  std::mt19937 rng(2);
  for (int i = 0; i < 200; ++i) expectBothTypes(wordText(rng, 1 + rng() % 1500));
  expectBothTypes(wordText(rng, 12000));
}

TEST(FastSearchMatchesPlainScan, LongRuns) {
  std::mt19937 rng(3);
  for (size_t n : {4, 5, 17, 18, 19, 20, 259, 260, 261, 65535, 65536, 65539, 70000}) {
    for (uint8_t value : {0, 0x41}) {
      expectBothTypes(repeatByte(value, n));
      expectBothTypes(concat({randomBytes(rng, 7), repeatByte(value, n), randomBytes(rng, 9)}));
    }
  }
}

// Short runs of one byte interleaved with other data: the cursor's run is
// shorter than maxLen while the window is full of longer and shorter runs.
TEST(FastSearchMatchesPlainScan, MixedShortRuns) {
  std::mt19937 rng(4);
  for (int i = 0; i < 150; ++i) {
    Bytes data;
    const uint8_t value = i % 3 == 0 ? 0 : 0x20;
    while (data.size() < 3000) {
      Bytes run = repeatByte(value, 1 + rng() % 30);
      data.insert(data.end(), run.begin(), run.end());
      Bytes other = randomBytes(rng, rng() % 4, 1 + i % 5);
      data.insert(data.end(), other.begin(), other.end());
    }
    expectBothTypes(data);
  }
}

// Long runs written as run tokens (their inner positions are never searched)
// followed, near and around the window's edges, by shorter runs of the same
// byte, by the run's last bytes and by what followed it.
TEST(FastSearchMatchesPlainScan, LongRunsBeforeShorterOnes) {
  std::mt19937 rng(9);
  for (int i = 0; i < 160; ++i) {
    const int type = 1 + i % 2;
    const uint32_t window = type == 1 ? 2048 : 4096;
    const uint8_t value = i % 4 == 0 ? 0 : 0x41;
    const size_t lengths[] = {19, 33, 34, 35, 36, 50, 300, 65535, 65536, 65600};
    const Bytes run = repeatByte(value, lengths[rng() % 10]);
    const Bytes after = randomBytes(rng, 1 + rng() % 3, 3);
    Bytes data = concat({randomBytes(rng, rng() % 3, 2), repeatByte(value, rng() % 3), run, after});
    const size_t gaps[] = {0, 5, 40, window - 40, window - 20, window - 10, window - 3, window + 2};
    data = concat({data, randomBytes(rng, gaps[rng() % 8], 200)});
    for (int k = 0; k < 6; ++k) {
      const Bytes shorter = repeatByte(value, 3 + rng() % 18);
      const Bytes tail = k % 2 ? Bytes(run.end() - 4, run.end()) : after;
      data = concat(
          {data, randomBytes(rng, rng() % 6, 2), shorter, tail, randomBytes(rng, rng() % 40, 5)});
    }
    expectSameStreams(data, type);
  }
}

TEST(FastSearchMatchesPlainScan, PeriodicPatterns) {
  std::mt19937 rng(5);
  for (int period = 1; period <= 24; ++period) {
    for (int k = 0; k < 4; ++k) {
      const Bytes unit = randomBytes(rng, period, k == 0 ? 2 : 256);
      Bytes data;
      const size_t n = 3 + rng() % 2000;
      while (data.size() < n) data.push_back(unit[data.size() % period]);
      if (k == 3) data[rng() % data.size()] ^= 1;
      expectBothTypes(data);
    }
  }
}

// A block repeated at a distance around W - L and W, ending a few bytes after
// the repeat, so that maxLen falls below L - 1 in the far region too.
TEST(FastSearchMatchesPlainScan, DistancesAroundTheWindowEdge) {
  std::mt19937 rng(6);
  for (int type = 1; type <= 2; ++type) {
    const int window = type == 1 ? 2048 : 4096;
    const int longest = type == 1 ? 18 : 10;
    for (int dist : {window - longest - 1, window - longest, window - longest + 1,
                     window - longest + 2, window - longest / 2, window - 1, window, window + 1}) {
      for (int blockLen : {3, 4, longest - 1, longest, longest + 3}) {
        for (int tail : {0, 2, 30}) {
          const Bytes block = randomBytes(rng, blockLen);
          Bytes data = concat({block, randomBytes(rng, dist - blockLen), block});
          const Bytes after = randomBytes(rng, tail, 4);
          data.insert(data.end(), after.begin(), after.end());
          expectSameStreams(data, type);
        }
      }
    }
  }
}

// Zeros reach back into the history in front of the data.
TEST(FastSearchMatchesPlainScan, ZeroHistory) {
  std::mt19937 rng(7);
  for (int i = 0; i < 120; ++i) {
    Bytes data = randomBytes(rng, 1 + rng() % 600, 2 + i % 3);
    for (auto& b : data)
      if (rng() % 3 != 0) b = 0;
    expectBothTypes(data);
  }
  for (int lead = 0; lead < 24; ++lead)
    expectBothTypes(concat({repeatByte(0, lead), randomBytes(rng, 40)}));
}

TEST(FastSearchMatchesPlainScan, EveryTargetSize) {
  std::mt19937 rng(8);
  for (int i = 0; i < 12; ++i) {
    const Bytes data =
        i % 2 ? wordText(rng, 20 + rng() % 300) : randomBytes(rng, 3 + rng() % 200, 4);
    const uint32_t limit = static_cast<uint32_t>(2 * data.size() + 10);
    for (uint32_t target = 1; target <= limit; target += 1 + i % 3) expectBothTypes(data, target);
  }
}

}  // namespace
