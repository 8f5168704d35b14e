#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "common/strutil.h"
#include "frontend/alloc.h"
#include "frontend/numbers.h"
#include "tests/support/testsupport.h"

TEST(NumberParsing, ConvertsAndReportsBadNumbers) {
  char* end = nullptr;
  const char* text = "12abc";
  EXPECT_EQ(strtolE(text, &end, 10, false), 12);
  EXPECT_EQ(end, text + 2);
  EXPECT_EQ(parseUIntAuto("0x1F"), 31);
  EXPECT_EQ(parseUIntAuto("0X1f"), 31);
  EXPECT_EQ(parseUIntAuto("017"), 17);
  EXPECT_EQ(parseDec("  42"), 42);
  EXPECT_EQ(strtolE("-5", nullptr, 10, false), -5);
  EXPECT_EXIT(parseDec("abc"), testing::ExitedWithCode(1),
              exactly("ERROR: strtol: string not number : str = 'abc'\n"));
  EXPECT_EXIT(parseDec("-5"), testing::ExitedWithCode(1),
              exactly("ERROR: strtol: number expected positive : num = -5 : str = '-5'\n"));
  EXPECT_EXIT(parseDec("99999999999"), testing::ExitedWithCode(1),
              exactly("ERROR: strtol: number out of range : str = '99999999999'\n"));
  EXPECT_EXIT(strtolE("-99999999999", nullptr, 10, false), testing::ExitedWithCode(1),
              exactly("ERROR: strtol: number out of range : str = '-99999999999'\n"));
  EXPECT_EQ(parseDec("2147483647"), 2147483647);
}

TEST(StringHelpers, CopiesRoundsAndFinds) {
  char* empty = strdupp(nullptr, 3);
  EXPECT_STREQ(empty, "");
  std::free(empty);
  char* copy = strdupp("abc", 2);
  EXPECT_STREQ(copy, "abc");
  EXPECT_EQ(strEnd(copy), copy + 3);
  std::free(copy);

  EXPECT_EQ(roundUp(10, 8), 16u);
  EXPECT_EQ(roundUp(16, 8), 16u);
  EXPECT_EQ(roundUp(0, 8), 0u);

  const uint8_t buffer[] = {1, 2, 3, 2, 3, 4};
  const uint8_t two[] = {2};
  const uint8_t tail[] = {4, 5};
  const uint8_t mid[] = {3, 4};
  EXPECT_EQ(memFind(buffer, 6, two, 1), buffer + 1);
  EXPECT_EQ(memFind(buffer, 6, mid, 2), buffer + 4);
  EXPECT_EQ(memFind(buffer, 6, tail, 2), nullptr);
  EXPECT_EQ(memFind(buffer, 0, two, 1), nullptr);
  EXPECT_EQ(memFind(nullptr, 6, two, 1), nullptr);
  EXPECT_EQ(memFind(two, 1, buffer, 6), nullptr);
}

TEST(HexHelpers, ReadAndWriteUpperCase) {
  EXPECT_EQ(hexPairValue("4G"), 4u);
  EXPECT_EQ(hexPairValue("G4"), 0u);
  EXPECT_EQ(hexPairValue("fF"), 255u);
  char out[16];
  EXPECT_STREQ(byteToHex(0x1AB, out), "AB");
  const uint8_t data[] = {0x00, 0x7f, 0xc3};
  EXPECT_STREQ(bytesToHex(data, 3, out), "007FC3");
  char text[] = "a\tb\x01 c\xff";
  printableOrDot(text, static_cast<uint32_t>(std::strlen(text)));
  EXPECT_STREQ(text, "a.b. c.");
}
