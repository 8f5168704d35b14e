#include <gtest/gtest.h>

#include <cstdio>

#include "bts/btfile.h"
#include "tests/bts/btsfixtures.h"

namespace {
// Section 0 with the author name at +24 and the map name at +32.
Bytes namedSection0() {
  return concat({Bytes(8, 0x11), le32(24), le32(32), Bytes(8, 0x22), bytesOf("Ann"), {0, 0, 0, 0, 0},
                 bytesOf("Cave"), {0, 0, 0, 0}});
}

std::string listing(const std::string& path) {
  TempDir dir;
  std::string out = dir.file("listing");
  FILE* fp = std::fopen(out.c_str(), "w");
  btPrintInfo(path.c_str(), fp);
  std::fclose(fp);
  return readText(out);
}

BtFile loadBytes(const TempDir& dir, const Bytes& data) {
  writeBytes(dir.file("a.bt"), data);
  return btLoad(dir.file("a.bt").c_str());
}
}  // namespace

TEST(BtLoad, ReadsSectionsNamesAndListing) {
  TempDir dir;
  Bytes file = makeContainer({namedSection0(), std::nullopt, Bytes(10, 0x33), Bytes(4, 0x44)});
  BtFile bt = loadBytes(dir, file);
  EXPECT_EQ(bt.sectionCount, 4u);
  EXPECT_EQ(bt.headerSize, 20u);
  EXPECT_STREQ(bt.authorName, "Ann");
  EXPECT_STREQ(bt.mapName, "Cave");
  EXPECT_EQ(btSectionSize(bt, 0), 40u);
  EXPECT_EQ(btSectionSize(bt, 1), 0u);
  EXPECT_EQ(btSectionSize(bt, 2), 12u);  // padding belongs to the section
  EXPECT_EQ(btSectionSize(bt, 4), 0u);
  EXPECT_FALSE(btSectionValid(bt, 1));
  EXPECT_TRUE(btSectionValid(bt, 3));
  btFree(&bt);

  std::string path = dir.file("a.bt");
  EXPECT_EQ(listing(path), "filename  : " + path +
                               "\nmapname   : Cave\nauthorname: Ann\nfileSize  : 80 (0x50)\n"
                               "helements : 5\npointers  :\n 0 :       18\n 1 :        0\n"
                               " 2 :       40\n 3 :       4C\n 4 :       50\n");
}

TEST(BtLoad, NamesStopAtTheFileEnd) {
  TempDir dir;
  // The author name runs to the end of the file without a zero; the map
  // name's offset points past the end.
  Bytes file = concat({{8, 0, 0, 0}, le32(0x10), le32(0), le32(0x28), Bytes(8, 0), le32(0x14),
                       le32(0x100), Bytes(4, 0), bytesOf("XYZW")});
  BtFile bt = loadBytes(dir, file);
  EXPECT_EQ(bt.sectionCount, 2u);
  EXPECT_EQ(btSectionSize(bt, 0), 24u);
  EXPECT_EQ(bt.mapName, nullptr);
  btFree(&bt);
  EXPECT_NE(listing(dir.file("a.bt"))
                .find("mapname   : (null)\nauthorname: XYZW\nfileSize  : 40 (0x28)\nhelements : 3\n"),
            std::string::npos);
}

TEST(BtLoad, WarnsAboutIdentificatorAndEndPointer) {
  TempDir dir;
  Bytes file = makeContainer({Bytes(8, 1)});
  file[0] = 0x09;
  file.push_back(0x55);  // the end pointer now falls short of the file size
  writeBytes(dir.file("w.bt"), file);
  testing::internal::CaptureStderr();
  BtFile bt = btLoad(dir.file("w.bt").c_str());
  std::string path = dir.file("w.bt");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "WARN: not valid BTFILE, expected identificator '08000000': got '09000000' : " + path +
                "\nWARN: last pointer expected filesize (0x19) got : 0x18 : " + path + "\n");
  EXPECT_EQ(bt.sectionCount, 1u);
  btFree(&bt);
}

TEST(BtLoadDeath, RefusesBrokenHeaders) {
  TempDir dir;
  std::string path = dir.file("a.bt");
  auto refuses = [&](const Bytes& data, const std::string& message) {
    writeBytes(path, data);
    EXPECT_EXIT(btLoad(path.c_str()), testing::ExitedWithCode(1), exactly(message + path + "\n"))
        << message;
  };
  refuses(Bytes(15, 8), "ERROR: file is too small to be valid : 15 (min 16) : ");
  refuses(concat({{8, 0, 0, 0}, le32(0), le32(0xFFFFFFFF), le32(5), le32(0)}),
          "ERROR: not valid header pointer found : 4 : ");
  refuses(concat({{8, 0, 0, 0}, le32(0), le32(0x40), le32(0x14), le32(0)}),
          "ERROR: first pointer in header is too big : id=1 : 0x40 : ");
  refuses(concat({{8, 0, 0, 0}, le32(0x18), le32(0x14), le32(0x18), le32(0), Bytes(4, 0)}),
          "ERROR: pointer value outside min(18), max(18) : id=1 : 0x14: ");
  refuses(concat({{8, 0, 0, 0}, le32(0x14), le32(3), le32(0x14), le32(0), Bytes(0)}),
          "ERROR: pointer value outside min(14), max(14) : id=1 : 0x3: ");
  refuses(concat({{8, 0, 0, 0}, le32(0x10), le32(0x30), le32(0x10)}),
          "ERROR: pointer value outside min(10), max(10) : id=1 : 0x30: ");
  // A first pointer that does not lie after its own slot.
  refuses(concat({{8, 0, 0, 0}, le32(0), le32(0), le32(0), le32(0x10), Bytes(4, 0)}),
          "ERROR: pointer value outside min(14), max(18) : id=3 : 0x10: ");
}

