#include "graphics/map1.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/graphics/mapbuilder.h"

namespace {
struct CheckResult {
  bool ok;
  std::string err;
  MapFile map;
};

// Runs the check on `bytes`: what it reports, in order.
CheckResult check(const Bytes& bytes) {
  CheckResult r;
  Messages collect{[&](const std::string& line) { r.err += line; }};
  Status status =
      mapCheck(bytes.data(), static_cast<uint32_t>(bytes.size()), "m.map", &r.map, collect);
  r.ok = status.ok();
  r.err += status.message;
  return r;
}

std::string hex(uint64_t v) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
  return text;
}
}  // namespace

TEST(MapCheck, ReadsSectionsEntriesAndGroups) {
  TestMap shape;
  TestEntry wide;
  wide.listCount = 5;
  wide.bitmapCount = 3;
  wide.paletteCount = 2;
  shape.sections = {{TestEntry(), wide}, {TestEntry()}};
  BuiltMap built = buildMap(shape);
  CheckResult r = check(built.bytes);
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.map.ynscCount, 2u);
  EXPECT_EQ(r.map.firstYnsc, 0x40u + 48);
  ASSERT_EQ(r.map.sections.size(), 2u);
  ASSERT_EQ(r.map.sections[0].entries.size(), 2u);
  const MapEntry& e = r.map.sections[0].entries[1];
  EXPECT_EQ(e.offset, built.entryOffsets[0][1]);
  // A list of 5 values takes 32 bytes: the bitmap group is at 160 + 32.
  EXPECT_EQ(e.bitmapGroup - e.offset, 192u);
  EXPECT_EQ(e.length, 240u + 32 + 3 * 24 + 2 * 1040);
  EXPECT_EQ(e.paletteGroup, e.bitmapGroup + 32 + 3 * 24);
  EXPECT_EQ(mapBitmapPixels(e, 2), e.bitmapGroup + 48 + 2 * 24);
  EXPECT_EQ(mapPaletteEntries(e, 1), e.paletteGroup + 64 + 1040);
  EXPECT_EQ(e.x, -4);
  EXPECT_EQ(e.y, 7);
  EXPECT_EQ(e.bitmapWidth, 4u);
  EXPECT_EQ(e.paletteCount, 2u);
  const uint8_t* entry = built.bytes.data() + e.offset;
  EXPECT_EQ(mapEntryLength(entry), e.length);
  EXPECT_EQ(mapBitmapGroup(entry) - entry, 192);
  EXPECT_EQ(mapPaletteGroup(entry) - built.bytes.data(), e.paletteGroup);
  EXPECT_EQ(r.map.sections[1].entries[0].offset, built.entryOffsets[1][0]);
}

TEST(MapCheck, RefusesBadHeadersWithTheirMessages) {
  Bytes small(127, 0);
  EXPECT_EQ(check(small).err, "ERROR: file must have at last 128 bytes , have 127 : m.map\n");

  BuiltMap built = buildMap(TestMap());
  Bytes b = built.bytes;
  b[0] = 'X';
  b[9] = 1;
  CheckResult odd = check(b);
  EXPECT_TRUE(odd.ok);
  EXPECT_EQ(
      odd.err,
      "WARN: file dont start with 'MAP1' : m.map\nWARN: file bytes 5-16 expected zero: m.map\n");

  b = built.bytes;
  put32(b, 16, 0);
  EXPECT_EQ(check(b).err,
            "ERROR: offset for YNSC section is 0 = not present, nothing to do : m.map\n");
  uint32_t size = static_cast<uint32_t>(b.size());
  put32(b, 16, size + 1);
  EXPECT_EQ(check(b).err, "ERROR: offset for YNSC section " + std::to_string(size + 1) +
                              " bigger than file size " + std::to_string(size) + " : m.map\n");
  put32(b, 16, size - 351);
  CheckResult late = check(b);
  EXPECT_FALSE(late.ok);
  EXPECT_EQ(late.err, "ERROR: offset+minsize for YNSC section " + std::to_string(size + 1) +
                          " bigger than file size " + std::to_string(size) + " : m.map\n");
}

