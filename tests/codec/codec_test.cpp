// The decoder's token rules and the compressor's decisions, on small inputs
// whose exact bytes are known.
#include <gtest/gtest.h>

#include "codec/codec.h"
#include "tests/codec/codec_testutil.h"

#if defined(__unix__) || defined(__APPLE__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// Decodes and returns the output; *err receives what went to standard error.
Bytes decodeCapturing(const Bytes& stream, uint32_t size, int type, std::string* err) {
  err->clear();
  return decodeStream(stream, size, type, err);
}

const char kShort[] = "WARN: not all decoded to output file\n";

TEST(Decoder, AppliesEachTokenKind) {
  std::string err;
  // raw "AB", back-reference count 6 distance 2 (overlapping), run of 4, empty long run
  EXPECT_EQ(
      decodeCapturing({0x02, 'A', 'B', 0x98, 0x01, 0x7E, 0x00, 'C', 0x7F, 0, 0, 'D'}, 12, 1, &err),
      bytesOf("ABABABABCCCC"));
  EXPECT_EQ(err, "");
  // distance 1, count 3 repeats the last byte, in both types
  for (int type = 1; type <= 2; ++type) {
    EXPECT_EQ(decodeCapturing({0x01, 'A', 0x80, 0x00}, 4, type, &err), bytesOf("AAAA"));
    EXPECT_EQ(err, "");
  }
  // a long run of 300 and a back-reference into the zero history
  Bytes out = decodeCapturing({0x7F, 0x2C, 0x01, 'x', 0x80, 0x00}, 300, 1, &err);
  EXPECT_EQ(out, Bytes(300, 'x'));
  EXPECT_EQ(decodeCapturing({0xFF, 0xFF}, 18, 1, &err), Bytes(18, 0));
  EXPECT_EQ(err, "");
}

TEST(Decoder, LargestDistanceAndCountPerType) {
  for (int type = 1; type <= 2; ++type) {
    const uint32_t window = type == 1 ? 2048 : 4096, count = type == 1 ? 18 : 10;
    std::mt19937 rng(type);
    const Bytes data = randomBytes(rng, window);
    Bytes stream;
    for (size_t at = 0; at < data.size(); at += 125) {
      const size_t n = std::min<size_t>(125, data.size() - at);
      stream.push_back(static_cast<uint8_t>(n));
      stream.insert(stream.end(), data.begin() + at, data.begin() + at + n);
    }
    stream.push_back(0xFF);
    stream.push_back(0xFF);
    const Bytes out = decodeStream(stream, window + count, type);
    ASSERT_EQ(out.size(), window + count);
    EXPECT_EQ(Bytes(out.begin() + window, out.end()), Bytes(data.begin(), data.begin() + count));
  }
}

TEST(Decoder, ShortAndDamagedStreams) {
  std::string err;
  // the end token before the declared size
  EXPECT_EQ(decodeCapturing({0x01, 'A', 0x00}, 5, 1, &err), bytesOf("A"));
  EXPECT_EQ(err, kShort);
  // the input runs out
  EXPECT_EQ(decodeCapturing({0x01, 'A'}, 5, 2, &err), bytesOf("A"));
  EXPECT_EQ(err, kShort);
  // operands past the end of the input: the token is not applied
  EXPECT_EQ(decodeCapturing({0x01, 'A', 0x05, 'B', 'C'}, 6, 1, &err), bytesOf("A"));
  EXPECT_EQ(err, kShort);
  EXPECT_EQ(decodeCapturing({0x7E, 0x05}, 9, 1, &err), Bytes());
  EXPECT_EQ(decodeCapturing({0x7F, 0x05, 0x00}, 5, 1, &err), Bytes());
  EXPECT_EQ(decodeCapturing({0x01, 'A', 0x80}, 4, 1, &err), bytesOf("A"));
  EXPECT_EQ(err, kShort);
  // tokens that would write past the declared size are cut there, silently
  EXPECT_EQ(decodeCapturing({0x7E, 0x10, 'A', 0x05}, 5, 1, &err), bytesOf("AAAAA"));
  EXPECT_EQ(decodeCapturing({0x03, 'A', 'B', 'C'}, 2, 1, &err), bytesOf("AB"));
  EXPECT_EQ(decodeCapturing({0x01, 'A', 0xF8, 0x00}, 7, 1, &err), bytesOf("AAAAAAA"));
  EXPECT_EQ(err, "");
  // padding zeros after a complete stream are never read
  EXPECT_EQ(decodeCapturing({0x02, 'A', 'B', 0x00, 0x00, 0x00}, 2, 1, &err), bytesOf("AB"));
  EXPECT_EQ(err, "");
}

