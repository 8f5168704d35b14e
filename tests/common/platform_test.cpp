#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/support/testsupport.h"

TEST(Platform, WildcardsFollowTheWindowsSearch) {
  EXPECT_TRUE(platWildcardMatch("*.c1", "0022.vvm.c1"));
  EXPECT_TRUE(platWildcardMatch("00??.*", "0022.bin"));
  EXPECT_TRUE(platWildcardMatch("*", ""));
  EXPECT_FALSE(platWildcardMatch("*.c1", "0022.c2"));
  EXPECT_FALSE(platWildcardMatch("?", ""));
  EXPECT_TRUE(platWildcardMatch("a*b*c", "aXbYbZc"));
}

TEST(Platform, DirectorySearchIsSortedAndAcceptsBackslashes) {
  TempDir dir;
  for (const char* name : {"0003.bin.c1", "0001.bin", "0002.vvm.c1"})
    writeText(dir.file(name), "x");
  writeText(dir.file("sub.c1"), "");
  std::vector<PlatFindEntry> found = platFind((dir.path() + "\\*.c1").c_str());
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].name, "0002.vvm.c1");
  EXPECT_EQ(found[1].name, "0003.bin.c1");
  EXPECT_EQ(found[2].name, "sub.c1");
  EXPECT_TRUE(platFind((dir.path() + "/nothing*").c_str()).empty());
  EXPECT_TRUE(platFind("/no/such/folder/*").empty());

  PlatStat st;
  ASSERT_TRUE(platStat(dir.path().c_str(), &st));
  EXPECT_TRUE(st.isDirectory);
  ASSERT_TRUE(platStat((dir.path() + "\\0001.bin").c_str(), &st));
  EXPECT_TRUE(st.isRegular);
  EXPECT_EQ(st.size, 1u);
  EXPECT_FALSE(platStat(dir.file("missing").c_str(), &st));
}

TEST(Platform, OptionsBeginWithDashOrSlash) {
  EXPECT_TRUE(platIsOption("-c2"));
  EXPECT_TRUE(platIsOption("-"));
  EXPECT_TRUE(platIsOption("/h"));
  EXPECT_TRUE(platIsOption("/m16"));
  EXPECT_FALSE(platIsOption("in.bin"));
  EXPECT_FALSE(platIsOption("dir\\in.bin"));
  EXPECT_FALSE(platIsOption("/tmp/in.bin"));  // an absolute path on this system
}
