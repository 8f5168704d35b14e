// Import: files written back into their rooms, the table and sizes updated.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/lba/disc_builder.h"

namespace {
const uint32_t kTableAt = 0x8c000;

// Index 15 (entry 16): uncompressed, room 4096 at sector 359.
// Index 16 (entry 17): compressed, room 2048 at sector 361.
struct ImportDisc {
  TempDir dir;
  DiscBuilder builder;
  Bytes original;
  ImportDisc() {
    builder = listingDisc();
    for (int e = 4; e < 15; ++e) builder.file(filled(2048, uint8_t(e)));
    builder.file(filled(4000, 0x55));
    builder.file(compressedFile(2, 100, filled(30, 0x66)), true);
    original = builder.build();
    writeBytes(dir.file("disc.iso"), original);
    EXPECT_EQ(std::system(("mkdir " + dir.file("in")).c_str()), 0);
  }
  void input(const std::string& name, const Bytes& data) {
    writeBytes(dir.file("in/" + name), data);
  }
  ToolResult run(std::vector<std::string> options, const std::string& source = "in") {
    options.push_back("disc.iso");
    options.push_back(source);
    return runTool("kvolba", options, dir.path());
  }
  Bytes image() { return readBytes(dir.file("disc.iso")); }
  // The original image with a room replaced and its table entry and record set.
  Bytes expected(uint32_t entry, const Bytes& data, uint32_t room, uint8_t padding,
                 uint32_t record) {
    Bytes out = original;
    size_t at = size_t(builder.starts[entry]) * 2048;
    for (uint32_t i = 0; i < room; ++i) out[at + i] = i < data.size() ? data[i] : 0;
    out[kTableAt + 4 * entry + 3] = padding;
    setSizesRecord(out, builder.sizesOffset, entry, record);
    return out;
  }
};
}  // namespace

