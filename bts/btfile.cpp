#include "bts/btfile.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/le.h"
#include "common/strutil.h"
#include "frontend/alloc.h"
#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"

namespace {
const uint8_t kIdentificator[4] = {8, 0, 0, 0};

uint32_t slotAt(const uint8_t* data, uint32_t i) { return rd32(data + 4 + 4 * i); }

// Releases what the container owns before a fatal message.
void releaseData(uint8_t* data) { std::free(data); }

// A name at a 32-bit offset from section 0, when it starts inside the file.
const char* nameAt(const BtFile& file, uint32_t field) {
  uint32_t base = slotAt(file.data, 0);
  uint64_t at = uint64_t(base) + rd32(file.data + base + field);
  return at < file.size ? reinterpret_cast<const char*>(file.data + at) : nullptr;
}

void findNames(BtFile* file) {
  file->mapName = nullptr;
  file->authorName = nullptr;
  uint32_t base = slotAt(file->data, 0);
  if (!btPointerPresent(base) || uint64_t(base) + 20 >= file->size) return;
  file->authorName = nameAt(*file, 8);
  file->mapName = nameAt(*file, 12);
}
}  // namespace

BtFile btOpen(uint8_t* data, uint32_t size, const char* path) {
  if (size < kBtMinFileSize) {
    releaseData(data);
    fatal("ERROR: file is too small to be valid : %u (min %u) : %s\n", size, kBtMinFileSize, path);
  }
  // One zero byte after the file's end: the names always stop inside the block.
  data = static_cast<uint8_t*>(reallocE(data, size + 1));
  data[size] = 0;
  if (std::memcmp(data, kIdentificator, 4) != 0)
    report("WARN: not valid BTFILE, expected identificator '%02X%02X%02X%02X': got "
           "'%02X%02X%02X%02X' : %s\n",
           8, 0, 0, 0, data[0], data[1], data[2], data[3], path);

  uint32_t words = (size - 4) / 4;
  uint32_t firstSlot = 0;
  while (firstSlot < words && !btPointerPresent(slotAt(data, firstSlot))) ++firstSlot;
  if (firstSlot == words) {
    releaseData(data);
    fatal("ERROR: not valid header pointer found : %u : %s\n", words, path);
  }
  uint32_t first = slotAt(data, firstSlot);
  if (first > size) {
    releaseData(data);
    fatal("ERROR: first pointer in header is too big : id=%u : 0x%X : %s\n", firstSlot, first, path);
  }
  uint32_t headerSlots = (first - 4) / 4;
  // The first pointer must lie after its own slot, or the header area would
  // not hold the slots it describes.
  if (firstSlot >= headerSlots) {
    releaseData(data);
    fatal("ERROR: pointer value outside min(%X), max(%X) : id=%u : 0x%X: %s\n",
          4 + 4 * (firstSlot + 1), size, firstSlot, first, path);
  }
  uint32_t last = first;
  uint32_t lastSlot = firstSlot;
  for (uint32_t i = 0; i < headerSlots; ++i) {
    uint32_t v = slotAt(data, i);
    if (v == kBtNoSection || v == kBtBadSection) continue;
    if (v < 16 || v < last || v > size) {
      releaseData(data);
      fatal("ERROR: pointer value outside min(%X), max(%X) : id=%u : 0x%X: %s\n", last, size, i, v,
            path);
    }
    last = v;
    lastSlot = i;
  }
  if (last != size)
    report("WARN: last pointer expected filesize (0x%X) got : 0x%X : %s\n", size, last, path);

  BtFile file;
  file.name = strdupp(path, 0);
  file.pointers = data + 4;
  file.sectionCount = lastSlot;
  file.headerSize = first - 4;
  file.data = data;
  file.size = size;
  findNames(&file);
  return file;
}

BtFile btLoad(const char* path) {
  uint32_t size = 0;
  uint8_t* data = fileLoadS(path, &size);
  return btOpen(data, size, path);
}

void btFree(BtFile* file) {
  std::free(file->name);
  std::free(file->data);
  file->name = nullptr;
  file->data = nullptr;
  file->pointers = nullptr;
  file->sectionCount = 0;
  file->size = 0;
  file->mapName = nullptr;
  file->authorName = nullptr;
}

uint32_t btSlot(const BtFile& file, uint32_t i) { return rd32(file.pointers + 4 * i); }

uint32_t btSectionSize(const BtFile& file, uint32_t i) {
  if (i >= file.sectionCount) return 0;
  uint32_t start = btSlot(file, i);
  if (!btPointerPresent(start)) return 0;
  for (uint32_t j = i + 1; j <= file.sectionCount; ++j) {
    uint32_t end = btSlot(file, j);
    if (btPointerPresent(end)) return end - start;
  }
  return 0;
}

const uint8_t* btSectionData(const BtFile& file, uint32_t i) {
  if (i >= file.sectionCount || !btPointerPresent(btSlot(file, i))) return nullptr;
  return file.data + btSlot(file, i);
}

bool btSectionValid(const BtFile& file, uint32_t i) {
  return i < file.sectionCount && btPointerPresent(btSlot(file, i)) && btSectionSize(file, i) != 0;
}