TEST(MapCheck, ChecksSectionsAndTheirSizes) {
  BuiltMap built = buildMap(TestMap());
  const uint32_t ynpr = 0x40 + 16;
  const uint32_t ynsc = ynpr + 32;
  Bytes b = built.bytes;
  uint32_t ynscUnits = static_cast<uint32_t>((b.size() - ynsc - 16) / 16);
  // The last YNSC section ends exactly at the end of the file.
  EXPECT_TRUE(check(b).ok);
  put32(b, ynsc + 4, ynscUnits + 1);
  EXPECT_EQ(check(b).err, "ERROR: YNSC section ptr+size after file data : offset " +
                              hex(b.size() + 16) + " : m.map\n");
  // A huge unit count does not wrap around.
  put32(b, ynsc + 4, 0xFFFFFFFF);
  EXPECT_EQ(check(b).err, "ERROR: YNSC section ptr+size after file data : offset " +
                              hex(ynsc + 16 + 16ull * 0xFFFFFFFF) + " : m.map\n");

  b = built.bytes;
  b[0x40] = 'y';
  put32(b, 0x40 + 4, 1);  // YNDT with data: the YNPR section moves 16 bytes on
  CheckResult moved = check(b);
  EXPECT_FALSE(moved.ok);
  EXPECT_EQ(moved.err.substr(0, 151),
            "WARN: YNDT section (expected at pos 0x50) dont start with 'YNDT' : m.map\n"
            "WARN: YNDT section data size expected zero: m.map\n"
            "ERROR: YNPR section ptr+size");

  // A YNPR section of two units: the first YNSC section is 48 bytes after it.
  TestMap shape;
  BuiltMap two = buildMap(shape);
  b = two.bytes;
  b.insert(b.begin() + ynpr + 32, 16, 0x99);
  put32(b, ynpr + 4, 2);
  CheckResult wide = check(b);
  ASSERT_TRUE(wide.ok) << wide.err;
  EXPECT_EQ(wide.err, "WARN: YNPR section size should be 16 bytes, is 2*16: m.map\n");
  EXPECT_EQ(wide.map.firstYnsc, ynpr + 48);
  EXPECT_EQ(wide.map.sections[0].entries[0].offset, two.entryOffsets[0][0] + 16);

  b = two.bytes;
  put32(b, ynpr + 16, 2);  // two YNSC sections promised, one present
  EXPECT_EQ(check(b).err,
            "ERROR: YNSC section pointer after file data : offset " + hex(b.size()) + " : m.map\n");
}

TEST(MapCheck, RefusesEntriesOutsideTheirSection) {
  TestMap shape;
  TestEntry e;
  e.bitmapCount = 2;
  shape.sections = {{TestEntry(), e}};
  BuiltMap built = buildMap(shape);
  CheckResult good = check(built.bytes);
  ASSERT_TRUE(good.ok);
  uint32_t dataSize = good.map.sections[0].dataSize;
  uint32_t at = built.entryOffsets[0][1];
  const uint32_t bitmapGroup = at + 160 + 16;
  const uint32_t paletteGroup = bitmapGroup + 32 + 2 * 24;
  auto refused = [&](uint64_t length) {
    return "ERROR: YNSC 1-th entry data outside givem memory : " + hex(length) + " > " +
           hex(dataSize) + " : m.map\n";
  };

  Bytes b = built.bytes;
  put32(b, bitmapGroup + 24, 0x10000);  // bitmap count
  EXPECT_EQ(check(b).err, refused(240 + 16 + 0x10000ull * 24));
  // Count and slot size whose product does not fit 32 bits.
  put32(b, bitmapGroup + 24, 0x80000001);
  put32(b, bitmapGroup + 28, 0x20);
  EXPECT_EQ(check(b).err, refused(240 + 16 + 0x80000001ull * 0x20));
  b = built.bytes;
  put32(b, at + 144, 0x40000000);  // list count
  EXPECT_EQ(check(b).err, refused(240 + 0x100000000ull));
  b = built.bytes;
  put32(b, paletteGroup + 40, 3);  // three palettes where one fits
  EXPECT_EQ(check(b).err, refused(240 + 16 + 2 * 24 + 3 * 1040));
  // Slots smaller than their head: a huge count of them would fit.
  b = built.bytes;
  put32(b, paletteGroup + 40, 0xFFFFFFFF);
  put32(b, paletteGroup + 44, 0);
  EXPECT_EQ(
      check(b).err,
      "ERROR: YNSC 1-th entry slot smaller than its head : bitmaps 0x18, palettes 0x0 : m.map\n");
  b = built.bytes;
  put32(b, paletteGroup + 44, 15);
  EXPECT_EQ(
      check(b).err.rfind(
          "ERROR: YNSC 1-th entry slot smaller than its head : bitmaps 0x18, palettes 0xF", 0),
      0u);
  b = built.bytes;
  put32(b, built.entryOffsets[0][0] - 16, 3);  // entry count
  CheckResult third = check(b);
  EXPECT_EQ(third.err.rfind("ERROR: YNSC 2-th entry data outside givem memory : 0x", 0), 0u)
      << third.err;
}

