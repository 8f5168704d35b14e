#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "tests/support/testsupport.h"
#include "tests/texttable/linear_oracle.h"
#include "tests/texttable/table_helpers.h"
#include "texttable/convert.h"

TEST(Conversion, LongestLiteralFirstAndUnmatchedBytes) {
  ASSERT_TRUE(loadTable("\\x41=A\r\n\\x41\\x42=[AB]"));
  EXPECT_EQ(toText({0x41, 0x42, 0x41}), bytesOf("[AB]A"));
  EXPECT_EQ(toBytes(bytesOf("A[AB]x")), (Bytes{0x41, 0x41, 0x42, 'x'}));

  ASSERT_TRUE(loadTable("\\x41=A"));
  EXPECT_EQ(toText({0x41, 0x07, 0x41}), (Bytes{'A', 0x07, 'A'}));
  ASSERT_TRUE(loadTable("\\x41=A\r\n=skipmode"));
  EXPECT_EQ(toText({0x41, 0x07, 0x41}), bytesOf("AA"));
  EXPECT_EQ(toText({0x07}), Bytes{});
}

TEST(Conversion, CopyMarkersCarryRuns) {
  ASSERT_TRUE(loadTable("\\x0B\\c02=<X\\h02>\r\n\\x0C\\c01=\r\n\\x0D\\c01\\x0E=(\\c01)"));
  EXPECT_EQ(toText({0x0B, 0x1A, 0x2B}), bytesOf("<X1A2B>"));
  EXPECT_EQ(toBytes(bytesOf("<X1A2B>")), (Bytes{0x0B, 0x1A, 0x2B}));
  EXPECT_EQ(toBytes(bytesOf("<Xg1zz>")), (Bytes{0x0B, 0x00, 0x00}));  // leading digits only
  EXPECT_EQ(toBytes(bytesOf("<X1g02>")), (Bytes{0x0B, 0x01, 0x02}));
  // A marker on the searched side only: the carried byte is dropped.
  EXPECT_EQ(toText({0x0C, 0x55}), Bytes{});
  // Raw to raw, with a literal suffix after the run.
  EXPECT_EQ(toText({0x0D, 0x99, 0x0E, 0x41}), (Bytes{'(', 0x99, ')', 0x41}));
  EXPECT_EQ(toText({0x0D, 0x99, 0x0F}), (Bytes{0x0D, 0x99, 0x0F}));
  // A run reaching past the end does not match.
  EXPECT_EQ(toText({0x0B, 0x1A}), (Bytes{0x0B, 0x1A}));
}

TEST(Conversion, MarkerThatConsumesNothingNeverMatches) {
  // \c00 alone would match everywhere without moving on.
  ASSERT_TRUE(loadTable("\\c00=stall\\c00\r\n\\h00\\x43=Z\r\n\\x41=A"));
  EXPECT_EQ(toText({0x41, 0x43, 0x42}), bytesOf("AZB"));
  EXPECT_EQ(toBytes(bytesOf("stallX")), bytesOf("X"));
}

TEST(Conversion, TailRuleAfterUnmatchedByte) {
  ASSERT_TRUE(loadTable("\\x41=A\r\n\\c01\\x09=Y"));
  EXPECT_EQ(toText({0x07, 0x41}), (Bytes{0x07, 0x41}));
  EXPECT_EQ(toText({0x41}), bytesOf("A"));
  EXPECT_EQ(toText({0x33, 0x09, 0x41, 0x07, 0x41}), (Bytes{'Y', 'A', 0x07, 0x41}));
}

TEST(Conversion, OutputGrowsPastTheEstimate) {
  // Each raw byte becomes two characters while the ratio estimate is 1.75.
  ASSERT_TRUE(loadTable("\\cFF=<\\hFF>"));
  Bytes input(300);
  for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<uint8_t>(i * 7);
  Bytes text = toText(input);
  ASSERT_EQ(text.size(), 512u + 45u);
  EXPECT_EQ(text[0], '<');
  EXPECT_EQ(std::string(text.begin() + 1, text.begin() + 7), "00070E");
  EXPECT_EQ(text[511], '>');
  EXPECT_EQ(toBytes(text), input);
  // Short produced sides on the way back: one byte for each long word.
  ASSERT_TRUE(loadTable("\\x01=a-long-word"));
  EXPECT_EQ(toBytes(bytesOf("a-long-worda-long-word!")), (Bytes{1, 1, '!'}));
}

TEST(Conversion, LongSidesSharingAPrefix) {
  const std::string p = "0123456789abcdef";  // as deep as the lookup tree goes
  ASSERT_TRUE(loadTable(p + "XY=1\r\n" + p + "XYZ=2\r\n" + p + "=3\r\n" + p +
                        "X\\c01Y=<4\\c01>\r\n" + p.substr(0, 15) + "=5"));
  EXPECT_EQ(toText(bytesOf(p + "XYZ" + p + "XY" + p + "X#Y" + p + "X#" + p.substr(0, 15))),
            bytesOf("21<4#>3X#5"));
}

TEST(Conversion, DuplicatesAndUtf8Text) {
  ASSERT_TRUE(
      loadTable("\\x81\\x40=\xE3\x81\x82\r\n\\x81\\x41=\xE3\x81\x82\r\n\\x20=\xE3\x80\x80"));
  EXPECT_EQ(toText({0x81, 0x41, 0x20, 0x81, 0x40}),
            bytesOf("\xE3\x81\x82\xE3\x80\x80\xE3\x81\x82"));
  // The same text for two codes: the first in the file wins.
  EXPECT_EQ(toBytes(bytesOf("\xE3\x81\x82\xE3\x80\x80")), (Bytes{0x81, 0x40, 0x20}));
}

