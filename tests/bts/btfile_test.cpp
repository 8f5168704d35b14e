#include <gtest/gtest.h>

#include <utility>

#include "bts/btfile.h"
#include "tests/bts/btsfixtures.h"

namespace {
// Section 0 with the author name at +24 and the map name at +32.
Bytes namedSection0() {
  return concat({Bytes(8, 0x11),
                 le32(24),
                 le32(32),
                 Bytes(8, 0x22),
                 bytesOf("Ann"),
                 {0, 0, 0, 0, 0},
                 bytesOf("Cave"),
                 {0, 0, 0, 0}});
}

std::string listing(const std::string& path) {
  return btInfoText(btLoad(path.c_str(), Messages()).value, path.c_str());
}

BtFile loadBytes(const TempDir& dir, const Bytes& data) {
  writeBytes(dir.file("a.bt"), data);
  Result<BtFile> loaded = btLoad(dir.file("a.bt").c_str(), Messages());
  EXPECT_TRUE(loaded.ok()) << loaded.status.message;
  return std::move(loaded.value);
}

Bytes rebuilt(const BtFile& file, SectionList& list, std::string* messages = nullptr) {
  Result<Bytes> bytes =
      btRebuild(file, &list, "out.bt", messages ? collectInto(messages) : Messages());
  EXPECT_TRUE(bytes.ok()) << bytes.status.message;
  return bytes.value;
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
  Bytes file = concat({{8, 0, 0, 0},
                       le32(0x10),
                       le32(0),
                       le32(0x28),
                       Bytes(8, 0),
                       le32(0x14),
                       le32(0x100),
                       Bytes(4, 0),
                       bytesOf("XYZW")});
  BtFile bt = loadBytes(dir, file);
  EXPECT_EQ(bt.sectionCount, 2u);
  EXPECT_EQ(btSectionSize(bt, 0), 24u);
  EXPECT_EQ(bt.mapName, nullptr);
  EXPECT_NE(
      listing(dir.file("a.bt"))
          .find("mapname   : (null)\nauthorname: XYZW\nfileSize  : 40 (0x28)\nhelements : 3\n"),
      std::string::npos);
}

TEST(BtLoad, WarnsAboutIdentificatorAndEndPointer) {
  TempDir dir;
  Bytes file = makeContainer({Bytes(8, 1)});
  file[0] = 0x09;
  file.push_back(0x55);  // the end pointer now falls short of the file size
  writeBytes(dir.file("w.bt"), file);
  std::string messages;
  Result<BtFile> bt = btLoad(dir.file("w.bt").c_str(), collectInto(&messages));
  std::string path = dir.file("w.bt");
  EXPECT_EQ(messages,
            "WARN: not valid BTFILE, expected identificator '08000000': got '09000000' : " + path +
                "\nWARN: last pointer expected filesize (0x19) got : 0x18 : " + path + "\n");
  EXPECT_EQ(bt.value.sectionCount, 1u);
}

// A long-running caller gets each damaged container's failure as a value.
TEST(BtLoad, RefusesBrokenHeaders) {
  TempDir dir;
  std::string path = dir.file("a.bt");
  auto refuses = [&](const Bytes& data, const std::string& message) {
    writeBytes(path, data);
    Result<BtFile> loaded = btLoad(path.c_str(), Messages());
    EXPECT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.status.message, message + path + "\n");
    EXPECT_EQ(btOpen(data, "x.bt", Messages()).status.message, message + "x.bt\n");
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

TEST(BtSection, LookupMessages) {
  TempDir dir;
  BtFile bt = loadBytes(dir, concat({{8, 0, 0, 0},
                                     le32(0x1C),
                                     le32(0),
                                     le32(0xFFFFFFFF),
                                     le32(0x20),
                                     le32(0x20),
                                     le32(0x24),
                                     Bytes(8, 1)}));
  std::string path = dir.file("a.bt");
  ASSERT_EQ(bt.sectionCount, 5u);
  EXPECT_EQ(btSectionSizeChecked(bt, 0).value, 4u);
  auto refusal = [&](uint32_t i) { return btSectionSizeChecked(bt, i).status.message; };
  EXPECT_EQ(refusal(5), "ERROR: given index out of sections range : id=5 : " + path + "\n");
  EXPECT_EQ(refusal(1), "ERROR: section with given id=1 not present : " + path + "\n");
  EXPECT_EQ(refusal(2),
            "ERROR: section with given id=2 not valid pointer: 0xffffffff : " + path + "\n");
  EXPECT_EQ(refusal(3),
            "ERROR: section with given id=3 has zero size, no processing : " + path + "\n");
  EXPECT_EQ(btCheckIndex(bt, 9, "remove").message,
            "ERROR: not valid index for remove : 9 : " + path + "\n");
  EXPECT_TRUE(btCheckIndex(bt, 4, "remove").ok());
  std::string messages;
  EXPECT_EQ(btSectionSizeAtLeast(bt, 4, 280, collectInto(&messages)).value, 4u);
  EXPECT_EQ(btSectionSizeAtLeast(bt, 4, 3, collectInto(&messages)).value, 3u);
  EXPECT_EQ(messages, "WARN: section with index 4 should have at least 280 bytes : " + path + "\n");
}

TEST(BtRebuild, RebuildsRemovesAndReplaces) {
  TempDir dir;
  Bytes original = makeContainer({Bytes(8, 1), Bytes(6, 2), std::nullopt, Bytes(4, 3)});
  BtFile bt = loadBytes(dir, original);

  SectionList list = btSectionList(bt);
  ASSERT_EQ(list.records.size(), 5u);
  EXPECT_EQ(rebuilt(bt, list), original);

  list = btSectionList(bt);
  list.records[1].size = 0;
  EXPECT_EQ(rebuilt(bt, list),
            makeContainer({Bytes(8, 1), std::nullopt, std::nullopt, Bytes(4, 3)}));

  Bytes longer(9, 7);
  EXPECT_EQ(btReplaceSection(bt, 0, longer, Messages()).value,
            makeContainer({longer, Bytes(6, 2), std::nullopt, Bytes(4, 3)}));
  EXPECT_EQ(btReplaceSection(bt, 3, Bytes(), Messages()).value,
            makeContainer({Bytes(8, 1), Bytes(6, 2), std::nullopt, std::nullopt}));
  EXPECT_EQ(btReplaceSection(bt, 4, longer, Messages()).status.message,
            "ERROR: not valid index for import : 4 : " + dir.file("a.bt") + "\n");

  // A source file that shrank after it was measured: its bytes, then zeros.
  std::string src = dir.file("src");
  writeBytes(src, {5, 5, 5});
  list = btSectionList(bt);
  list.records[2] = {nullptr, src.c_str(), 5, 0};
  std::string messages;
  EXPECT_EQ(rebuilt(bt, list, &messages),
            makeContainer({Bytes(8, 1), Bytes(6, 2), Bytes{5, 5, 5, 0, 0}, Bytes(4, 3)}));
  EXPECT_EQ(messages, "WARN: checked file and loaded file size differ : 5 vs 3 : " + src);

  std::string missing = dir.file("missing");
  list.records[1] = {nullptr, missing.c_str(), 4, 0};
  EXPECT_EQ(btRebuild(bt, &list, "out.bt", Messages()).status.message,
            "ERROR: cant get size of file : " + missing + "\n");
}