// An entry promised past the end of its section's data is measured as far
// as the file holds it.
TEST(MapCheck, EntryPastItsSectionIsMeasuredFromTheFile) {
  TestMap shape;
  TestEntry e;
  e.bitmapHeight = 4;  // 1328 bytes, which end the section's data
  shape.sections = {{e}};
  BuiltMap built = buildMap(shape);
  Bytes b = built.bytes;
  const uint32_t entry = built.entryOffsets[0][0];
  ASSERT_EQ(b.size(), entry + 1328u);
  const Bytes copy(b.begin() + entry, b.end());
  put32(b, entry - 16, 2);  // entry count
  const std::string refused = "ERROR: YNSC 1-th entry data outside givem memory : ";
  EXPECT_EQ(check(b).err, refused + "0xF0 > 0x540 : m.map\n");  // no head in the file
  b.insert(b.end(), copy.begin(), copy.begin() + 200);          // head and list only
  EXPECT_EQ(check(b).err, refused + "0x100 > 0x540 : m.map\n");
  b.insert(b.end(), copy.begin() + 200, copy.end());
  EXPECT_EQ(check(b).err, refused + "0x530 > 0x540 : m.map\n");
}

TEST(MapCheck, ComparesBitmapAndPaletteGroups) {
  TestMap shape;
  TestEntry e;
  e.bitmapCount = 3;
  e.paletteCount = 3;
  shape.sections = {{e}};
  BuiltMap built = buildMap(shape);
  Bytes b = built.bytes;
  CheckResult r = check(b);
  ASSERT_TRUE(r.ok);
  MapEntry entry = r.map.sections[0].entries[0];
  MapFile map = r.map;
  map.data = b;
  // The builder gives palettes that differ only in entry green values.
  EXPECT_FALSE(mapAllBitmapsSame(&map, entry));
  EXPECT_FALSE(mapAllPalettesSame(&map, entry));
  EXPECT_FALSE(mapFirstTwoPalettesSame(&map, entry));
  auto copySlot = [&](uint32_t group, uint32_t slot, uint32_t from, uint32_t to) {
    std::memcpy(&map.data[group + 16 + to * slot], &map.data[group + 16 + from * slot], slot - 16);
  };
  copySlot(entry.paletteGroup + 48, 1040, 1, 2);
  EXPECT_TRUE(mapLastTwoPalettesSame(&map, entry));
  EXPECT_FALSE(mapFirstTwoPalettesSame(&map, entry));
  copySlot(entry.paletteGroup + 48, 1040, 0, 1);
  copySlot(entry.paletteGroup + 48, 1040, 0, 2);
  EXPECT_TRUE(mapAllPalettesSame(&map, entry));
  for (uint32_t k = 1; k < 3; ++k) copySlot(entry.bitmapGroup + 32, 24, 0, k);
  EXPECT_TRUE(mapAllBitmapsSame(&map, entry));
  // The slot heads take no part.
  map.data[entry.bitmapGroup + 32 + 24] ^= 0xFF;
  EXPECT_TRUE(mapAllBitmapsSame(&map, entry));
  entry.bitmapCount = 1;
  EXPECT_FALSE(mapAllBitmapsSame(&map, entry));
}
