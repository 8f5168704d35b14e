// Builds small map files for the tests: every byte the tools do not interpret
// gets a recognisable value so that preservation can be checked.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/bytes.h"

struct TestEntry {
  uint32_t drawWidth = 32, drawHeight = 16;
  int32_t x = -4, y = 7;
  uint32_t listCount = 1;
  uint32_t bitmapWidth = 4, bitmapHeight = 2, bitmapCount = 1, bitmapSlotSize = 0;  // 0: 16 + w*h
  uint32_t paletteWidth = 16, paletteHeight = 16, paletteCount = 1, paletteSlotSize = 1040;
};

struct TestMap {
  std::vector<std::vector<TestEntry>> sections =
      std::vector<std::vector<TestEntry>>(1, std::vector<TestEntry>(1));
  uint32_t chainOffset = 0x40;
  uint32_t tailBytes = 0;  // extra data bytes at the end of the last section
};

struct BuiltMap {
  Bytes bytes;
  // File offsets of each entry, per section.
  std::vector<std::vector<uint32_t>> entryOffsets;
};

inline uint32_t testSlotSize(const TestEntry& e) {
  return e.bitmapSlotSize ? e.bitmapSlotSize : 16 + e.bitmapWidth * e.bitmapHeight;
}

// Pixel value k of bitmap `b` of entry `e` (small indexes, so the palettes'
// first entries are used).
inline uint8_t testPixel(uint32_t e, uint32_t b, uint32_t i) {
  return static_cast<uint8_t>((e * 7 + b * 3 + i) % 13);
}

// Palette p of entry e, entry i (red, green, blue, alpha): distinct colours,
// entry 0 transparent zero, entry 5 transparent black.
inline void testPaletteEntry(uint32_t e, uint32_t p, uint32_t i, uint8_t* rgba) {
  if (i == 0 || i == 5) {
    rgba[0] = rgba[1] = rgba[2] = 0;
    rgba[3] = i == 0 ? 0 : 0x40;
    return;
  }
  rgba[0] = static_cast<uint8_t>(i);
  rgba[1] = static_cast<uint8_t>(e * 16 + p);
  rgba[2] = static_cast<uint8_t>(255 - i);
  rgba[3] = 0x80;
}

inline BuiltMap buildMap(const TestMap& shape) {
  BuiltMap out;
  Bytes& b = out.bytes;
  b.assign(shape.chainOffset, 0);
  for (size_t i = 20; i < b.size(); ++i) b[i] = static_cast<uint8_t>(0xA0 + i);
  b[0] = 'M', b[1] = 'A', b[2] = 'P', b[3] = '1';
  put32(b, 16, shape.chainOffset);
  auto section = [&](const char* tag, uint32_t units) {
    size_t at = b.size();
    b.resize(at + 16, 0xEE);
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(tag[i]);
    put32(b, at + 4, units);
    return at;
  };
  section("YNDT", 0);
  size_t ynpr = section("YNPR", 1);
  b.resize(ynpr + 32, 0xDD);
  put32(b, ynpr + 16, static_cast<uint32_t>(shape.sections.size()));
  for (size_t s = 0; s < shape.sections.size(); ++s) {
    size_t head = section("YNSC", 0);
    size_t dataStart = b.size();
    b.resize(dataStart + 16, 0xCC);
    put32(b, dataStart, static_cast<uint32_t>(shape.sections[s].size()));
    out.entryOffsets.emplace_back();
    for (size_t j = 0; j < shape.sections[s].size(); ++j) {
      const TestEntry& e = shape.sections[s][j];
      size_t at = b.size();
      out.entryOffsets.back().push_back(static_cast<uint32_t>(at));
      uint32_t list = (4 * e.listCount + 15) / 16 * 16;
      uint32_t slot = testSlotSize(e);
      size_t length =
          240 + list + size_t(e.bitmapCount) * slot + size_t(e.paletteCount) * e.paletteSlotSize;
      b.resize(at + length);
      for (size_t i = at; i < at + length; ++i) b[i] = static_cast<uint8_t>(i * 5 + 1);
      put32(b, at + 4, e.drawWidth);
      put32(b, at + 8, e.drawHeight);
      put32(b, at + 12, static_cast<uint32_t>(e.x));
      put32(b, at + 16, static_cast<uint32_t>(e.y));
      put32(b, at + 144, e.listCount);
      size_t bg = at + 160 + list;
      put32(b, bg + 16, e.bitmapWidth);
      put32(b, bg + 20, e.bitmapHeight);
      put32(b, bg + 24, e.bitmapCount);
      put32(b, bg + 28, slot);
      for (uint32_t k = 0; k < e.bitmapCount; ++k)
        for (uint32_t i = 0; i < e.bitmapWidth * e.bitmapHeight && 16 + i < slot; ++i)
          b[bg + 48 + k * slot + i] = testPixel(static_cast<uint32_t>(j), k, i);
      size_t pg = bg + 32 + size_t(e.bitmapCount) * slot;
      put32(b, pg + 32, e.paletteWidth);
      put32(b, pg + 36, e.paletteHeight);
      put32(b, pg + 40, e.paletteCount);
      put32(b, pg + 44, e.paletteSlotSize);
      for (uint32_t p = 0; p < e.paletteCount; ++p)
        for (uint32_t i = 0; i < 256 && 16 + 4 * i + 4 <= e.paletteSlotSize; ++i)
          testPaletteEntry(static_cast<uint32_t>(j), p, i,
                           &b[pg + 64 + p * e.paletteSlotSize + 4 * i]);
    }
    if (s + 1 == shape.sections.size()) b.resize(b.size() + shape.tailBytes, 0x77);
    size_t dataBytes = (b.size() - dataStart + 15) / 16 * 16;
    b.resize(dataStart + dataBytes, 0x55);
    put32(b, head + 4, static_cast<uint32_t>(dataBytes / 16));
  }
  if (b.size() < shape.chainOffset + 352u && shape.sections.empty()) {
    b.resize(shape.chainOffset + 352u, 0x55);
  } else if (b.size() < shape.chainOffset + 352u) {
    // Room for the smallest chain: grow the last section's data.
    size_t grow = (shape.chainOffset + 352 - b.size() + 15) / 16 * 16;
    b.resize(b.size() + grow, 0x55);
    size_t last = shape.chainOffset + 48;
    for (size_t s = 1; s < shape.sections.size(); ++s) {
      uint32_t units = get24(b, last + 4);
      last += 16 + 16 * units;
    }
    uint32_t units = get24(b, last + 4);
    put32(b, last + 4, static_cast<uint32_t>(units + grow / 16));
  }
  return out;
}
