#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cerrno>
#include <cstdlib>

#include "frontend/streams.h"
#include "platform/platform.h"
#include "platform/replace.h"
#include "tests/support/testsupport.h"

TEST(ReplacingOutput, TargetChangesOnlyAtCommit) {
  TempDir dir;
  std::string target = dir.file("work.bin");
  writeText(target, "old");
  writeText(target + ".kvotmp", "someone else's");  // an existing name is never taken
  FILE* fp = platReplaceOpen(target.c_str(), "wb");
  ASSERT_NE(fp, nullptr);
  std::fputs("new data", fp);
  std::fflush(fp);
  EXPECT_EQ(readText(target), "old");
  EXPECT_TRUE(platReplaceCommit(fp));
  EXPECT_EQ(readText(target), "new data");
  EXPECT_EQ(readText(target + ".kvotmp"), "someone else's");
  EXPECT_FALSE(fileExists(target + ".kvotmp1"));

  fp = platReplaceOpen(target.c_str(), "wb");
  std::fputs("abandoned", fp);
  platReplaceDiscard(fp);
  EXPECT_EQ(readText(target), "new data");
  EXPECT_FALSE(fileExists(target + ".kvotmp1"));

  EXPECT_TRUE(platReplaceSave((dir.path() + "\\fresh.bin").c_str(), "xy", 2));
  EXPECT_EQ(readText(dir.file("fresh.bin")), "xy");
}

TEST(ReplacingOutput, FoldersDevicesAndStoppedRuns) {
  TempDir dir;
  errno = 0;
  EXPECT_EQ(platReplaceOpen(dir.path().c_str(), "wb"), nullptr);
  EXPECT_EQ(errno, EISDIR);
  // A device is written directly, never replaced by a regular file.
  EXPECT_TRUE(platReplaceSave("/dev/null", "x", 1));
  PlatStat st;
  ASSERT_TRUE(platStat("/dev/null", &st));
  EXPECT_FALSE(st.isRegular);
  EXPECT_FALSE(platReplaceSave("/dev/full", "x", 1));

  // A run that ends before its commit leaves the old file and no temporary.
  std::string target = dir.file("kept.bin");
  writeText(target, "precious");
  EXPECT_EXIT(
      {
        FILE* fp = outOpen(target.c_str(), "wb");
        outWrite(fp, "half", 4);
        std::exit(1);
      },
      testing::ExitedWithCode(1), "");
  EXPECT_EQ(readText(target), "precious");
  EXPECT_FALSE(fileExists(target + ".kvotmp"));
  // A new file that was never completed is not left behind half-written.
  std::string fresh = dir.file("fresh.bin");
  EXPECT_EXIT(
      {
        FILE* fp = outOpen(fresh.c_str(), "wb");
        outWrite(fp, "half", 4);
        std::exit(1);
      },
      testing::ExitedWithCode(1), "");
  EXPECT_FALSE(fileExists(fresh));
  EXPECT_EXIT(outSave(dir.path().c_str(), "x", 1), testing::ExitedWithCode(1),
              exactly("ERROR: can't open file : " + dir.path() + " : Is a directory\n"));
}

// When the complete new data cannot take the target's place (here a folder
// took it meanwhile), the target stays and the new data stays beside it.
TEST(ReplacingOutput, FailedReplacementKeepsBothFiles) {
  TempDir dir;
  std::string target = dir.file("work.bin");
  writeText(target, "old");
  FILE* fp = platReplaceOpen(target.c_str(), "wb");
  ASSERT_NE(fp, nullptr);
  std::fputs("new data", fp);
  ASSERT_EQ(platRemove(target.c_str()), 0);
  ASSERT_EQ(mkdir(target.c_str(), 0700), 0);
  EXPECT_FALSE(platReplaceCommit(fp));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_EQ(std::string(platReplaceKept()), target + ".kvotmp");
  EXPECT_EQ(readText(target + ".kvotmp"), "new data");
  EXPECT_EQ(std::string(outKeptNote()), " : the new data is kept in " + target + ".kvotmp");

  fp = platReplaceOpen(dir.file("next.bin").c_str(), "wb");
  EXPECT_STREQ(platReplaceKept(), "");
  EXPECT_TRUE(platReplaceCommit(fp));
  EXPECT_STREQ(outKeptNote(), "");
}
