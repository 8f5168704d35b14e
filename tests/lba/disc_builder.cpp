#include "tests/lba/disc_builder.h"

#include <algorithm>

namespace {
const uint32_t kSector = 2048;
const uint32_t kTableAt = 0x8c000;
const uint32_t kSizesEntry = 15;

uint32_t sectorsOf(const DiscEntry& e) {
  if (e.sectors >= 0) return static_cast<uint32_t>(e.sectors);
  if (e.empty) return 0;
  return std::max<uint32_t>(1, static_cast<uint32_t>((e.data.size() + kSector - 1) / kSector));
}

uint32_t recordOf(const DiscEntry& e) {
  if (e.sizesRecord >= 0) return static_cast<uint32_t>(e.sizesRecord);
  if (e.empty) return 0;
  uint32_t bytes = static_cast<uint32_t>(e.data.size());
  if (e.compressed && e.data.size() >= 5) bytes = get32(e.data, 1);
  return static_cast<uint32_t>((uint64_t(bytes) + 7) / 8);
}
}  // namespace

DiscEntry& DiscBuilder::file(const Bytes& data, bool compressed) {
  if (entries_.size() == kSizesEntry) entries_.emplace_back();  // placeholder for the sizes file
  entries_.emplace_back();
  entries_.back().data = data;
  entries_.back().compressed = compressed;
  return entries_.back();
}

DiscEntry& DiscBuilder::empty() {
  DiscEntry& e = file({});
  e.empty = true;
  return e;
}

Bytes DiscBuilder::build() {
  while (entries_.size() < kSizesEntry)
    file(filled(kSector, static_cast<uint8_t>(entries_.size())));
  if (entries_.size() == kSizesEntry) entries_.emplace_back();
  uint32_t count = static_cast<uint32_t>(entries_.size()) + 1;  // with the terminator
  DiscEntry& sizes = entries_[kSizesEntry];
  if (sizes.data.empty()) sizes.data.assign(count * 3, 0);

  starts.assign(count, 0);
  uint32_t sector = firstSector;
  for (uint32_t e = 0; e + 1 < count; ++e) {
    starts[e] = sector;
    sector += sectorsOf(entries_[e]);
  }
  starts[count - 1] = sector;
  Bytes image(static_cast<size_t>(sector) * kSector, 0);
  sizesOffset = starts[kSizesEntry] * kSector;
  for (uint32_t e = 0; e + 1 < count; ++e) {
    const DiscEntry& d = entries_[e];
    uint32_t span = sectorsOf(d) * kSector;
    uint32_t unused = span > d.data.size() ? span - static_cast<uint32_t>(d.data.size()) : 0;
    uint32_t padding = d.padding >= 0 ? d.padding : (unused >= kSector ? 255 : unused / 8);
    if (d.empty && d.padding < 0) padding = 0;
    put32(image, kTableAt + 4 * e,
          starts[e] | (d.compressed ? 1u << 22 : 0) | (d.empty ? 1u << 23 : 0) | (padding << 24));
    size_t room = std::min<size_t>(d.data.size(), span);
    std::copy(d.data.begin(), d.data.begin() + room, image.begin() + size_t(starts[e]) * kSector);
  }
  put32(image, kTableAt + 4 * (count - 1), starts[count - 1] | (1u << 23));
  for (uint32_t e = 0; e + 1 < count; ++e) {
    uint32_t r = e == kSizesEntry ? (count * 3 + 7) / 8 : recordOf(entries_[e]);
    setSizesRecord(image, sizesOffset, e, r);
  }
  return image;
}

Bytes filled(size_t size, uint8_t value) { return Bytes(size, value); }

uint32_t entryWord(const Bytes& image, uint32_t entry) {
  return get32(image, kTableAt + 4 * entry);
}

void setEntryWord(Bytes& image, uint32_t entry, uint32_t word) {
  put32(image, kTableAt + 4 * entry, word);
}

uint32_t sizesRecord(const Bytes& image, uint32_t sizesOffset, uint32_t entry) {
  return get24(image, sizesOffset + 3 * entry);
}

void setSizesRecord(Bytes& image, uint32_t sizesOffset, uint32_t entry, uint32_t record) {
  put24(image, sizesOffset + 3 * entry, record);
}

DiscBuilder listingDisc() {
  DiscBuilder b;
  b.file({0x7F, 'E', 'L', 'F', 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  b.file(compressedFile(1, 4096, {0x90, 0x00, 0x01, 0x0B, 0x80, 0x03, 0x01, 0x02, 0x00}), true);
  b.empty();
  b.file(bytesOf("ABCDEFGHIJ"));
  return b;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}