TEST(LbaImport, WritesIntoTheRoomAndUpdatesTableAndSizes) {
  ImportDisc disc;
  disc.input("0015.bin", pattern(3000));
  ToolResult r = disc.run({"-i"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(disc.image(), disc.expected(16, pattern(3000), 4096, 137, 375));
  ToolResult listed = runTool("kvolba", {"-p3", "disc.iso"}, disc.dir.path());
  EXPECT_EQ(linesOf(listed.out)[15], "#  0015          0x0000B3800  0x00000BB8");
  EXPECT_EQ(listed.err, "");  // the image is consistent again
}

TEST(LbaImport, PaddingOptionsAndRoundedSizes) {
  struct Case {
    std::vector<std::string> options;
    size_t size;
    uint8_t padding;
    uint32_t record;
  };
  for (const Case& c : {Case{{"-i", "-au8"}, 3000, 136, 375}, Case{{"-i", "-ac8"}, 3000, 137, 375},
                        Case{{"-a3", "-i"}, 3000, 136, 375}, Case{{"-i"}, 1000, 255, 125},
                        Case{{"-i"}, 4096, 0, 512}, Case{{"-i", "-au-5"}, 4096, 0, 512}}) {
    ImportDisc disc;
    disc.input("0015.bin", pattern(c.size));
    ToolResult r = disc.run(c.options);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(disc.image(), disc.expected(16, pattern(c.size), 4096, c.padding, c.record))
        << c.options.back() << " " << c.size;
  }
}

TEST(LbaImport, CompressedFilesKeepTheirHeaderSize) {
  ImportDisc disc;
  Bytes packed = compressedFile(1, 5000, pattern(20));
  disc.input("0016.vvm.c1", packed);
  ToolResult r = disc.run({"-i", "-ac4"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  // Counted 29 bytes: 2019 unused = 252 units; the record is 5000 / 8.
  EXPECT_EQ(disc.image(), disc.expected(17, packed, 2048, 252, 625));
}

TEST(LbaImport, RefusedFilesLeaveTheImageAlone) {
  ImportDisc disc;
  disc.input("0016.c1", {1, 2, 3, 4});
  disc.input("0015.bin", pattern(4097));
  disc.input("0003.bin", {});
  disc.input("0099.bin", {1});
  disc.input("abc", {1});
  ToolResult r = disc.run({"-i"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "WARN: not importing : file have 'no' size (0 bytes) : in\\0003.bin\n"
            "WARN: not importing : file bigger (4097) than available space (4096) : in\\0015.bin\n"
            "WARN: not importing : file smaller (4) than min for compressed file (5) : "
            "in\\0016.c1\n"
            "WARN: index out of range : 99 : in\\0099.bin: disc.iso\n"
            "WARN: file name doesnt start with index : in\\abc\n");
  EXPECT_EQ(disc.image(), disc.original);

  // The room test comes before the compressed minimum.
  ImportDisc big;
  big.input("0016.c1", pattern(3000));
  r = big.run({"-i"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "WARN: not importing : file bigger (3000) than available space (2048) : in\\0016.c1\n");

  // A name without index alone is enough for the status.
  ImportDisc unnamed;
  unnamed.input("abc", {1});
  EXPECT_EQ(unnamed.run({"-i"}).status, 1);
}

TEST(LbaImport, CompressedSlotTakesOnlyKnownCompressionTypes) {
  // A file for the compressed slot with type byte 3 is refused; the other goes in.
  ImportDisc disc;
  disc.input("0015.bin", pattern(3000));
  disc.input("0016.bin", filled(30, 3));
  ToolResult r = disc.run({"-i"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "WARN: not importing : unknown compression type (3) for compressed file : "
            "in\\0016.bin\n");
  EXPECT_EQ(disc.image(), disc.expected(16, pattern(3000), 4096, 137, 375));

  for (uint8_t type : {0, 2}) {
    ImportDisc one;
    Bytes packed = compressedFile(type, 40, filled(40, 0x77));
    one.input("0016.c", packed);
    r = one.run({"-i"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "") << int(type);
    EXPECT_EQ(one.image(), one.expected(17, packed, 2048, 250, 5)) << int(type);
  }
}

TEST(LbaImport, DirectoryWithTrailingSeparator) {
  for (const char* source : {"in\\", "in/"}) {
    ImportDisc disc;
    disc.input("0015.bin", pattern(3000));
    ToolResult r = disc.run({"-i"}, source);
    EXPECT_EQ(r.status, 0) << source;
    EXPECT_EQ(r.err, "") << source;
    EXPECT_EQ(disc.image(), disc.expected(16, pattern(3000), 4096, 137, 375)) << source;
  }
}

TEST(LbaImport, SizesFileItselfIsOverwrittenByTheHeader) {
  ImportDisc disc;
  disc.input("0014.bin", filled(100, 0xEE));
  disc.input("0015.bin", pattern(3000));
  ToolResult r = disc.run({"-i"}, "in\\*.bin");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARN: imported file with index 14 is 'sizesfile' : in\\0014.bin\n"
            "      file data will be overwritten by header update\n"
            "      (use '-ns' parameter to not update 'sizesfile')\n");
  Bytes want = disc.expected(16, pattern(3000), 4096, 137, 375);
  // The sizes file's own entry got the new padding and record (100 bytes: 13
  // units); its first 64 bytes (its size when the image was opened) are the
  // tool's records again, the rest of its room is what was imported.
  want[kTableAt + 4 * 15 + 3] = 243;  // 1948 unused bytes
  want[disc.builder.sizesOffset + 3 * 15] = 13;
  for (uint32_t i = 64; i < 2048; ++i) want[disc.builder.sizesOffset + i] = i < 100 ? 0xEE : 0;
  EXPECT_EQ(disc.image(), want);

  // With -ns the sizes file keeps what was imported; only the table changes.
  ImportDisc ns;
  ns.input("0014.bin", filled(100, 0xEE));
  r = ns.run({"-ns", "-i"});
  EXPECT_EQ(r.err, "");
  Bytes nsWant = ns.original;
  nsWant[kTableAt + 4 * 15 + 3] = 243;
  for (uint32_t i = 0; i < 2048; ++i) nsWant[ns.builder.sizesOffset + i] = i < 100 ? 0xEE : 0;
  EXPECT_EQ(ns.image(), nsWant);
}

TEST(LbaImport, NoSourceFiles) {
  ImportDisc disc;
  ToolResult r = disc.run({"-i"}, "in\\*.zz");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: no import, no files found for expresion: in\\*.zz\n");
  r = disc.run({"-i"}, "in");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: no import, no files found for expresion: in\n");
  r = runTool("kvolba", {"-i", "disc.iso"}, disc.dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: expected DIR|FILE|EXPR parameter\n");
  EXPECT_EQ(disc.image(), disc.original);
}

TEST(LbaImport, WithoutAUsableSizesFileOnlyTheTableChanges) {
  ImportDisc disc;
  disc.original[kTableAt + 4 * 15 + 3] = 250;  // 48 bytes of sizes for 54 needed
  writeBytes(disc.dir.file("disc.iso"), disc.original);
  disc.input("0015.bin", pattern(3000));
  ToolResult r = disc.run({"-i"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: 15th file with filessizes must have at last 54 bytes : have 48\n");
  EXPECT_EQ(disc.image(), disc.original);
  r = disc.run({"-i", "-ns"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "WARN: 15th file with filessizes must have at last 54 bytes : have 48\n");
  Bytes want = disc.expected(16, pattern(3000), 4096, 137, 0);
  for (int i = 0; i < 3; ++i)  // the record stays as it was
    want[disc.builder.sizesOffset + 3 * 16 + i] =
        disc.original[disc.builder.sizesOffset + 3 * 16 + i];
  EXPECT_EQ(disc.image(), want);
}
