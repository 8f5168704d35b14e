// The battle and event text container: an identificator, a table of absolute
// section offsets and the sections themselves. Section 2 holds the dialogs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

enum : uint32_t {
  kBtMinFileSize = 16,
  kBtNoSection = 0,
  kBtBadSection = 0xFFFFFFFFu,
};

struct BtFile {
  char* name;               // path it was loaded from (owned)
  const uint8_t* pointers;  // the slots (data + 4)
  uint32_t sectionCount;    // N: sections 0 .. N-1, slot N is the end pointer
  uint32_t headerSize;      // first present pointer - 4
  uint8_t* data;            // the whole file (owned), followed by one zero byte
  uint32_t size;
  const char* mapName;      // views into data, or null
  const char* authorName;
};

// One section of a rebuild: its bytes (or a file to take them from) and size.
struct SectionRecord {
  const uint8_t* data;
  const char* path;
  uint32_t size;
  uint32_t offset;
};

// N + 1 records; the last one holds the end pointer.
struct SectionList {
  std::vector<SectionRecord> records;
};

// A slot holds a section when 16 <= value <= 0xFFFFFFFE.
inline bool btPointerPresent(uint32_t value) { return value >= 16 && value != kBtBadSection; }

// Loads and checks a container; every failure ends the process with status 1.
BtFile btLoad(const char* path);
// Checks a container already in memory (a malloc'ed block, taken over).
BtFile btOpen(uint8_t* data, uint32_t size, const char* path);
void btFree(BtFile* file);

uint32_t btSlot(const BtFile& file, uint32_t i);
uint32_t btSectionSize(const BtFile& file, uint32_t i);
const uint8_t* btSectionData(const BtFile& file, uint32_t i);
bool btSectionValid(const BtFile& file, uint32_t i);
uint32_t btSectionSizeOrDie(BtFile* file, uint32_t i);
uint32_t btSectionSizeAtLeast(BtFile* file, uint32_t i, uint32_t minimum);
// Ends the process with `format` (index, name) when i is not a section index.
void btIndexOrDie(BtFile* file, uint32_t i, const char* format);

void btPrintInfo(const char* path, FILE* stream);

SectionList btSectionList(const BtFile& file);
// Writes the container with the list's sections to outPath.
void btWrite(const BtFile& file, SectionList* list, const char* outPath);
