// The building blocks of kvolba: names, table field updates, the growable
// block, directory lists, the line reader and index lists.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "lba/dirlist.h"
#include "lba/lba_extract.h"
#include "lba/lba_image.h"
#include "lba/lba_names.h"
#include "lba/memblock.h"
#include "lba/readline.h"
#include "tests/support/bytes.h"

namespace {
std::string nameOf(uint32_t index, bool compressed, const Bytes& data, uint32_t n) {
  Bytes padded = data;
  padded.resize(32, 0);
  return lbaFileName(index, compressed, padded.data(), n);
}

// A compressed file of 4096 bytes.
Bytes withHeader(uint8_t type, const Bytes& stream) { return compressedFile(type, 0x1000, stream); }
}  // namespace

TEST(LbaNames, DetectsTypesAndBuildsNames) {
  EXPECT_EQ(nameOf(3, false, {0x7F, 'E', 'L', 'F'}, 16), "0003.elf");
  EXPECT_EQ(nameOf(22, true, withHeader(1, {0x90, 0, 1, 0x0B, 0x80, 3, 1, 2}), 16), "0022.vvm.c1");
  EXPECT_EQ(nameOf(40, false, {0x7F, 'E', 'L', 'F'}, 10), "0040");
  EXPECT_EQ(nameOf(7, false, {0x7F, 'E', 'L', 'F'}, 15), "0007");
  EXPECT_EQ(nameOf(15, true, {0, 0, 0, 0, 0, 0x55}, 16), "0015.c0");
  EXPECT_EQ(nameOf(5, true, {5}, 16), "0005.cx");
  EXPECT_EQ(nameOf(5, true, {0x81}, 16), "0005.cx");
  EXPECT_EQ(nameOf(10000, false, {}, 16), "10000");
  // Behind the header, "EV" at byte 6 wins over the stream start at byte 5.
  EXPECT_EQ(nameOf(1, true, withHeader(2, {0x01, 'E', 'V', 0x80, 0x03, 0x01}), 16), "0001.ev.c2");
  // The longest row compares all 16 bytes.
  EXPECT_EQ(nameOf(2, false, {0, 0, 0, 0, 0x0B, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0}, 16), "0002.vvm");
  EXPECT_EQ(nameOf(2, false, {0, 0, 0, 0, 0x0B, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 1}, 16), "0002");
  // Group B rows are not looked for in uncompressed files, nor group C in compressed ones.
  EXPECT_EQ(nameOf(2, false, {0x01, 0x08, 0x80, 0x03, 0x01, 0x30}, 16), "0002");
  EXPECT_EQ(nameOf(2, true, withHeader(0, {8, 0, 0, 0, 0x30, 0, 0, 0}), 16), "0002.c0");
}

TEST(LbaTableFields, PaddingAndSizesRecords) {
  LbaImage image;
  image.table.assign(8, 0);
  auto padding = [&](uint32_t span, uint32_t size) {
    lbaSetPadding(image, 1, span, size);
    return image.table[7];
  };
  EXPECT_EQ(padding(4096, 2048), 255);
  EXPECT_EQ(padding(4096, 2049), 255);
  EXPECT_EQ(padding(2048, 100), 243);
  EXPECT_EQ(padding(4096, 3000), 137);
  EXPECT_EQ(padding(4096, 4096), 0);

  std::vector<uint8_t> sizes(6, 0);
  auto record = [&](uint32_t bytes) {
    lbaSetSizesRecord(sizes, 1, bytes);
    return lbaSizesRecord(sizes.data(), 1);
  };
  EXPECT_EQ(record(1), 1u);
  EXPECT_EQ(record(8), 1u);
  EXPECT_EQ(record(9), 2u);
  EXPECT_EQ(record(0x7FFFFF8), 0xFFFFFFu);
  std::vector<uint8_t> none;
  lbaSetSizesRecord(none, 1, 9);  // no sizes file: nothing to do
  EXPECT_TRUE(none.empty());
}

TEST(LbaMemBlock, GrowsByWholeSteps) {
  memBlock made = memBlockMake(16384, 16384);
  memBlock* block = &made;
  uint8_t* first = static_cast<uint8_t*>(memBlockAppend(block, "ab", 2));
  ASSERT_NE(first, nullptr);
  uint8_t* place = static_cast<uint8_t*>(memBlockReserve(block, 40000));
  ASSERT_NE(place, nullptr);
  EXPECT_EQ(block->capacity(), 49152u);
  EXPECT_EQ(block->used, 40002u);
  EXPECT_EQ(place, block->data() + 2);
  EXPECT_EQ(std::memcmp(block->data(), "ab", 2), 0);
}