// The library returns these failures: a long-running caller goes on.
TEST(Decoder, RejectsUnknownTypeAndHugeSizes) {
  uint8_t byte = 0;
  const Result<uint32_t> decoded = cxDecode(&byte, 1, &byte, 0, 3, Messages());
  EXPECT_TRUE(decoded.status.failed);
  EXPECT_EQ(decoded.status.message, "ERROR: unknown compression type 3\n");
  EXPECT_EQ(cxAllocHistory(0xFFFFFFFFu).status.message, "ERROR: cannot malloc 4294971391 bytes.\n");
}

// Compresses into a whole file image.
Bytes compress(const Bytes& data, int type, uint32_t padding = 0, uint32_t wanted = 0) {
  return compressFile(data, type, padding, wanted);
}

// The header of a compressed file, without its stream.
Bytes header(int type, uint32_t size) {
  return compressedFile(static_cast<uint8_t>(type), size, {});
}

Bytes distinctBytes(int n) {
  Bytes b;
  for (int i = 1; i <= n; ++i) b.push_back(static_cast<uint8_t>(i));
  return b;
}

TEST(Compressor, RunsAndBackReferences) {
  // 20 zeros: longer than L, taken as a run at once
  EXPECT_EQ(compress(concat({repeatByte(0, 20), {7}}), 1),
            concat({header(1, 21), {0x7E, 0x10, 0x00, 0x01, 0x07, 0x00}}));
  // 10 zeros: a back-reference into the history matches as long as the run and wins
  EXPECT_EQ(compress(concat({repeatByte(0, 10), {7}}), 1),
            concat({header(1, 11), {0xB8, 0x00, 0x01, 0x07, 0x00}}));
  EXPECT_EQ(compress(repeatByte('v', 300), 2),
            concat({header(2, 300), {0x7F, 0x2C, 0x01, 'v', 0x00}}));
  // a run taken at once writes the pending raw bytes first
  EXPECT_EQ(compress(concat({bytesOf("AB"), repeatByte('C', 20)}), 1),
            concat({header(1, 22), {0x02, 'A', 'B', 0x7E, 0x10, 'C', 0x00}}));
  // a back-reference as long as the run wins; a run without one is written as a run
  EXPECT_EQ(compress(bytesOf("ABCDABCDDDDDD"), 1),
            concat({header(1, 13), {0x04, 'A', 'B', 'C', 'D', 0x88, 0x03, 0x90, 0x00, 0x00}}));
  EXPECT_EQ(compress(bytesOf("ABCDABCDEEEEEF"), 1),
            concat({header(1, 14),
                    {0x04, 'A', 'B', 'C', 'D', 0x88, 0x03, 0x7E, 0x01, 'E', 0x01, 'F', 0x00}}));
}

TEST(Compressor, RawRunsAndPadding) {
  const Bytes data = distinctBytes(126);
  Bytes expected = concat({header(1, 126), {125}, distinctBytes(125), {0x01, 126, 0x00}});
  EXPECT_EQ(compress(data, 1), expected);
  EXPECT_EQ(compress(data, 1, 1), expected);
  expected.resize(136, 0);
  EXPECT_EQ(compress(data, 1, 8), expected);
  EXPECT_EQ(compress(data, 2, 134).size(), 134u);
}

