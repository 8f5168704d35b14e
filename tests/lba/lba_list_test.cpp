// The listing forms of kvolba on a built image, byte for byte.
#include <gtest/gtest.h>

#include "tests/lba/disc_builder.h"

namespace {
struct Listed {
  TempDir dir;
  std::string image;
  explicit Listed(Bytes bytes) : image(dir.file("disc.iso")) { writeBytes(image, bytes); }
  ToolResult run(std::vector<std::string> args) {
    args.push_back("disc.iso");
    return runTool("kvolba", args, dir.path());
  }
};

const char* const kElfLine =
    "FE000158   00000158   FE   0   0   0000010 (00000016)\t7F454C46000102030405060708090A0B   "
    ".ELF............   0000.elf";
const char* const kVvmLine =
    "FE400159   00000159   FE   1   0   0000010 (00000016)\t01001000009000010B80030102000000   "
    "................   0001.vvm.c1";
const char* const kEmptyEntryLine = "0080015A   0000015A   00   0   1";
const char* const kTextLine =
    "FE00015A   0000015A   FE   0   0   0000010 (00000016)\t4142434445464748494A000000000000   "
    "ABCDEFGHIJ......   0002";
}  // namespace

TEST(LbaList, FormZeroShowsEveryEntryAfterItsFile) {
  Listed disc(listingDisc().build());
  ToolResult r = disc.run({});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  std::vector<std::string> lines = linesOf(r.out);
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines[0], kElfLine);
  EXPECT_EQ(lines[1], kVvmLine);
  EXPECT_EQ(lines[2], kEmptyEntryLine);
  EXPECT_EQ(lines[3], kTextLine);
  // A filler of one full sector, then the sizes file (entry 15 = index 14).
  EXPECT_EQ(
      lines[4],
      "0000015B   0000015B   00   0   0   0000800 (00002048)\t04040404040404040404040404040404"
      "   ................   0003");
  EXPECT_EQ(lines[15],
            "F9000166   00000166   F9   0   0   0000038 (00000056)\t0200000002000000000200000001"
            "0000   ................   0014");
  EXPECT_EQ(lines[16], "00800167   00000167   00   0   1");
  EXPECT_EQ(r.out.back(), '\n');

  // Form 1 drops the entries that are no files; the file lines stay the same.
  ToolResult p1 = disc.run({"-p1"});
  lines = linesOf(p1.out);
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[2], kTextLine);
  EXPECT_EQ(lines[14].substr(0, 8), "F9000166");
}

TEST(LbaList, MachineAndCommandForms) {
  Listed disc(listingDisc().build());
  std::vector<std::string> p2 = linesOf(disc.run({"-p2"}).out);
  ASSERT_EQ(p2.size(), 15u);
  EXPECT_EQ(p2[0], "00000000FE000158|00000000000AC000|00000800|0000.elf");
  EXPECT_EQ(p2[1], "00000000FE400159|00000000000AC800|00000800|0001.vvm.c1");
  std::vector<std::string> p3 = linesOf(disc.run({"-p3"}).out);
  ASSERT_EQ(p3.size(), 15u);
  EXPECT_EQ(p3[1], "#  0001.vvm.c1   0x0000AC800  0x00000010");
  EXPECT_EQ(p3[3], "#  0003          0x0000AD800  0x00000800");
}

TEST(LbaList, PreviewSizeChangesOnlyThePreview) {
  Listed disc(listingDisc().build());
  std::vector<std::string> none = linesOf(disc.run({"-p1", "-s", "0"}).out);
  EXPECT_EQ(none[0], "FE000158   00000158   FE   0   0   0000010 (00000016)\t      0000.elf");
  std::vector<std::string> four = linesOf(disc.run({"-p1", "-s", "4"}).out);
  EXPECT_EQ(four[1],
            "FE400159   00000159   FE   1   0   0000010 (00000016)\t01001000   ....   0001.vvm.c1");
  std::vector<std::string> wide = linesOf(disc.run({"-p1", "-s", "0x14"}).out);
  EXPECT_EQ(wide[2],
            "FE00015A   0000015A   FE   0   0   0000010 (00000016)\t"
            "4142434445464748494A00000000000000000000   ABCDEFGHIJ..........   0002");
}

TEST(LbaList, WritesToANamedFile) {
  Listed disc(listingDisc().build());
  ToolResult r = runTool("kvolba", {"-p3", "disc.iso", "list.txt"}, disc.dir.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(linesOf(readTextOutput(disc.dir.file("list.txt")))[0],
            "#  0000.elf      0x0000AC000  0x00000010");
}
