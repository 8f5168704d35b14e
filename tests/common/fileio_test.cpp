#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "frontend/files.h"
#include "tests/support/testsupport.h"

TEST(StatFamily, SizesLoadsAndWritesAtOffsets) {
  TempDir dir;
  std::string path = dir.file("f.bin");
  writeText(path, "0123456789");
  EXPECT_EQ(fileSizeE(path.c_str()), 10u);
  char buffer[8] = {};
  EXPECT_EQ(fileReadAt(path.c_str(), buffer, 7, 8), 3u);
  EXPECT_EQ(std::string(buffer, 3), "789");
  uint8_t* part = fileLoadAtE(path.c_str(), 2, 3);
  EXPECT_EQ(std::memcmp(part, "234", 3), 0);
  std::free(part);
  uint32_t size = 0;
  uint8_t* whole = fileLoadS(path.c_str(), &size);
  EXPECT_EQ(size, 10u);
  std::free(whole);
  fileWriteAt(path.c_str(), "ab", 4, 2, "r+b");
  EXPECT_EQ(readText(path), "0123ab6789");
  fileSaveS(path.c_str(), "xy", 2);
  EXPECT_EQ(readText(path), "xy");
}

TEST(StatFamily, FatalMessages) {
  TempDir dir;
  std::string empty = dir.file("empty");
  writeText(empty, "");
  EXPECT_EXIT(fileSizeE(dir.path().c_str()), testing::ExitedWithCode(1),
              exactly("ERROR: cant get size of file : " + dir.path() + "\n"));
  EXPECT_EXIT(fileLoadAtE(empty.c_str(), 0, 0), testing::ExitedWithCode(1),
              exactly("ERROR: file \"" + empty + "\" has zero size\n"));
#ifndef KVO_ASAN
  EXPECT_EXIT((limitAddressSpace(1ull << 30), fileLoadAtE(empty.c_str(), 0, 0xFFFFFFFFu)),
              testing::ExitedWithCode(1), exactly("ERROR: error allocating 4294967295 bytes\n"));
#endif
}

TEST(StatFamily, LoadReportReturnsInsteadOfExiting) {
  TempDir dir;
  std::string empty = dir.file("empty");
  std::string missing = dir.file("missing");
  std::string good = dir.file("good");
  writeText(empty, "");
  writeText(good, "abc");
  long size = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(fileLoadReport(missing.c_str(), &size), nullptr);
  EXPECT_EQ(size, -1);
  EXPECT_EQ(fileLoadReport(empty.c_str(), &size), nullptr);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(fileLoadReport(dir.path().c_str(), &size), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: cant read(find) \"" + missing + "\"\nERROR: file \"" + empty +
                "\" has zero size\nERROR: cant read(find) \"" + dir.path() + "\"\n");
  uint8_t* data = fileLoadReport(good.c_str(), &size);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(std::memcmp(data, "abc", 3), 0);
  std::free(data);
}
