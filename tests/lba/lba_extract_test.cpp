// Extraction by index list and by index file, byte for byte.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "tests/lba/disc_builder.h"

namespace {
const Bytes kVvmStream = {0x90, 0x00, 0x01, 0x0B, 0x80, 0x03, 0x01, 0x02, 0x00};

// The listing disc with more files: index 15 compressed (0015.vvm.c1),
// 16 of three sectors, 17 of 8 bytes, 18 compressed with no room and size 0.
DiscBuilder extractionDisc() {
  DiscBuilder b = listingDisc();
  for (int e = 4; e < 15; ++e) b.file(filled(2048, uint8_t(e)));
  b.file(compressedFile(1, 64, kVvmStream), true);
  Bytes big(5000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7);
  b.file(big);
  b.file({0x7F, 'E', 'L', 'F', 1, 2, 3, 4});
  DiscEntry& none = b.file({}, true);
  none.sectors = 0;
  none.padding = 0;
  return b;
}

struct Disc {
  TempDir dir;
  Bytes image;
  explicit Disc(Bytes bytes) : image(std::move(bytes)) {
    writeBytes(dir.file("disc.iso"), image);
    EXPECT_EQ(std::system(("mkdir " + dir.file("out")).c_str()), 0);
  }
  ToolResult run(std::vector<std::string> args) { return runTool("kvolba", args, dir.path()); }
  Bytes out(const std::string& name) { return readBytes(dir.file("out/" + name)); }
  bool has(const std::string& name) { return fileExists(dir.file("out/" + name)); }
  Bytes at(uint32_t sector, uint32_t bytes) {
    auto from = image.begin() + size_t(sector) * 2048;
    return Bytes(from, from + bytes);
  }
};
}  // namespace