TEST(Compressor, WantedSize) {
  const Bytes data = distinctBytes(126);
  // even split: 68 runs, the first 58 of 2 bytes, the rest of 1
  const Bytes filled = compress(data, 1, 0, 200);
  ASSERT_EQ(filled.size(), 200u);
  EXPECT_EQ(Bytes(filled.begin() + 5, filled.begin() + 11), Bytes({2, 1, 2, 2, 3, 4}));
  EXPECT_EQ(Bytes(filled.end() - 5, filled.end()), Bytes({1, 125, 1, 126, 0}));
  EXPECT_EQ(decodeStream(Bytes(filled.begin() + 5, filled.end()), 126, 1), data);
  // too big a wish: only 1-byte runs, and the file stays smaller than wished
  const Bytes ones = compress(data, 2, 0, 1000);
  ASSERT_EQ(ones.size(), 2 * 126 + 6u);
  EXPECT_EQ(Bytes(ones.begin() + 5, ones.begin() + 9), Bytes({1, 1, 1, 2}));
  // a wish below the normal size, or of 1 to 5 bytes, changes nothing here
  const Bytes normal = compress(concat({repeatByte(0, 10), {7}}), 1);
  for (uint32_t wanted : {1u, 4u, 5u, 8u})
    EXPECT_EQ(compress(concat({repeatByte(0, 10), {7}}), 1, 0, wanted), normal);
  // the filled part starts where the pending raw run started
  const Bytes text = bytesOf("ABCABCABCxyz");
  const Bytes mixed = compress(text, 1, 0, 17);
  EXPECT_EQ(mixed, concat({header(1, 12),
                           {0x03, 'A', 'B', 'C', 0x98, 0x02, 0x02, 'x', 'y', 0x01, 'z', 0x00}}));
  EXPECT_EQ(mixed.size(), 17u);
}

// The far region's limit falls by one per distance starting from
// min(maxLen, L - 1), so near the end of the input it is lower than
// min(maxLen, W - D): here 6 bytes instead of the 8 that would match.
TEST(Compressor, FarRegionLimitNearTheEnd) {
  std::mt19937 rng(11);
  const Bytes block = randomBytes(rng, 8);
  const Bytes data = concat({block, randomBytes(rng, 2033 - 8), block});
  const Bytes file = compress(data, 1);
  EXPECT_EQ(Bytes(file.end() - 6, file.end()), Bytes({0x9F, 0xF0, 0x02, block[6], block[7], 0x00}));
  EXPECT_EQ(
      decodeStream(Bytes(file.begin() + 5, file.end()), static_cast<uint32_t>(data.size()), 1),
      data);
}

// A caller's buffer too small for the stream: the bytes that fit are those of
// the full stream, the rest is only counted, and both messages tell.
TEST(Compressor, OutputBufferTooSmall) {
  const Bytes data = distinctBytes(126);
  const Bytes full = encodeFast(data, 1);
  Bytes in = withHistory(data);
  Bytes out(60, 0xEE);
  std::string messages;
  const Result<uint32_t> n =
      cxEncode(in.data() + kCxHistory, 126, out.data(), 50, 1, 0, collectInto(&messages));
  EXPECT_EQ(messages,
            "ERROR: output data out of buffer range : needed 127 - got 50\n"
            "WARN: not all data compressed\n");
  EXPECT_EQ(n.value, 127u);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 50), Bytes(full.begin(), full.begin() + 50));
  EXPECT_EQ(Bytes(out.begin() + 50, out.end()), Bytes(10, 0xEE));
}

