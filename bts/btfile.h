// The battle and event text container: an identificator, a table of absolute
// section offsets and the sections themselves. Section 2 holds the dialogs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"

enum : uint32_t {
  kBtMinFileSize = 16,
  kBtNoSection = 0,
  kBtBadSection = 0xFFFFFFFFu,
  kBtDialogSection = 2,
};

// A checked container. It can be moved but not copied: the names point into
// its own bytes.
struct BtFile {
  BtFile() = default;
  BtFile(BtFile&&) = default;
  BtFile& operator=(BtFile&&) = default;
  BtFile(const BtFile&) = delete;
  BtFile& operator=(const BtFile&) = delete;

  std::string name;               // the name its messages give (the path it came from)
  std::vector<uint8_t> data;      // the whole file, followed by one zero byte
  uint32_t size = 0;              // of the file, without that zero byte
  uint32_t sectionCount = 0;      // N: sections 0 .. N-1, slot N is the end pointer
  uint32_t headerSize = 0;        // first present pointer - 4
  const char* mapName = nullptr;  // views into data, or null
  const char* authorName = nullptr;
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

// Checks a container held in memory; `name` is the file its messages name.
// Warnings (identificator, end pointer) go to `messages`.
Result<BtFile> btOpen(std::vector<uint8_t> bytes, const char* name, const Messages& messages);
// Loads a container file and checks it.
Result<BtFile> btLoad(const char* path, const Messages& messages);

uint32_t btSlot(const BtFile& file, uint32_t i);
uint32_t btSectionSize(const BtFile& file, uint32_t i);
const uint8_t* btSectionData(const BtFile& file, uint32_t i);
bool btSectionValid(const BtFile& file, uint32_t i);
// The size of section i, or why it has none ("ERROR: given index out of
// sections range", "... not present", "... not valid pointer", "... has zero size").
Result<uint32_t> btSectionSizeChecked(const BtFile& file, uint32_t i);
// The checked size capped at `minimum`, with a warning when it is smaller.
Result<uint32_t> btSectionSizeAtLeast(const BtFile& file, uint32_t i, uint32_t minimum,
                                      const Messages& messages);
// "ERROR: not valid index for ACTION : I : NAME" when i is no section index.
Status btCheckIndex(const BtFile& file, uint32_t i, const char* action);

// The listing of kvobts -p; `path` is the name it shows.
std::string btInfoText(const BtFile& file, const char* path);

SectionList btSectionList(const BtFile& file);
// The container's bytes with the list's sections; a section taken from a file
// that changed size since it was measured gives its first `size` bytes,
// padded with zeros, after a warning. `outPath` names the output in messages.
Result<std::vector<uint8_t>> btRebuild(const BtFile& file, SectionList* list, const char* outPath,
                                       const Messages& messages);
// The container's bytes with section i's bytes replaced (i < sectionCount);
// empty bytes remove the section.
Result<std::vector<uint8_t>> btReplaceSection(const BtFile& file, uint32_t i,
                                              const std::vector<uint8_t>& bytes,
                                              const Messages& messages);
