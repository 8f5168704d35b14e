// Builds small synthetic disc images: the file table at 0x8c000, files from
// sector 344 on, the sizes file as entry 15 and an 'empty' terminator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/bytes.h"

struct DiscEntry {
  Bytes data;
  bool compressed = false;
  bool empty = false;
  int sectors = -1;          // -1: as many as the data needs (at least 1; 0 for empty)
  int padding = -1;          // -1: the unused 8-byte units of the last sector
  int64_t sizesRecord = -1;  // -1: the right record for the data
};

class DiscBuilder {
 public:
  // Adds an entry (entry 15 is skipped: the builder puts the sizes file there).
  DiscEntry& file(const Bytes& data, bool compressed = false);
  DiscEntry& empty();
  // Builds the image; until then entries can still be changed.
  Bytes build();

  uint32_t firstSector = 344;
  // After build(): the start sector of each entry and the sizes file's offset.
  std::vector<uint32_t> starts;
  uint32_t sizesOffset = 0;

 private:
  std::vector<DiscEntry> entries_;
};

// A file of `size` bytes, each byte `value`.
Bytes filled(size_t size, uint8_t value);

// Fields of a built image.
uint32_t entryWord(const Bytes& image, uint32_t entry);
void setEntryWord(Bytes& image, uint32_t entry, uint32_t word);
uint32_t sizesRecord(const Bytes& image, uint32_t sizesOffset, uint32_t entry);
void setSizesRecord(Bytes& image, uint32_t sizesOffset, uint32_t entry, uint32_t record);

// Seventeen entries: four of interest (0000.elf, 0001.vvm.c1, an empty entry,
// a 10-byte text file 0002), fillers, the sizes file and the terminator.
DiscBuilder listingDisc();

// The lines of a text.
std::vector<std::string> linesOf(const std::string& text);
