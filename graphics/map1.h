// The game's map graphics file ("MAP1"): a header, then a chain of tagged
// sections (YNDT, YNPR, then the YNSC sections). Every YNSC section holds
// drawing entries, each with a group of 8-bit bitmaps and a group of palettes.
// Bytes the tools do not interpret stay exactly as they are in the buffer.
#pragma once

#include <cstdint>
#include <vector>

enum : uint32_t {
  kMapMinFileSize = 128,
  kMapMinChainSize = 352,  // smallest chain the file must hold after its offset
  kMapSectionHeadSize = 16,
  kMapEntryFixedSize = 240,  // entry head + list head + both group heads
  kMapEntryListOffset = 160,
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
  uint32_t offset = 0;     // the section header
  uint32_t dataSize = 0;   // bytes of data (16 x the stored unit count)
  std::vector<MapEntry> entries;
};

// A loaded and checked map file together with the run's settings.
struct MapFile {
  uint8_t* data = nullptr;  // the whole file (owned)
  uint32_t size = 0;
  const uint8_t* header = nullptr;  // file offset 16
  uint32_t ynscCount = 0;
  uint32_t firstYnsc = 0;  // file offset of the first YNSC section
  std::vector<MapSection> sections;
  const char* name = nullptr;
  const char* prefix = nullptr;
  uint32_t paletteFlags = kMapDefaultFlags;
  bool output32 = false;
  bool importPalette = false;
  bool rangeGiven = false;
  IndexRange ynscRange, entryRange, bitmapRange;
};

// Checks the file and fills `map` (which takes `data`); prints each finding
// and returns false at the first fatal one. Never ends the process.
bool mapCheck(uint8_t* data, uint32_t size, const char* name, MapFile* map);
// mapCheck that ends the process with status 1 on a fatal finding.
MapFile* kvomapValidate(uint8_t* data, uint32_t size, const char* name);
MapFile* mapLoad(const char* path);
void mapFree(MapFile* map);
// Writes the whole buffer to `path` through a temporary file beside it, so
// the file is replaced only after a complete write.
void mapSave(const MapFile* map, const char* path);

// Checks one section header at `offset`; prints and returns false on a fatal
// finding, warns (and returns true) when only the tag differs.
bool mapSectionCheck(uint32_t offset, const uint8_t* data, uint32_t size, const char* tag,
                     const char* name);

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