TEST(BtSectionDeath, LookupMessages) {
  TempDir dir;
  writeBytes(dir.file("a.bt"),
             concat({{8, 0, 0, 0}, le32(0x1C), le32(0), le32(0xFFFFFFFF), le32(0x20), le32(0x20),
                     le32(0x24), Bytes(8, 1)}));
  std::string path = dir.file("a.bt");
  BtFile bt = btLoad(path.c_str());
  ASSERT_EQ(bt.sectionCount, 5u);
  EXPECT_EQ(btSectionSizeOrDie(&bt, 0), 4u);
  EXPECT_EXIT(btSectionSizeOrDie(&bt, 5), testing::ExitedWithCode(1),
              exactly("ERROR: given index out of sections range : id=5 : " + path + "\n"));
  EXPECT_EXIT(btSectionSizeOrDie(&bt, 1), testing::ExitedWithCode(1),
              exactly("ERROR: section with given id=1 not present : " + path + "\n"));
  EXPECT_EXIT(btSectionSizeOrDie(&bt, 2), testing::ExitedWithCode(1),
              exactly("ERROR: section with given id=2 not valid pointer: 0xffffffff : " + path + "\n"));
  EXPECT_EXIT(btSectionSizeOrDie(&bt, 3), testing::ExitedWithCode(1),
              exactly("ERROR: section with given id=3 has zero size, no processing : " + path + "\n"));
  EXPECT_EXIT(btIndexOrDie(&bt, 9, "ERROR: not valid index for remove : %u : %s\n"),
              testing::ExitedWithCode(1),
              exactly("ERROR: not valid index for remove : 9 : " + path + "\n"));
  testing::internal::CaptureStderr();
  EXPECT_EQ(btSectionSizeAtLeast(&bt, 4, 280), 4u);
  EXPECT_EQ(btSectionSizeAtLeast(&bt, 4, 3), 3u);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "WARN: section with index 4 should have at least 280 bytes : " + path + "\n");
  btFree(&bt);
}

TEST(BtWrite, RebuildsRemovesAndReplaces) {
  TempDir dir;
  Bytes original = makeContainer({Bytes(8, 1), Bytes(6, 2), std::nullopt, Bytes(4, 3)});
  BtFile bt = loadBytes(dir, original);
  std::string out = dir.file("out.bt");

  SectionList list = btSectionList(bt);
  ASSERT_EQ(list.records.size(), 5u);
  btWrite(bt, &list, out.c_str());
  EXPECT_EQ(readBytes(out), original);

  list = btSectionList(bt);
  list.records[1].size = 0;
  btWrite(bt, &list, out.c_str());
  EXPECT_EQ(readBytes(out), makeContainer({Bytes(8, 1), std::nullopt, std::nullopt, Bytes(4, 3)}));

  Bytes longer(9, 7);
  list = btSectionList(bt);
  list.records[0].data = longer.data();
  list.records[0].size = 9;
  btWrite(bt, &list, out.c_str());
  EXPECT_EQ(readBytes(out), makeContainer({longer, Bytes(6, 2), std::nullopt, Bytes(4, 3)}));

  // A source file that shrank after it was measured: its bytes, then zeros.
  std::string src = dir.file("src");
  writeBytes(src, {5, 5, 5});
  list = btSectionList(bt);
  list.records[2] = {nullptr, src.c_str(), 5, 0};
  testing::internal::CaptureStderr();
  btWrite(bt, &list, dir.file("a.bt").c_str());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "WARN: checked file and loaded file size differ : 5 vs 3 : " + dir.file("src"));
  EXPECT_EQ(readBytes(dir.file("a.bt")),
            makeContainer({Bytes(8, 1), Bytes(6, 2), Bytes{5, 5, 5, 0, 0}, Bytes(4, 3)}));
  EXPECT_FALSE(fileExists(dir.file("a.bt.kvotmp")));
  btFree(&bt);
}

TEST(BtWriteDeath, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  Bytes original = makeContainer({Bytes(8, 1), Bytes(6, 2)});
  BtFile bt = loadBytes(dir, original);
  SectionList list = btSectionList(bt);
  std::string missing = dir.file("missing");
  list.records[1] = {nullptr, missing.c_str(), 4, 0};
  std::string path = dir.file("a.bt");
  EXPECT_EXIT(btWrite(bt, &list, path.c_str()), testing::ExitedWithCode(1),
              exactly("ERROR: cant get size of file : " + dir.file("missing") + "\n"));
  EXPECT_EQ(readBytes(path), original);
  EXPECT_FALSE(fileExists(path + ".kvotmp"));
  btFree(&bt);
}
