// The decoder's fast paths (fixed-size copies, pattern stores for near
// back-references, the output written piece by piece) against a decoder that
// applies each token one byte at a time, and the tools on outputs larger than
// one piece.
#include <gtest/gtest.h>

#include <cstdlib>

#include "codec/codec.h"
#include "tests/codec/codec_testutil.h"

namespace {

// One byte at a time, cut at the declared size; *shortStream tells whether
// the stream ended before it.
Bytes decodeByteByByte(const Bytes& s, uint32_t size, int type, bool* shortStream) {
  Bytes out(kCxHistory, 0);
  const size_t end = kCxHistory + size;
  size_t i = 0;
  while (out.size() < end && i < s.size()) {
    const uint32_t flag = s[i];
    if (flag == 0) break;
    // a token whose operands run past the input end is not applied
    const uint32_t need = flag <= 125 ? 1 + flag : flag == 0x7E ? 3 : flag == 0x7F ? 4 : 2;
    if (s.size() - i < need) break;
    if (flag <= 125) {
      for (uint32_t k = 1; k <= flag && out.size() < end; ++k) out.push_back(s[i + k]);
      i += need;
    } else if (flag == 0x7E || flag == 0x7F) {
      const uint32_t count = flag == 0x7E ? s[i + 1] + 4u : s[i + 1] | (s[i + 2] << 8);
      const uint8_t value = s[i + need - 1];
      for (uint32_t k = 0; k < count && out.size() < end; ++k) out.push_back(value);
      i += need;
    } else {
      const uint32_t f = flag & 0x7F;
      const uint32_t count = type == 1 ? ((f >> 3) & 15) + 3 : ((f >> 4) & 7) + 3;
      const uint32_t distance = (type == 1 ? (f & 7) : (f & 15)) * 256 + s[i + 1] + 1;
      for (uint32_t k = 0; k < count && out.size() < end; ++k)
        out.push_back(out[out.size() - distance]);
      i += 2;
    }
  }
  *shortStream = out.size() < end;
  return Bytes(out.begin() + kCxHistory, out.end());
}

void addBackRef(Bytes* s, int type, uint32_t count, uint32_t distance) {
  const uint32_t d = distance - 1;
  const uint32_t flag =
      type == 1 ? 0x80 | ((count - 3) << 3) | (d >> 8) : 0x80 | ((count - 3) << 4) | (d >> 8);
  s->push_back(static_cast<uint8_t>(flag));
  s->push_back(static_cast<uint8_t>(d));
}

// A random stream of every token kind, near back-references and short raw
// runs favoured; `produced` receives the size it decodes to.
Bytes randomStream(std::mt19937& rng, int type, size_t tokens, uint32_t* produced) {
  const uint32_t window = type == 1 ? 2048 : 4096, longest = type == 1 ? 18 : 10;
  Bytes s;
  uint64_t n = 0;
  for (size_t t = 0; t < tokens; ++t) {
    const uint32_t kind = rng() % 20;
    if (kind < 7) {
      const uint32_t len = rng() % 4 == 0 ? 1 + rng() % 125 : 1 + rng() % 6;
      s.push_back(static_cast<uint8_t>(len));
      for (uint32_t k = 0; k < len; ++k)
        s.push_back(static_cast<uint8_t>(rng() % 4 == 0 ? rng() : 'a' + k % 3));
      n += len;
    } else if (kind < 17) {
      const uint32_t count = 3 + rng() % (longest - 2);
      const uint32_t distance = rng() % 2   ? 1 + rng() % 9
                                : rng() % 3 ? 1 + rng() % 40
                                            : 1 + rng() % window;
      addBackRef(&s, type, count, distance);
      n += count;
    } else if (kind < 19) {
      const uint32_t count = rng() % 256;
      s.insert(s.end(), {0x7E, static_cast<uint8_t>(count), static_cast<uint8_t>(rng())});
      n += count + 4;
    } else {
      const uint32_t count = rng() % 3 == 0 ? rng() % 70000 % 65536 : rng() % 600;
      s.insert(s.end(), {0x7F, static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                         static_cast<uint8_t>(rng())});
      n += count;
    }
  }
  *produced = static_cast<uint32_t>(n);
  return s;
}

const char kShort[] = "WARN: not all decoded to output file\n";

// Declared sizes below, at and above what the stream produces, and streams
// cut anywhere in their last tokens, decoded into buffers of exactly the
// declared size (so that a fixed-size copy past the end shows under the
// sanitizer).
TEST(DecoderFastPaths, RandomStreamsMatchByteByByteDecoding) {
  std::mt19937 rng(21);
  for (int round = 0; round < 400; ++round) {
    const int type = 1 + round % 2;
    uint32_t produced = 0;
    Bytes stream = randomStream(rng, type, 20 + rng() % 300, &produced);
    uint32_t size = produced;
    switch (rng() % 5) {
      case 0:
        size = produced - rng() % (produced / 2 + 1);
        break;
      case 1:
        size = produced + 1 + rng() % 300;
        break;
      case 2:
        stream.resize(stream.size() - rng() % 6);
        break;
      case 3:
        stream.insert(stream.end(), {0x00, 0x00, 0x00});
        size = produced + rng() % 3;
        break;
      default:
        break;
    }
    bool shortStream = false;
    const Bytes expected = decodeByteByByte(stream, size, type, &shortStream);
    std::string err;
    const Bytes got = decodeStream(stream, size, type, &err);
    ASSERT_EQ(got, expected) << "round " << round;
    EXPECT_EQ(err, shortStream ? kShort : "") << "round " << round;
  }
}

// Every distance up to 8 with every count, repeated long enough for the fast
// loop: the output repeats the distance's last bytes.
TEST(DecoderFastPaths, NearBackReferencesRepeatAPattern) {
  for (int type = 1; type <= 2; ++type) {
    const uint32_t longest = type == 1 ? 18 : 10;
    for (uint32_t distance = 1; distance <= 8; ++distance) {
      for (uint32_t count = 3; count <= longest; ++count) {
        Bytes stream = {8, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
        uint32_t size = 8;
        while (size < 600) {
          addBackRef(&stream, type, count, distance);
          size += count;
        }
        stream.insert(stream.end(), {0x02, 'y', 'z'});
        size += 2;
        Bytes expected = bytesOf("ABCDEFGH");
        while (expected.size() < size - 2) {
          const uint8_t repeated = expected[expected.size() - distance];
          expected.push_back(repeated);
        }
        expected.push_back('y');
        expected.push_back('z');
        ASSERT_EQ(decodeStream(stream, size, type), expected)
            << "type " << type << ", distance " << distance << ", count " << count;
      }
    }
  }
}

void writeCompressed(const std::string& path, const Bytes& data, int type) {
  writeBytes(path, compressFile(data, type));
}

// Outputs of several hundred KiB pass through the decoder's buffer in pieces:
// runs, back-references and raw runs across the piece ends, the history
// carried over, and a short stream whose missing part is written as zeros.
TEST(Kvocxd, OutputsLargerThanOnePiece) {
  TempDir dir;
  std::mt19937 rng(22);
  Bytes data;
  while (data.size() < 1100000) {
    const Bytes text = wordText(rng, 1 + rng() % 5000);
    data.insert(data.end(), text.begin(), text.end());
    const Bytes run = repeatByte(static_cast<uint8_t>(rng() % 3),
                                 rng() % 4 ? rng() % 300 : 65535 + rng() % 40000);
    data.insert(data.end(), run.begin(), run.end());
    const Bytes noise = randomBytes(rng, rng() % 3000);
    data.insert(data.end(), noise.begin(), noise.end());
  }
  for (int type = 1; type <= 2; ++type) {
    writeCompressed(dir.file("big.c"), data, type);
    EXPECT_EQ(runTool("kvocxd", {"big.c", "out"}, dir.path()).err, "");
    EXPECT_EQ(readBytes(dir.file("out")), data) << "type " << type;
    EXPECT_EQ(runTool("kvocx", {"-d", "big.c", "out2"}, dir.path()).err, "");
    EXPECT_EQ(readBytes(dir.file("out2")), data) << "type " << type;
  }
  // The stream of 300000 bytes declared as 900000: the rest are zeros.
  const Bytes part(data.begin(), data.begin() + 300000);
  Bytes damaged = compressFile(part, 1);
  damaged[1] = 0xA0, damaged[2] = 0xBB, damaged[3] = 0x0D;  // 900000
  writeBytes(dir.file("short.c1"), damaged);
  Bytes expected = part;
  expected.resize(900000, 0);
  for (const char* tool : {"kvocxd", "kvocx"}) {
    const ToolResult r = tool[5] == 'd' ? runTool(tool, {"short.c1", "out"}, dir.path())
                                        : runTool(tool, {"-d", "short.c1", "out"}, dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, kShort);
    EXPECT_EQ(readBytes(dir.file("out")), expected) << tool;
  }
}

// A file given as both input and output: the input is read whole before the
// output replaces it.
TEST(Kvocxd, InputFileAsOutput) {
  TempDir dir;
  std::mt19937 rng(23);
  const Bytes data = concat({wordText(rng, 400000), repeatByte(7, 70000), randomBytes(rng, 5000)});
  writeCompressed(dir.file("self"), data, 2);
  EXPECT_EQ(runTool("kvocxd", {"self", "self"}, dir.path()).err, "");
  EXPECT_EQ(readBytes(dir.file("self")), data);
  writeCompressed(dir.file("self"), data, 1);
  EXPECT_EQ(runTool("kvocx", {"-d", "self", "self"}, dir.path()).err, "");
  EXPECT_EQ(readBytes(dir.file("self")), data);
  writeBytes(dir.file("plain"), data);
  writeCompressed(dir.file("expected"), data, 1);
  EXPECT_EQ(runTool("kvocx", {"-c", "plain", "plain"}, dir.path()).err, "");
  EXPECT_EQ(readBytes(dir.file("plain")), readBytes(dir.file("expected")));
}

}  // namespace