// Input mapped from a file may end where readable memory ends: the input here
// ends right before a page that cannot be read, and every position up to the
// last is searched (random bytes leave them raw).
TEST(Compressor, ReadsNothingPastTheInput) {
#if defined(__unix__) || defined(__APPLE__)
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  std::mt19937 rng(12);
  for (size_t size : {1, 2, 3, 4, 5, 7, 100, 5000}) {
    const size_t dataPages = (kCxHistory + size + page - 1) / page;
    uint8_t* block =
        static_cast<uint8_t*>(mmap(nullptr, (dataPages + 1) * page, PROT_READ | PROT_WRITE,
                                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(block, MAP_FAILED);
    ASSERT_EQ(mprotect(block + dataPages * page, page, PROT_NONE), 0);
    uint8_t* in = block + dataPages * page - size;
    const Bytes data = randomBytes(rng, size);
    std::copy(data.begin(), data.end(), in);
    for (int type = 1; type <= 2; ++type) {
      Bytes out(2 * size + 16);
      const Result<uint32_t> n = cxEncode(in, static_cast<uint32_t>(size), out.data(),
                                          static_cast<uint32_t>(out.size()), type, 0, Messages());
      out.resize(n.value);
      EXPECT_EQ(out, encodePlain(data, type)) << size << " bytes, type " << type;
    }
    munmap(block, (dataPages + 1) * page);
  }
#else
  GTEST_SKIP() << "needs POSIX memory protection";
#endif
}

TEST(Compressor, RejectsUnknownTypeAndHugeBuffers) {
  uint8_t byte = 0;
  EXPECT_EQ(cxEncode(&byte, 0, &byte, 1, 0, 0, Messages()).status.message,
            "ERROR: unknown compression type 0\n");
  const Bytes in = withHistory(bytesOf("0123456789"));
  EXPECT_EQ(
      cxCompressBuffer(in.data() + kCxHistory, 10, 1, 0x7FFFFFFF, 0, Messages()).status.message,
      "ERROR: cannot malloc 2147483664 bytes.\n");
}

// A long-running caller gets each damaged file's failure as a value, with the
// programs' message, and goes on to the next file.
TEST(WholeFiles, DamagedInputsAreReturnedNotFatal) {
  TempDir dir;
  const std::string unknown = dir.file("t3"), cut = dir.file("cut"), stored = dir.file("s0");
  writeBytes(unknown, {3, 1, 0, 0, 0});
  writeBytes(cut, {1, 0, 0});
  writeBytes(stored, {0, 9, 0, 0, 0, 'a'});
  const std::string out = dir.file("out"), log = dir.file("log");
  std::string messages;
  EXPECT_EQ(cxDecompressFile(unknown.c_str(), out.c_str(), collectInto(&messages)).message,
            "ERROR: Unknown compression type 3 : " + unknown + "\n");
  EXPECT_EQ(
      cxdDecompressFile(cut.c_str(), out.c_str(), true, log.c_str(), collectInto(&messages))
          .message,
      "ERROR: file is too short for the 5-byte compressed file header (3 bytes) : " + cut + "\n");
  EXPECT_EQ(
      cxdDecompressFile(stored.c_str(), out.c_str(), true, log.c_str(), collectInto(&messages))
          .message,
      "ERROR: decoding type 0, filesize is lower than expected 6 < 14 : " + stored + "\n");
  EXPECT_FALSE(fileExists(log));  // an unfinished log is not left behind
  EXPECT_EQ(cxDecompressFile(dir.file("none").c_str(), out.c_str(), Messages()).message,
            "ERROR: file not exist or read error occurred : " + dir.file("none") + "\n");

  writeBytes(dir.file("in"), compressFile(bytesOf("abcabcabcabc"), 2));
  const Status fine = cxdDecompressFile(dir.file("in").c_str(), out.c_str(), false, nullptr,
                                        collectInto(&messages));
  EXPECT_TRUE(fine.ok());
  EXPECT_EQ(messages, "");
  EXPECT_EQ(readBytes(out), bytesOf("abcabcabcabc"));
}

TEST(WholeFiles, DecompressedInMemoryAsTheToolsWriteThem) {
  std::string messages;
  auto decoded = [&](const Bytes& file) {
    Bytes buffer(kCxHistory, 0xAA);  // reused: its front is cleared again
    Result<uint32_t> r = cxDecompressReusing(file.data(), uint32_t(file.size()), "f", buffer,
                                             collectInto(&messages));
    return r.ok() ? Bytes(buffer.begin() + kCxHistory, buffer.begin() + kCxHistory + r.value)
                  : bytesOf(r.status.message);
  };
  EXPECT_EQ(decoded(compressFile(bytesOf("abcabcabcabc"), 1)), bytesOf("abcabcabcabc"));
  EXPECT_EQ(decoded({0, 2, 0, 0, 0, 'h', 'i', '!'}), bytesOf("hi"));
  EXPECT_EQ(messages, "");
  EXPECT_EQ(decoded({2, 4, 0, 0, 0, 0x02, 'o', 'k', 0x00}), Bytes({'o', 'k', 0, 0}));
  EXPECT_EQ(messages, "WARN: not all decoded to output file\n");
  EXPECT_EQ(
      decoded({}),
      bytesOf("ERROR: file is too short for the 5-byte compressed file header (0 bytes) : f\n"));
  EXPECT_EQ(decoded({7, 0}), bytesOf("ERROR: Unknown compression type 7 : f\n"));
}

}  // namespace