TEST(LbaDirList, ListsDirectoriesFilesAndExpressions) {
  TempDir dir;
  ASSERT_EQ(std::system(("mkdir -p " + dir.file("in/sub")).c_str()), 0);
  writeText(dir.file("in/a.bin"), "a");
  writeText(dir.file("in/0015.c1"), "b");
  writeText(dir.file("in/0016.c1"), "c");
  const Messages none;

  Result<dirList> list = dirListNew((dir.path() + "\\in").c_str(), none);
  ASSERT_TRUE(list.ok());
  ASSERT_EQ(list.value.fileCount, 3u);
  EXPECT_EQ(std::string(list.value.filePaths[2]), dir.path() + "\\in\\a.bin");
  EXPECT_STREQ(list.value.fileNames[2], "a.bin");
  EXPECT_STREQ(list.value.fileNames[0], "0015.c1");

  list = dirListNew((dir.path() + "\\in\\*.c1").c_str(), none);
  ASSERT_EQ(list.value.fileCount, 2u);
  EXPECT_EQ(std::string(list.value.filePaths[1]), dir.path() + "\\in\\0016.c1");
  EXPECT_STREQ(list.value.fileNames[1], "0016.c1");

  // A bare name is looked for in the current folder.
  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
  ASSERT_EQ(chdir(dir.file("in").c_str()), 0);
  list = dirListNew("0015.c1", none);
  ASSERT_EQ(chdir(here), 0);
  ASSERT_EQ(list.value.fileCount, 1u);
  EXPECT_STREQ(list.value.filePaths[0], ".\\0015.c1");
  EXPECT_STREQ(list.value.fileNames[0], "0015.c1");

  EXPECT_EQ(dirListNew((dir.path() + "\\in\\*.none").c_str(), none).value.fileCount, 0u);
  std::string said;
  list = dirListNew("/dev/null", Messages{[&](const std::string& text) { said += text; }});
  EXPECT_TRUE(list.ok());
  EXPECT_EQ(list.value.fileCount, 0u);
  EXPECT_EQ(said, "ERROR: file type decoding error, unknown: /dev/null\n");
}

TEST(LbaDirList, HoldsManyFilesWhileTheArenaGrows) {
  TempDir dir;
  // Long names: 1200 paths of ~250 bytes outgrow the first 256 KiB of the arena.
  std::string tail(200, 'x');
  for (int i = 0; i < 1200; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d", i);
    writeText(dir.file(name + tail), "");
  }
  Result<dirList> list = dirListNew(dir.path().c_str(), Messages());
  ASSERT_TRUE(list.ok());
  ASSERT_EQ(list.value.fileCount, 1200u);
  EXPECT_GT(list.value.arena.capacity(), 262144u);
  EXPECT_EQ(std::string(list.value.fileNames[1199]), "1199" + tail);
  EXPECT_EQ(std::string(list.value.filePaths[0]), dir.path() + "\\0000" + tail);
}

TEST(LbaReadLine, ReadsLinesOfAnyLength) {
  TempDir dir;
  std::string longLine(300, 'q');
  writeText(dir.file("lines"), longLine + "\nshort\r\n\nlast");
  FILE* fp = std::fopen(dir.file("lines").c_str(), "r");
  std::string line;
  auto next = [&] {
    Result<bool> got = readLine(fp, &line);
    EXPECT_TRUE(got.ok());
    return got.value ? line : std::string("(end)");
  };
  EXPECT_EQ(next(), longLine);
  EXPECT_EQ(next(), "short");
  EXPECT_EQ(next(), "");
  EXPECT_EQ(next(), "last");
  EXPECT_EQ(next(), "(end)");
  std::fclose(fp);

  // A folder cannot be read as lines.
  fp = std::fopen(dir.path().c_str(), "r");
  ASSERT_NE(fp, nullptr);
  Result<bool> got = readLine(fp, &line);
  EXPECT_FALSE(got.value);
  EXPECT_EQ(got.status.message, "ERROR: error reading line : Is a directory\n");
  std::fclose(fp);
}

TEST(LbaIndexList, ReadsRangesItemByItem) {
  auto ranges = [](const char* text) {
    std::string out;
    int32_t low = -1, high = -1;
    for (const char* p = text; (p = nextIndexRange(p, &low, &high));)
      out += std::to_string(low) + "-" + std::to_string(high) + " ";
    return out;
  };
  EXPECT_EQ(ranges("1,0015-0017,19"), "1-1 15-17 19-19 ");
  EXPECT_EQ(ranges("1,,3"), "1-1 0-0 3-3 ");
  EXPECT_EQ(ranges("5-3"), "5-3 ");
  EXPECT_EQ(ranges(" 2 - 4 ; 6"), "2-4 6-6 ");
  EXPECT_EQ(ranges("x"), "0-0 ");
  EXPECT_EQ(ranges(""), "");
  EXPECT_EQ(ranges("99999999999"), "2147483647-2147483647 ");
}
