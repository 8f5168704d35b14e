// The game's map graphics file ("MAP1"): a header, then a chain of tagged
// sections (YNDT, YNPR, then the YNSC sections). Every YNSC section holds
// drawing entries, each with a group of 8-bit bitmaps and a group of palettes.
// Bytes the tools do not interpret stay exactly as they are in the buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"

enum : uint32_t {
  kMapMinFileSize = 128,
  kMapMinChainSize = 352,  // smallest chain the file must hold after its offset
  kMapSectionHeadSize = 16,
  kMapEntryFixedSize = 240,  // entry head + list head + both group heads
  kMapEntryListOffset = 160,
  kMapEntryListCount = 144,  // where an entry stores its list's length
  kMapBitmapGroupHead = 32,
  kMapPaletteGroupHead = 48,
  kMapSlotHead = 16,
  kMapPaletteBytes = 1024,
  kMapDefaultFlags = 0x30,
};

// An inclusive range of unsigned indexes.
struct IndexRange {
  uint32_t first = 0;
  uint32_t last = UINT32_MAX;
  bool holds(uint32_t value) const { return value >= first && value <= last; }
};

// One drawing entry as read from the file; offsets are file offsets.
struct MapEntry {
  uint32_t offset = 0;
  uint32_t length = 0;
  uint32_t drawWidth = 0, drawHeight = 0;
  int32_t x = 0, y = 0;
  uint32_t listCount = 0;
  uint32_t bitmapGroup = 0;
  uint32_t bitmapWidth = 0, bitmapHeight = 0, bitmapCount = 0, bitmapSlotSize = 0;
  uint32_t paletteGroup = 0;
  uint32_t paletteWidth = 0, paletteHeight = 0, paletteCount = 0, paletteSlotSize = 0;
};

struct MapSection {
  uint32_t offset = 0;    // the section header
  uint32_t dataSize = 0;  // bytes of data (16 x the stored unit count)
  std::vector<MapEntry> entries;
};

// A loaded and checked map file.
struct MapFile {
  std::vector<uint8_t> data;  // the whole file
  uint32_t size = 0;
  uint32_t ynscCount = 0;
  uint32_t firstYnsc = 0;  // file offset of the first YNSC section
  std::vector<MapSection> sections;
  std::string name;
};

// What a run of the picture walks does: palette flags of the export options,
// 32-bit output, palette import and the chosen ranges.
struct MapSettings {
  uint32_t paletteFlags = kMapDefaultFlags;
  bool output32 = false;
  bool importPalette = false;
  bool rangeGiven = false;
  IndexRange ynscRange, entryRange, bitmapRange;
};

// Checks the file and fills the layout of `map` (not its data); the failure
// is the first fatal finding, warnings go to `messages`.
Status mapCheck(const uint8_t* data, uint32_t size, const char* name, MapFile* map,
                const Messages& messages);
// A checked map file from its bytes.
Result<MapFile> mapRead(std::vector<uint8_t> bytes, const char* name, const Messages& messages);

// Checks one section header at `offset`: fails on a fatal finding, warns
// when only the tag differs.
Status mapSectionCheck(uint32_t offset, const uint8_t* data, uint32_t size, const char* tag,
                       const char* name, const Messages& messages);

// Position rules of an entry already known to lie inside the file.
uint64_t mapEntryLength(const uint8_t* entry);
const uint8_t* mapBitmapGroup(const uint8_t* entry);
const uint8_t* mapPaletteGroup(const uint8_t* entry);

// Reads the entry at `offset` whose bytes must end at or before `limit`.
// Returns false when it does not fit; *needed then is the length that was
// found so far (at least as long as the part that did not fit).
bool mapReadEntry(const uint8_t* data, uint32_t offset, uint32_t limit, MapEntry* entry,
                  uint64_t* needed);

// File offsets of bitmap k's pixels and of palette p's entries.
inline uint32_t mapBitmapPixels(const MapEntry& e, uint32_t k) {
  return e.bitmapGroup + kMapBitmapGroupHead + kMapSlotHead + k * e.bitmapSlotSize;
}
inline uint32_t mapPaletteEntries(const MapEntry& e, uint32_t p) {
  return e.paletteGroup + kMapPaletteGroupHead + kMapSlotHead + p * e.paletteSlotSize;
}

// Group comparisons for the listing.
bool mapAllBitmapsSame(const MapFile* map, const MapEntry& e);
bool mapAllPalettesSame(const MapFile* map, const MapEntry& e);
bool mapLastTwoPalettesSame(const MapFile* map, const MapEntry& e);
bool mapFirstTwoPalettesSame(const MapFile* map, const MapEntry& e);
