#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "frontend/alloc.h"
#include "frontend/files.h"
#include "frontend/numbers.h"
#include "tests/support/testsupport.h"

static const uint64_t kSmallAddressSpace = 1ull << 30;

TEST(CheckedAllocation, ImpossibleRequestsEndWithOneLine) {
#ifdef KVO_ASAN
  GTEST_SKIP() << "the sanitizer's allocator does not honour address-space limits";
#endif
  EXPECT_EXIT((limitAddressSpace(kSmallAddressSpace), mallocE(0xFFFFFFFFu)),
              testing::ExitedWithCode(1), exactly("ERROR: cannot malloc 4294967295 bytes.\n"));
  EXPECT_EXIT((limitAddressSpace(kSmallAddressSpace), callocE(0xFFFFFFFFu, 0xFFFFFFu)),
              testing::ExitedWithCode(1),
              exactly("ERROR: cannot calloc 4294967295 elements of size 16777215 bytes.\n"));
  EXPECT_EXIT((limitAddressSpace(kSmallAddressSpace), reallocE(nullptr, 0xFFFFFFFFu)),
              testing::ExitedWithCode(1), exactly("ERROR: cannot realloc 4294967295 bytes.\n"));
  uint8_t* zeroed = static_cast<uint8_t*>(callocE(4, 4));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(zeroed[i], 0);
  std::free(zeroed);
}

TEST(WholeFileLoad, PlacesDataBetweenSpareAreasAndReportsSizes) {
  TempDir dir;
  writeText(dir.file("a.bin"), "hello");
  writeText(dir.file("empty.bin"), "");
  long size = 0;
  uint8_t* data = fileLoad(dir.file("a.bin").c_str(), &size, 3, 2);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(size, 5);
  EXPECT_EQ(std::memcmp(data + 3, "hello", 5), 0);
  std::free(data);

  EXPECT_EQ(fileLoad(dir.file("empty.bin").c_str(), &size, 0, 0), nullptr);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(fileLoad(dir.file("missing.bin").c_str(), &size, 0, 0), nullptr);
  EXPECT_EQ(size, -1);
}

TEST(WholeFileLoad, LoadFamilyMessages) {
  TempDir dir;
  std::string empty = dir.file("empty.bin");
  std::string missing = dir.file("missing.bin");
  writeText(empty, "");
  long size = 0;
  EXPECT_EXIT(fileLoadE(empty.c_str(), &size, 0, 0), testing::ExitedWithCode(1),
              exactly("ERROR: file size expected bigger than zero : " + empty + "\n"));
  EXPECT_EXIT(fileLoadE(missing.c_str(), &size, 0, 0), testing::ExitedWithCode(1),
              exactly("ERROR: file not exist or read error occurred : " + missing + "\n"));
  EXPECT_EXIT(fileLoadE(dir.path().c_str(), &size, 0, 0), testing::ExitedWithCode(1), "^ERROR: ");
}

TEST(WholeFileLoad, QuotedFamilyPrintsNameAndReasonLine) {
  TempDir dir;
  std::string empty = dir.file("empty.bin");
  std::string missing = dir.file("missing.bin");
  writeText(empty, "");
  long size = 0;
  EXPECT_EXIT(fileLoadQ(missing.c_str(), &size), testing::ExitedWithCode(1),
              exactly("ERROR: couldn't load data to memory from file '" + missing +
                      "'\n      (read file error occurred)\n"));
  EXPECT_EXIT(fileLoadQ(empty.c_str(), &size), testing::ExitedWithCode(1),
              exactly("ERROR: couldn't load data to memory from file '" + empty +
                      "'\n      (file size expected greater than zero bytes)\n"));
}

TEST(WholeFileSave, WritesBytesAndReportsFailures) {
  TempDir dir;
  EXPECT_EQ(fileSaveE(dir.file("zero.bin").c_str(), "", 0), 0u);
  EXPECT_TRUE(fileExists(dir.file("zero.bin")));
  EXPECT_EQ(readBytes(dir.file("zero.bin")).size(), 0u);
  EXPECT_EQ(fileSave(dir.file("x.bin").c_str(), "abc", 3), 3u);
  EXPECT_EQ(readText(dir.file("x.bin")), "abc");
  EXPECT_EQ(fileSave(dir.file("no/such/dir.bin").c_str(), "abc", 3), 0u);

  std::string bad = dir.file("no/such/dir.bin");
  EXPECT_EXIT(fileSaveE(bad.c_str(), "abc", 3), testing::ExitedWithCode(1),
              exactly("ERROR: couldn't write data (3 bytes) to file : " + bad + "\n"));
  EXPECT_EXIT(fileSaveQ(bad.c_str(), "abc", 3), testing::ExitedWithCode(1),
              exactly("ERROR: couldn't write data (3 bytes) to file '" + bad + "'\n"));
  // A full disk shows when the buffered data is flushed at close.
  EXPECT_EXIT(fileSaveE("/dev/full", "abc", 3), testing::ExitedWithCode(1),
              exactly("ERROR: couldn't write data (3 bytes) to file : /dev/full\n"));
}

TEST(WholeFileLoad, BackslashPathsWorkOnPosix) {
  TempDir dir;
  writeText(dir.file("b.bin"), "xyz");
  std::string windowsStyle = dir.path() + "\\b.bin";
  long size = 0;
  uint8_t* data = fileLoad(windowsStyle.c_str(), &size, 0, 0);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(size, 3);
  std::free(data);
}

// The cores under the exiting helpers: the same messages, as values.
TEST(WholeFileLoad, CoresReturnTheFamiliesMessages) {
  TempDir dir;
  const std::string empty = dir.file("empty.bin"), data = dir.file("a.bin");
  writeText(empty, "");
  writeText(data, "hello");
  const Result<std::vector<uint8_t>> loaded = loadFile(data.c_str(), FileWording::Plain, 2);
  EXPECT_EQ(loaded.value, (Bytes{0, 0, 'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(loadFile(empty.c_str(), FileWording::Quoted).status.message,
            "ERROR: couldn't load data to memory from file '" + empty +
                "'\n      (file size expected greater than zero bytes)\n");
  EXPECT_EQ(loadRegularFile(empty.c_str()).status.message,
            "ERROR: file \"" + empty + "\" has zero size\n");
  EXPECT_EQ(saveFile(dir.path().c_str(), "x", 1, FileWording::Quoted).message,
            "ERROR: couldn't write data (1 bytes) to file '" + dir.path() + "'\n");
  EXPECT_EQ(parseInt32("-5", nullptr, 10, true).status.message,
            "ERROR: strtol: number expected positive : num = -5 : str = '-5'\n");
  EXPECT_EQ(parseUInt32Auto("0x1F", nullptr).value, 31);
}
