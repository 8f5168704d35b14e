// The checks of the file table and the sizes file when an image is opened.
#include <gtest/gtest.h>

#include "tests/lba/disc_builder.h"

namespace {
// Lists the image into a file so that standard error holds only the checks.
ToolResult listWith(const Bytes& image, std::vector<std::string> options = {}) {
  TempDir dir;
  writeBytes(dir.file("disc.iso"), image);
  options.push_back("disc.iso");
  options.push_back("list.txt");
  ToolResult r = runTool("kvolba", options, dir.path());
  r.out = readText(dir.file("list.txt"));
  return r;
}
}  // namespace

TEST(LbaTable, ZeroedAndEmptyWarningsEndWithoutLineBreak) {
  DiscBuilder b = listingDisc();
  Bytes image = b.build();
  setEntryWord(image, 18, 500);
  setEntryWord(image, 2, entryWord(image, 2) - 1);  // 'empty' entry starts before its successor
  ToolResult r = listWith(image);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARN: lba entry 2 : 'empty' flag, but next sector starts differ : 345 vs 346"
            "WARN: lba entry 18 expected 'zeroed', first 'zeroed' was '17'");
  EXPECT_EQ(linesOf(r.out).size(), 17u);  // the entries after the first zeroed one are not read
}

TEST(LbaTable, DecreasingStartIsFatal) {
  Bytes image = listingDisc().build();
  setEntryWord(image, 5, 400);
  ToolResult r = listWith(image);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: lba entry 5 : sector start bigger than next : 400 vs 349");
  EXPECT_EQ(r.out, "");
}

TEST(LbaTable, SizesFileTooSmall) {
  DiscBuilder few = listingDisc();
  Bytes image = few.build();
  setEntryWord(image, 15, entryWord(image, 15) | (251u << 24));  // 40 bytes for 48 needed
  ToolResult r = listWith(image);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: 15th file with filessizes must have at last 48 bytes : have 40\n");
  r = listWith(image, {"-ns"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "WARN: 15th file with filessizes must have at last 48 bytes : have 40\n");
  EXPECT_EQ(linesOf(r.out).size(), 17u);

  // No room at all: the size wraps, the room check fails.
  setEntryWord(image, 15, 359 | (1u << 24));
  r = listWith(image);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "ERROR: 15th file with filessizes must have maxsize at last 51 bytes : have 0\n");
  r = listWith(image, {"-ns"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARN: 15th file with filessizes must have at last 48 bytes : have 4294967288\n");
}

TEST(LbaTable, EmptyTableNeedsNoRecordsButHasNoSizesFile) {
  // An image that ends before the table: the table reads as zeros.
  Bytes image(100, 0xAB);
  ToolResult r = listWith(image);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "ERROR: 15th file with filessizes must have at last 4294967293 bytes : have 0\n");
  r = listWith(image, {"-ns"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "WARN: 15th file with filessizes must have at last 4294967293 bytes : have 0\n");
  EXPECT_EQ(r.out, "");
}

TEST(LbaTable, SizesRecordsAgainstTheTable) {
  DiscBuilder b = listingDisc();
  b.file(filled(2048, 0xEE)).sizesRecord = 1;  // entry 4: padding 255 below
  b.file(filled(2048, 0xEE)).sizesRecord = 0;  // entry 5: a one-sector file may have size 0
  Bytes image = b.build();
  auto setRecord = [&](uint32_t entry, uint32_t value) {
    setSizesRecord(image, b.sizesOffset, entry, value);
  };
  setEntryWord(image, 4, entryWord(image, 4) | (255u << 24));
  setRecord(0, 3);      // computed 2
  setRecord(1, 77);     // compressed: not compared
  setRecord(2, 5);      // 'empty' with a size
  setRecord(3, 0x101);  // above the one sector's 0x100 units
  setRecord(15, 99);    // the sizes file itself: not compared
  setRecord(16, 7);
  setEntryWord(image, 16, entryWord(image, 16) & ~(1u << 23));
  ToolResult r = listWith(image);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARN: size(div8) read vs computed from lba differ: i=0, filei=0 : 3 vs 2\n"
            "WARN: lba set 'empty', but size is non zero : i=2 : size 5\n"
            "WARN: size(div8) bigger than max (starts diff): i=3, filei=2 : 101 vs 100\n"
            "WARN: last nonzero lba expected empty : id=16\n"
            "WARN: last nonzero lba expected to have zero size : id=16 : size 7\n");
  EXPECT_EQ(listWith(image, {"-ns"}).err, r.err);  // -ns changes nothing for a usable sizes file
}

TEST(LbaTable, MissingOrCutImage) {
  TempDir dir;
  ToolResult r = runTool("kvolba", {"nothere.iso"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: can't open file : nothere.iso : No such file or directory\n");

  // The image ends inside the sizes file: it is never read past the end.
  Bytes image = listingDisc().build();
  image.resize(358 * 2048 + 20);
  r = listWith(image);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: 15th file with filessizes ends past the end of the image : disc.iso\n");
  r = listWith(image, {"-ns"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "WARN: 15th file with filessizes ends past the end of the image : disc.iso\n");
  EXPECT_EQ(linesOf(r.out).size(), 17u);
}