TEST(Conversion, FailuresAndDialogWrappers) {
  CharTable empty;
  std::string messages;
  Bytes out{9};
  const uint8_t input[] = {1, 2};
  EXPECT_EQ(tblBytesToText(empty, input, 2).status.message,
            "TBL:Given table not valid or not initialized\n");
  EXPECT_FALSE(dialogToText(empty, input, 2, &out, 3, "a.bt", collectInto(&messages)));
  EXPECT_FALSE(dialogFromText(empty, input, 2, &out, 4, "b.bt", collectInto(&messages)));
  EXPECT_EQ(out, Bytes{});
  EXPECT_EQ(messages,
            "TBL:Given table not valid or not initialized\n"
            "WARN: dialog No.3 error converting : a.bt\n"
            "TBL:Given table not valid or not initialized\n"
            "WARN: dialog No.4 error converting from txt : b.bt\n");

  messages.clear();
  ASSERT_TRUE(loadTable("\\x01=\r\n\\x02=two"));
  EXPECT_FALSE(dialogToText(table(), input, 0, &out, 0, "a.bt", collectInto(&messages)));
  EXPECT_TRUE(dialogToText(table(), input, 1, &out, 0, "a.bt", collectInto(&messages)));
  EXPECT_EQ(out, Bytes{});  // converts to nothing
  EXPECT_TRUE(dialogToText(table(), input, 2, &out, 0, "a.bt", collectInto(&messages)));
  EXPECT_EQ(out, bytesOf("two"));
  EXPECT_TRUE(dialogFromText(table(), reinterpret_cast<const uint8_t*>("two"), 3, &out, 0, "a.bt",
                             collectInto(&messages)));
  EXPECT_EQ(out, Bytes{2});
  EXPECT_EQ(messages, "");
}

TEST(Conversion, ReportsWhereTextHasNoCode) {
  ASSERT_TRUE(loadTable("\\x01=ab\r\n\\x02=c"));
  std::vector<uint32_t> unmatched;
  Result<Bytes> bytes = tblTextToBytes(table(), bytesOf("abXcab!?").data(), 8, &unmatched);
  EXPECT_EQ(bytes.value, (Bytes{1, 'X', 2, 1, '!', '?'}));
  EXPECT_EQ(unmatched, (std::vector<uint32_t>{2, 6, 7}));
}

TEST(Conversion, TwoTablesSideBySideAndFromTwoThreads) {
  auto parse = [](const std::string& text) {
    return tblParse(Bytes(text.begin(), text.end()), Messages());
  };
  const CharTable first = parse("\\x02\\c01=<\\h01>\r\n\\x01=one");
  const CharTable second = parse("\\x01=uno\r\n=skipmode");
  const Bytes input{1, 2, 0x5A, 7, 1};
  auto convertBoth = [&](Bytes* a, Bytes* b) {
    for (int i = 0; i < 200; ++i) {
      *a = tblBytesToText(first, input.data(), 5).value;
      *b = tblBytesToText(second, input.data(), 5).value;
    }
  };
  Bytes a1, b1, a2, b2;
  std::thread other(convertBoth, &a2, &b2);
  convertBoth(&a1, &b1);
  other.join();
  EXPECT_EQ(a1, bytesOf("one<5A>\x07one"));
  EXPECT_EQ(b1, bytesOf("unouno"));
  EXPECT_EQ(a2, a1);
  EXPECT_EQ(b2, b1);
}

namespace {

// A random table line: short sides of bytes from a small alphabet, with the
// escapes, markers and separators that the parser has to get right.
std::string randomSide(std::mt19937& rng) {
  static const char* const kPieces[] = {
      "a",   "b",  "ab", "\\x61", "\\x00",  "\\=", "\\\\", "\\c01", "\\c02", "\\h01",   "\\h02",
      "\\x", "\\", "=",  "\r\n",  "\\\r\n", "0",   "F",    "z",     "\\c00", "abababab"};
  std::string side;
  int pieces = std::uniform_int_distribution<int>(0, 4)(rng);
  for (int i = 0; i < pieces; ++i) side += kPieces[rng() % (sizeof kPieces / sizeof *kPieces)];
  return side;
}

Bytes randomInput(std::mt19937& rng, size_t length) {
  static const uint8_t kBytes[] = {'a', 'b', 0, 1, 2, '0', 'F', 'z', '=', '\\', 0x0D, 0x0A};
  Bytes input(length);
  for (auto& b : input) b = kBytes[rng() % sizeof kBytes];
  return input;
}

}  // namespace

TEST(Conversion, IndexedLookupMatchesLinearScan) {
  std::mt19937 rng(20140516);
  testing::internal::CaptureStderr();  // tables with two markers complain
  for (int round = 0; round < 400; ++round) {
    std::string file;
    int lines = std::uniform_int_distribution<int>(1, 12)(rng);
    for (int i = 0; i < lines; ++i) file += randomSide(rng) + "=" + randomSide(rng) + "\r\n";
    if (round % 5 == 0) file += "=skipmode";
    ASSERT_TRUE(loadTable(file));
    if (table().forward.empty()) continue;
    for (int k = 0; k < 4; ++k) {
      Bytes input = randomInput(rng, rng() % 40);
      toText(input);  // each compares itself with the oracle
      toBytes(input);
    }
    // An array that is not the loaded table's own gets an index of its own.
    TblDirection d = tblForward(table());
    TblDirection half{d.entries + d.count / 2, d.count - d.count / 2, d.ratio, nullptr};
    Bytes input = randomInput(rng, 30);
    EXPECT_EQ(tblConvert(half, table().skipMode, input.data(), 30).value,
              linearConvert(input.data(), 30, half.entries, half.count, table().skipMode));
  }
  testing::internal::GetCapturedStderr();
}