// Prints the message, releases the container and ends the process.
[[noreturn]] static void failWith(BtFile* file, const std::string& message) {
  btFree(file);
  fatal("%s", message.c_str());
}

static std::string formatted(const char* format, uint32_t a, const char* name) {
  char buffer[4096 + 256];
  std::snprintf(buffer, sizeof buffer, format, a, name);
  return buffer;
}

uint32_t btSectionSizeOrDie(BtFile* file, uint32_t i) {
  if (i >= file->sectionCount)
    failWith(file, formatted("ERROR: given index out of sections range : id=%u : %s\n", i, file->name));
  uint32_t slot = btSlot(*file, i);
  if (slot == kBtNoSection)
    failWith(file, formatted("ERROR: section with given id=%u not present : %s\n", i, file->name));
  if (!btPointerPresent(slot)) {
    char buffer[4096 + 256];
    std::snprintf(buffer, sizeof buffer,
                  "ERROR: section with given id=%u not valid pointer: 0x%x : %s\n", i, slot,
                  file->name);
    failWith(file, buffer);
  }
  uint32_t size = btSectionSize(*file, i);
  if (size == 0)
    failWith(file, formatted("ERROR: section with given id=%u has zero size, no processing : %s\n",
                             i, file->name));
  return size;
}

uint32_t btSectionSizeAtLeast(BtFile* file, uint32_t i, uint32_t minimum) {
  uint32_t size = btSectionSizeOrDie(file, i);
  if (size >= minimum) return minimum;
  report("WARN: section with index %u should have at least %u bytes : %s\n", i, minimum,
         file->name);
  return size;
}

void btIndexOrDie(BtFile* file, uint32_t i, const char* format) {
  if (i >= file->sectionCount) failWith(file, formatted(format, i, file->name));
}

void btPrintInfo(const char* path, FILE* stream) {
  BtFile file = btLoad(path);
  std::fprintf(stream, "filename  : %s\n", path);
  std::fprintf(stream, "mapname   : %s\n", file.mapName ? file.mapName : "(null)");
  std::fprintf(stream, "authorname: %s\n", file.authorName ? file.authorName : "(null)");
  std::fprintf(stream, "fileSize  : %u (0x%X)\n", file.size, file.size);
  std::fprintf(stream, "helements : %u\n", file.sectionCount + 1);
  std::fprintf(stream, "pointers  :\n");
  for (uint32_t i = 0; i <= file.sectionCount; ++i)
    std::fprintf(stream, "%2u : %8X\n", i, btSlot(file, i));
  btFree(&file);
}

SectionList btSectionList(const BtFile& file) {
  SectionList list;
  list.records.resize(file.sectionCount + 1);
  for (uint32_t i = 0; i < file.sectionCount; ++i) {
    SectionRecord& record = list.records[i];
    record.data = btSectionData(file, i);
    record.path = nullptr;
    record.size = btSectionSize(file, i);
    record.offset = btSlot(file, i);
  }
  list.records[file.sectionCount] = {nullptr, nullptr, 0, btSlot(file, file.sectionCount)};
  return list;
}

// Writes a section taken from a file; a file that changed size since it was
// measured gives its first `size` bytes, padded with zeros when it shrank.
static void writeSourceFile(FILE* out, const SectionRecord& record) {
  uint32_t loaded = 0;
  uint8_t* data = fileLoadS(record.path, &loaded);
  if (loaded != record.size)
    report("WARN: checked file and loaded file size differ : %u vs %u : %s", record.size, loaded,
           record.path);
  uint32_t used = loaded < record.size ? loaded : record.size;
  outWrite(out, data, used);
  outWriteZeros(out, record.size - used);
  std::free(data);
}

void btWrite(const BtFile& file, SectionList* list, const char* outPath) {
  const uint32_t n = file.sectionCount;
  std::vector<uint8_t> header(file.data + 4, file.data + 4 + file.headerSize);
  std::vector<SectionRecord>& records = list->records;
  uint64_t offset = roundUp(file.headerSize + 4, 4);
  for (uint32_t i = 0; i <= n; ++i) {
    if (i > 0) offset = (offset + records[i - 1].size + 3) / 4 * 4;
    // Offsets are 32-bit in the file and files stay below 2 GiB.
    if (offset > 0x7FFFFFFFu)
      fatal("ERROR: rebuilt file would be too big : %llu bytes : %s\n",
            static_cast<unsigned long long>(offset), outPath);
    records[i].offset = static_cast<uint32_t>(offset);
    wr32(header.data() + 4 * i, (i < n && records[i].size == 0) ? kBtNoSection : records[i].offset);
  }
  FILE* out = outOpen(outPath, "wb");
  outWrite(out, file.data, 4);
  outWrite(out, header.data(), file.headerSize);
  outWriteZeros(out, records[0].offset - (file.headerSize + 4));
  for (uint32_t i = 0; i < n; ++i) {
    const SectionRecord& record = records[i];
    if (record.size == 0) continue;
    if (record.data)
      outWrite(out, record.data, record.size);
    else if (record.path)
      writeSourceFile(out, record);
    else
      outWriteZeros(out, record.size);  // keeps the later sections at their offsets
    outWriteZeros(out, records[i + 1].offset - (record.offset + record.size));
  }
  outCommit(out);
}
