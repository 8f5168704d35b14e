#include "graphics/map1.h"

#include <cstring>
#include <utility>

#include "common/le.h"

namespace {
const char kMagic[] = "MAP1";

uint64_t addSaturated(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

uint64_t listBytes(uint32_t listCount) { return (4ull * listCount + 15) & ~15ull; }

// Reads the YNSC data's entry count; a section without room for it (data
// size 0 at the very end of the file) counts as empty.
uint32_t ynscEntryCount(const uint8_t* data, uint32_t size, uint32_t dataStart) {
  return static_cast<uint64_t>(dataStart) + 4 <= size ? rd32(data + dataStart) : 0;
}

Status checkHeader(const uint8_t* data, uint32_t size, const char* name, const Messages& messages) {
  if (!data) {
    return failure("ERROR: assert : kvomapValidate : map must not be NULL\n");
  }
  if (size < kMapMinFileSize) {
    return failure("ERROR: file must have at last %u bytes , have %u : %s\n", kMapMinFileSize, size,
                   name);
  }
  if (std::memcmp(data, kMagic, 4) != 0)
    report(messages, "WARN: file dont start with '%s' : %s\n", kMagic, name);
  if (rd32(data + 4) || rd32(data + 8) || rd32(data + 12))
    report(messages, "WARN: file bytes 5-16 expected zero: %s\n", name);
  uint32_t chain = rd32(data + 16);
  if (chain == 0) {
    return failure("ERROR: offset for YNSC section is 0 = not present, nothing to do : %s\n", name);
  }
  if (chain > size) {
    return failure("ERROR: offset for YNSC section %u bigger than file size %u : %s\n", chain, size,
                   name);
  }
  if (static_cast<uint64_t>(chain) + kMapMinChainSize > size) {
    return failure("ERROR: offset+minsize for YNSC section %llu bigger than file size %u : %s\n",
                   static_cast<unsigned long long>(chain) + kMapMinChainSize, size, name);
  }
  return Status();
}

uint32_t sectionDataSize(const uint8_t* data, uint32_t offset) {
  return 16 * rd32(data + offset + 4);
}

// Checks the YNSC section at `offset` and every entry in it.
Status checkYnsc(const uint8_t* data, uint32_t size, uint32_t offset, const char* name,
                 MapSection* section, const Messages& messages) {
  if (Status checked = mapSectionCheck(offset, data, size, "YNSC", name, messages); checked.failed)
    return checked;
  section->offset = offset;
  section->dataSize = sectionDataSize(data, offset);
  uint32_t dataStart = offset + kMapSectionHeadSize;
  uint32_t dataEnd = dataStart + section->dataSize;
  uint32_t count = ynscEntryCount(data, size, dataStart);
  uint64_t at = static_cast<uint64_t>(dataStart) + 16;
  for (uint32_t j = 0; j < count; ++j) {
    MapEntry entry;
    uint64_t needed = 0;
    if (at >= dataEnd || !mapReadEntry(data, static_cast<uint32_t>(at), dataEnd, &entry, &needed)) {
      // One starting past the data is measured as far as the file holds it.
      if (at >= dataEnd && mapReadEntry(data, static_cast<uint32_t>(at), size, &entry, &needed))
        needed = entry.length;
      return failure("ERROR: YNSC %u-th entry data outside givem memory : 0x%llX > 0x%X : %s\n", j,
                     static_cast<unsigned long long>(needed), section->dataSize, name);
    }
    // A slot holds at least its head; smaller ones would let a count of
    // millions of empty slots pass.
    if ((entry.bitmapCount && entry.bitmapSlotSize < kMapSlotHead) ||
        (entry.paletteCount && entry.paletteSlotSize < kMapSlotHead)) {
      return failure(
          "ERROR: YNSC %u-th entry slot smaller than its head : bitmaps 0x%X, palettes 0x%X : %s\n",
          j, entry.bitmapSlotSize, entry.paletteSlotSize, name);
    }
    section->entries.push_back(entry);
    at += entry.length;
  }
  return Status();
}
}  // namespace

Status mapSectionCheck(uint32_t offset, const uint8_t* data, uint32_t size, const char* tag,
                       const char* name, const Messages& messages) {
  if (size < kMapSectionHeadSize) {
    return failure("ERROR: for %s section should be at last 0x%X bytes in memory, is 0x%X : %s\n",
                   tag, kMapSectionHeadSize, size, name);
  }
  if (offset >= size) {
    return failure("ERROR: %s section pointer after file data : offset 0x%X : %s\n", tag, offset,
                   name);
  }
  // The header itself must be inside before its data size can be read.
  uint64_t end = static_cast<uint64_t>(offset) + kMapSectionHeadSize;
  if (end <= size) end += 16ull * rd32(data + offset + 4);
  if (end > size) {
    return failure("ERROR: %s section ptr+size after file data : offset 0x%llX : %s\n", tag,
                   static_cast<unsigned long long>(end), name);
  }
  if (std::memcmp(data + offset, tag, 4) != 0)
    report(messages, "WARN: %s section (expected at pos 0x%X) dont start with '%s' : %s\n", tag,
           offset + kMapSectionHeadSize, tag, name);
  return Status();
}

bool mapReadEntry(const uint8_t* data, uint32_t offset, uint32_t limit, MapEntry* entry,
                  uint64_t* needed) {
  auto fits = [&](uint64_t length) { return offset <= limit && length <= limit - offset; };
  const uint8_t* p = data + offset;
  if (!fits(kMapEntryListOffset)) {
    *needed = kMapEntryFixedSize;
    return false;
  }
  MapEntry e;
  e.offset = offset;
  e.drawWidth = rd32(p + 4);
  e.drawHeight = rd32(p + 8);
  e.x = static_cast<int32_t>(rd32(p + 12));
  e.y = static_cast<int32_t>(rd32(p + 16));
  e.listCount = rd32(p + kMapEntryListCount);
  uint64_t bitmapGroup = kMapEntryListOffset + listBytes(e.listCount);
  uint64_t length = kMapEntryFixedSize + listBytes(e.listCount);
  if (!fits(bitmapGroup + kMapBitmapGroupHead)) {
    *needed = length;
    return false;
  }
  const uint8_t* bg = p + bitmapGroup;
  e.bitmapGroup = offset + static_cast<uint32_t>(bitmapGroup);
  e.bitmapWidth = rd32(bg + 16);
  e.bitmapHeight = rd32(bg + 20);
  e.bitmapCount = rd32(bg + 24);
  e.bitmapSlotSize = rd32(bg + 28);
  uint64_t bitmaps = static_cast<uint64_t>(e.bitmapCount) * e.bitmapSlotSize;
  uint64_t paletteGroup = addSaturated(bitmapGroup + kMapBitmapGroupHead, bitmaps);
  length = addSaturated(length, bitmaps);
  if (!fits(addSaturated(paletteGroup, kMapPaletteGroupHead))) {
    *needed = length;
    return false;
  }
  const uint8_t* pg = p + paletteGroup;
  e.paletteGroup = offset + static_cast<uint32_t>(paletteGroup);
  e.paletteWidth = rd32(pg + 32);
  e.paletteHeight = rd32(pg + 36);
  e.paletteCount = rd32(pg + 40);
  e.paletteSlotSize = rd32(pg + 44);
  length = addSaturated(length, static_cast<uint64_t>(e.paletteCount) * e.paletteSlotSize);
  if (!fits(length)) {
    *needed = length;
    return false;
  }
  e.length = static_cast<uint32_t>(length);
  *entry = e;
  return true;
}

Status mapCheck(const uint8_t* data, uint32_t size, const char* name, MapFile* map,
                const Messages& messages) {
  map->size = size;
  map->name = name;
  if (Status checked = checkHeader(data, size, name, messages); checked.failed) return checked;
  uint32_t at = rd32(data + 16);
  if (Status checked = mapSectionCheck(at, data, size, "YNDT", name, messages); checked.failed)
    return checked;
  uint32_t yndtSize = sectionDataSize(data, at);
  if (yndtSize != 0) report(messages, "WARN: YNDT section data size expected zero: %s\n", name);
  at += kMapSectionHeadSize + yndtSize;

  if (Status checked = mapSectionCheck(at, data, size, "YNPR", name, messages); checked.failed)
    return checked;
  uint32_t ynprUnits = rd32(data + at + 4);
  if (ynprUnits != 1)
    report(messages, "WARN: YNPR section size should be 16 bytes, is %u*16: %s\n", ynprUnits, name);
  uint32_t countAt = at + kMapSectionHeadSize;
  if (static_cast<uint64_t>(countAt) + 4 > size) {
    return failure("ERROR: %s section ptr+size after file data : offset 0x%X : %s\n", "YNPR",
                   countAt + 4, name);
  }
  map->ynscCount = rd32(data + countAt);
  at = countAt + 16 * ynprUnits;
  map->firstYnsc = at;

  map->sections.clear();
  for (uint32_t i = 0; i < map->ynscCount; ++i) {
    MapSection section;
    if (Status checked = checkYnsc(data, size, at, name, &section, messages); checked.failed)
      return checked;
    at = section.offset + kMapSectionHeadSize + section.dataSize;
    map->sections.push_back(std::move(section));
  }
  return Status();
}

Result<MapFile> mapRead(std::vector<uint8_t> bytes, const char* name, const Messages& messages) {
  Result<MapFile> result;
  result.status =
      mapCheck(bytes.data(), static_cast<uint32_t>(bytes.size()), name, &result.value, messages);
  if (result.ok()) result.value.data = std::move(bytes);
  return result;
}

uint64_t mapEntryLength(const uint8_t* entry) {
  const uint8_t* bg = mapBitmapGroup(entry);
  const uint8_t* pg = mapPaletteGroup(entry);
  return kMapEntryFixedSize + listBytes(rd32(entry + kMapEntryListCount)) +
         static_cast<uint64_t>(rd32(bg + 24)) * rd32(bg + 28) +
         static_cast<uint64_t>(rd32(pg + 40)) * rd32(pg + 44);
}

const uint8_t* mapBitmapGroup(const uint8_t* entry) {
  return entry + kMapEntryListOffset + listBytes(rd32(entry + kMapEntryListCount));
}

const uint8_t* mapPaletteGroup(const uint8_t* entry) {
  const uint8_t* bg = mapBitmapGroup(entry);
  return bg + kMapBitmapGroupHead + static_cast<uint64_t>(rd32(bg + 24)) * rd32(bg + 28);
}

namespace {
// Every slot's payload (slot size - 16 bytes from slot + 16) equals the
// first one's. Slots smaller than their head have an empty payload.
bool slotsSame(const uint8_t* slots, uint32_t count, uint32_t slotSize, uint32_t first,
               uint32_t last) {
  uint32_t space = slotSize > kMapSlotHead ? slotSize - kMapSlotHead : 0;
  const uint8_t* base = slots + kMapSlotHead + static_cast<size_t>(first) * slotSize;
  for (uint32_t k = first + 1; k <= last && k < count; ++k)
    if (std::memcmp(base, slots + kMapSlotHead + static_cast<size_t>(k) * slotSize, space) != 0)
      return false;
  return true;
}
}  // namespace

bool mapAllBitmapsSame(const MapFile* map, const MapEntry& e) {
  return e.bitmapCount > 1 && slotsSame(map->data.data() + e.bitmapGroup + kMapBitmapGroupHead,
                                        e.bitmapCount, e.bitmapSlotSize, 0, e.bitmapCount - 1);
}

bool mapAllPalettesSame(const MapFile* map, const MapEntry& e) {
  return e.paletteCount > 1 && slotsSame(map->data.data() + e.paletteGroup + kMapPaletteGroupHead,
                                         e.paletteCount, e.paletteSlotSize, 0, e.paletteCount - 1);
}

bool mapLastTwoPalettesSame(const MapFile* map, const MapEntry& e) {
  return e.paletteCount >= 2 &&
         slotsSame(map->data.data() + e.paletteGroup + kMapPaletteGroupHead, e.paletteCount,
                   e.paletteSlotSize, e.paletteCount - 2, e.paletteCount - 1);
}

bool mapFirstTwoPalettesSame(const MapFile* map, const MapEntry& e) {
  return e.paletteCount >= 2 && slotsSame(map->data.data() + e.paletteGroup + kMapPaletteGroupHead,
                                          e.paletteCount, e.paletteSlotSize, 0, 1);
}
