#include <gtest/gtest.h>

#include <random>
#include <string>

#include "kvo/potext.h"

using namespace std::string_literals;

TEST(PoText, BytesAPoFileCannotCarryBecomeTags) {
  std::string raw = "A\xFF<$B\0\xC3\xA9\xC3"s + "<x$<" + "\xED\xA0\x80" + "\xF4\x90\x80\x80";
  std::string text = toPoText(raw);
  EXPECT_EQ(text, "A<$FF><$3C>$B<$00>\xC3\xA9<$C3><x$<<$ED><$A0><$80><$F4><$90><$80><$80>");
  PoTextBytes back = fromPoText(text);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.bytes, raw);
}

TEST(PoText, EveryByteStringComesBackUnchanged) {
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string raw(random() % 12, '\0');
    for (char& c : raw) c = "<$>A\xC3\xA9\x80\xFF\xF0\x9F"[random() % 10];
    if (round < 256) raw = std::string(1, static_cast<char>(round));
    PoTextBytes back = fromPoText(toPoText(raw));
    ASSERT_TRUE(back.ok()) << round;
    ASSERT_EQ(back.bytes, raw) << round;
  }
}

TEST(PoText, TranslatorsTagsAreReadAndMalformedOnesPlaced) {
  EXPECT_EQ(fromPoText("<$41><$0A>$<").bytes, "A\n$<");
  const std::string message =
      "malformed byte tag: write <$XX> with two upper-case hexadecimal digits";
  const std::pair<std::string, size_t> malformed[] = {
      {"ab<$4g>", 3}, {"\xC3\xA9<$4", 2}, {"<$41", 1}, {"x<$ff>", 2}, {"<$<$41>", 1}};
  for (const auto& [text, column] : malformed) {
    PoTextBytes result = fromPoText(text);
    EXPECT_EQ(result.error, message) << text;
    EXPECT_EQ(result.column, column) << text;
    EXPECT_EQ(result.bytes, "") << text;
  }
}