TEST(LbaExtract, ListWritesNamedCopies) {
  Disc disc(extractionDisc().build());
  ToolResult r = disc.run({"-e", "disc.iso", "0,1,2-3,15-17,18,20,5-4", "out\\"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "WARN: index out of range : 20 : disc.iso\n");
  EXPECT_EQ(disc.out("0000.elf"),
            (Bytes{0x7F, 'E', 'L', 'F', 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  // The table gives 16 bytes: the 14 stored bytes and two of the sector's rest.
  Bytes vvm = compressedFile(1, 4096, kVvmStream);
  vvm.resize(16, 0);
  EXPECT_EQ(disc.out("0001.vvm.c1"), vvm);
  EXPECT_EQ(disc.out("0002"), bytesOf(std::string("ABCDEFGHIJ\0\0\0\0\0\0", 16)));
  EXPECT_EQ(disc.out("0003"), filled(2048, 4));
  Bytes small = compressedFile(1, 64, kVvmStream);
  small.resize(16, 0);
  EXPECT_EQ(disc.out("0015.vvm.c1"), small);
  EXPECT_EQ(disc.out("0016").size(), 5000u);
  EXPECT_EQ(disc.out("0016"), disc.at(360, 5000));
  EXPECT_EQ(disc.out("0017"), (Bytes{0x7F, 'E', 'L', 'F', 1, 2, 3, 4}));  // too short for a type
  EXPECT_TRUE(disc.has("0018.cx"));
  EXPECT_EQ(disc.out("0018.cx").size(), 0u);
  EXPECT_FALSE(disc.has("0004"));
  EXPECT_FALSE(disc.has("0005"));
}

TEST(LbaExtract, NothingToDo) {
  Disc disc(extractionDisc().build());
  for (const char* list : {"--texts", "17-15"}) {
    ToolResult r = disc.run({"-e", "disc.iso", list, "out\\"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
  }
  ToolResult r = disc.run({"-e", "disc.iso"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(std::system(("rmdir " + disc.dir.file("out")).c_str()), 0);  // still empty
}

TEST(LbaExtract, IndexFileWithCommentsAndLineNames) {
  Disc disc(extractionDisc().build());
  writeText(disc.dir.file("idx.txt"), "# comment\n\n15\nx15\n;2\n #2\n 2\n");
  ToolResult r = disc.run({"-e", "-f", "disc.iso", "idx.txt", "out\\"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARN: line 3 doesnt start with index : idx.txt : x15\n"
            "WARN: line 5 doesnt start with index : idx.txt :  #2\n");
  EXPECT_TRUE(disc.has("0015.vvm.c1"));
  EXPECT_TRUE(disc.has("0002"));  // leading blanks before a number are read over

  std::string longLine = "2" + std::string(300, 'a');
  writeText(disc.dir.file("names.txt"), "0015.bin\r\n0002 text.txt\n" + longLine + "\n99 far");
  r = disc.run({"-E", "-FS", "disc.iso", "names.txt", "out\\x_"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "WARN: given filename is too long, ignoring : " + longLine +
                       " : disc.iso\nWARN: index out of range : 99 : disc.iso\n");
  EXPECT_EQ(disc.out("x_0015.bin.c1").size(), 16u);
  EXPECT_EQ(disc.out("x_0002 text.txt").size(), 16u);
  EXPECT_TRUE(disc.has("x_0002"));
}

TEST(LbaExtract, OutputAndIndexFileMustOpen) {
  Disc disc(extractionDisc().build());
  ToolResult r = disc.run({"-e", "disc.iso", "0-1", "nodir\\"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: can't open file : nodir\\0000.elf : No such file or directory\n");
  r = disc.run({"-e", "-f", "disc.iso", "none.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: can't open file : none.txt : No such file or directory\n");
  // A write that fails is not reported as success.
  if (!checkingWindowsBuild()) {
    ASSERT_EQ(symlink("/dev/full", disc.dir.file("out/0000.elf").c_str()), 0);
    r = disc.run({"-e", "disc.iso", "0", "out\\"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: can't write to file : No space left on device\n");
  }
  r = disc.run({"-e", "-f", "disc.iso"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: expected INDEXES_FILE parameter\n");
}

TEST(LbaExtract, DamagedImagesCopyOnlyWhatIsThere) {
  DiscBuilder b = extractionDisc();
  Disc cut([&] {
    Bytes image = b.build();
    image.resize(360 * 2048 + 1000);                             // ends inside file 16
    setEntryWord(image, 19, entryWord(image, 19) | (1u << 24));  // no room, padding 1: size wraps
    return image;
  }());
  ToolResult r = cut.run({"-e", "disc.iso", "16,18", "out\\"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARN: image ends inside the file, copied 1000 of 5000 bytes : index 16 : disc.iso\n"
            "WARN: file size bigger than its space, not copied : 4294967288 vs 0 : index 18 : "
            "disc.iso\n");
  EXPECT_EQ(cut.out("0016"), cut.at(360, 1000));
  EXPECT_EQ(cut.out("0018.cx").size(), 0u);
  ToolResult listed = cut.run({"-p3", "disc.iso"});
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(linesOf(listed.out)[18], "#  0018.cx       0x0000B6000  0xFFFFFFF8");
}

// Many files of mixed sizes, copied while the next ones are prepared: the
// warnings come in the order of the list, a file named twice ends with the
// second copy, and every file holds its bytes.
TEST(LbaExtract, LongListsKeepTheirOrder) {
  DiscBuilder b = listingDisc();
  // Entries 4 to 14 and 16 to 44 (the sizes file is entry 15): with the empty
  // entry 2 not counted, entry e is file index e - 1.
  std::vector<Bytes> files;
  std::vector<uint32_t> indexes;
  for (uint32_t i = 0; i < 40; ++i) {
    Bytes data((i % 7) * 20000 + 8 * i + 8);
    for (size_t k = 0; k < data.size(); ++k) data[k] = uint8_t(k * 13 + i);
    files.push_back(data);
    indexes.push_back(i < 11 ? i + 3 : i + 4);
    b.file(files.back());
  }
  Bytes image = b.build();
  image.resize(size_t(b.starts[44]) * 2048 + 100);  // ends inside the last file
  Disc disc(image);
  ToolResult r = disc.run({"-e", "disc.iso", "3-13,99,15-43,70,2,3,3", "out\\"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARN: index out of range : 99 : disc.iso\n"
            "WARN: image ends inside the file, copied 100 of " +
                std::to_string(files.back().size()) +
                " bytes : index 43 : disc.iso\n"
                "WARN: index out of range : 70 : disc.iso\n");
  char name[16];
  for (uint32_t i = 0; i + 1 < files.size(); ++i) {
    std::snprintf(name, sizeof name, "%04u", indexes[i]);
    EXPECT_EQ(disc.out(name), files[i]) << name;
  }
  EXPECT_EQ(disc.out("0043"), Bytes(files.back().begin(), files.back().begin() + 100));
  EXPECT_EQ(disc.out("0002"), bytesOf(std::string("ABCDEFGHIJ\0\0\0\0\0\0", 16)));
}
