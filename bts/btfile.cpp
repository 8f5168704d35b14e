#include "bts/btfile.h"

#include <cstring>
#include <utility>

#include "common/fileio.h"
#include "common/le.h"
#include "common/strutil.h"

namespace {
const uint8_t kIdentificator[4] = {8, 0, 0, 0};

uint32_t slotAt(const uint8_t* data, uint32_t i) { return rd32(data + 4 + 4 * i); }

// A name at a 32-bit offset from section 0, when it starts inside the file.
const char* nameAt(const BtFile& file, uint32_t field) {
  uint32_t base = slotAt(file.data.data(), 0);
  uint64_t at = uint64_t(base) + rd32(file.data.data() + base + field);
  return at < file.size ? reinterpret_cast<const char*>(file.data.data() + at) : nullptr;
}

void findNames(BtFile* file) {
  file->mapName = nullptr;
  file->authorName = nullptr;
  uint32_t base = slotAt(file->data.data(), 0);
  if (!btPointerPresent(base) || uint64_t(base) + 20 >= file->size) return;
  file->authorName = nameAt(*file, 8);
  file->mapName = nameAt(*file, 12);
}

// The section pointers: where the first one is, and the last present one.
struct Header {
  uint32_t first;
  uint32_t lastSlot;
};

Result<Header> checkHeader(const uint8_t* data, uint32_t size, const char* name,
                           const Messages& messages) {
  Result<Header> result;
  uint32_t words = (size - 4) / 4;
  uint32_t firstSlot = 0;
  while (firstSlot < words && !btPointerPresent(slotAt(data, firstSlot))) ++firstSlot;
  if (firstSlot == words) {
    result.status = failure("ERROR: not valid header pointer found : %u : %s\n", words, name);
    return result;
  }
  uint32_t first = slotAt(data, firstSlot);
  if (first > size) {
    result.status = failure("ERROR: first pointer in header is too big : id=%u : 0x%X : %s\n",
                            firstSlot, first, name);
    return result;
  }
  uint32_t headerSlots = (first - 4) / 4;
  // The first pointer must lie after its own slot, or the header area would
  // not hold the slots it describes.
  if (firstSlot >= headerSlots) {
    result.status = failure("ERROR: pointer value outside min(%X), max(%X) : id=%u : 0x%X: %s\n",
                            4 + 4 * (firstSlot + 1), size, firstSlot, first, name);
    return result;
  }
  uint32_t last = first;
  uint32_t lastSlot = firstSlot;
  for (uint32_t i = 0; i < headerSlots; ++i) {
    uint32_t v = slotAt(data, i);
    if (v == kBtNoSection || v == kBtBadSection) continue;
    if (v < 16 || v < last || v > size) {
      result.status = failure("ERROR: pointer value outside min(%X), max(%X) : id=%u : 0x%X: %s\n",
                              last, size, i, v, name);
      return result;
    }
    last = v;
    lastSlot = i;
  }
  if (last != size)
    report(messages, "WARN: last pointer expected filesize (0x%X) got : 0x%X : %s\n", size, last,
           name);
  result.value = {first, lastSlot};
  return result;
}
}  // namespace

Result<BtFile> btOpen(std::vector<uint8_t> bytes, const char* name, const Messages& messages) {
  Result<BtFile> result;
  uint32_t size = static_cast<uint32_t>(bytes.size());
  if (size < kBtMinFileSize) {
    result.status = failure("ERROR: file is too small to be valid : %u (min %u) : %s\n", size,
                            kBtMinFileSize, name);
    return result;
  }
  // One zero byte after the file's end: the names always stop inside the block.
  bytes.push_back(0);
  const uint8_t* data = bytes.data();
  if (std::memcmp(data, kIdentificator, 4) != 0)
    report(messages,
           "WARN: not valid BTFILE, expected identificator '%02X%02X%02X%02X': got "
           "'%02X%02X%02X%02X' : %s\n",
           8, 0, 0, 0, data[0], data[1], data[2], data[3], name);
  Result<Header> header = checkHeader(data, size, name, messages);
  if (!header.ok()) {
    result.status = header.status;
    return result;
  }
  BtFile& file = result.value;
  file.name = name;
  file.data = std::move(bytes);
  file.size = size;
  file.sectionCount = header.value.lastSlot;
  file.headerSize = header.value.first - 4;
  findNames(&file);
  return result;
}

Result<BtFile> btLoad(const char* path, const Messages& messages) {
  Result<std::vector<uint8_t>> bytes = loadSizedFile(path);
  if (!bytes.ok()) return {BtFile(), bytes.status};
  return btOpen(std::move(bytes.value), path, messages);
}

uint32_t btSlot(const BtFile& file, uint32_t i) { return slotAt(file.data.data(), i); }

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
  return file.data.data() + btSlot(file, i);
}

bool btSectionValid(const BtFile& file, uint32_t i) {
  return i < file.sectionCount && btPointerPresent(btSlot(file, i)) && btSectionSize(file, i) != 0;
}

Result<uint32_t> btSectionSizeChecked(const BtFile& file, uint32_t i) {
  Result<uint32_t> result;
  const char* name = file.name.c_str();
  if (i >= file.sectionCount) {
    result.status = failure("ERROR: given index out of sections range : id=%u : %s\n", i, name);
    return result;
  }
  uint32_t slot = btSlot(file, i);
  if (slot == kBtNoSection) {
    result.status = failure("ERROR: section with given id=%u not present : %s\n", i, name);
  } else if (!btPointerPresent(slot)) {
    result.status =
        failure("ERROR: section with given id=%u not valid pointer: 0x%x : %s\n", i, slot, name);
  } else if ((result.value = btSectionSize(file, i)) == 0) {
    result.status =
        failure("ERROR: section with given id=%u has zero size, no processing : %s\n", i, name);
  }
  return result;
}

Result<uint32_t> btSectionSizeAtLeast(const BtFile& file, uint32_t i, uint32_t minimum,
                                      const Messages& messages) {
  Result<uint32_t> size = btSectionSizeChecked(file, i);
  if (!size.ok() || size.value >= minimum) return {minimum, size.status};
  report(messages, "WARN: section with index %u should have at least %u bytes : %s\n", i, minimum,
         file.name.c_str());
  return size;
}

Status btCheckIndex(const BtFile& file, uint32_t i, const char* action) {
  if (i < file.sectionCount) return Status();
  return failure("ERROR: not valid index for %s : %u : %s\n", action, i, file.name.c_str());
}

std::string btInfoText(const BtFile& file, const char* path) {
  std::string text = formatText("filename  : %s\n", path);
  text += formatText("mapname   : %s\n", file.mapName ? file.mapName : "(null)");
  text += formatText("authorname: %s\n", file.authorName ? file.authorName : "(null)");
  text += formatText("fileSize  : %u (0x%X)\n", file.size, file.size);
  text += formatText("helements : %u\n", file.sectionCount + 1);
  text += "pointers  :\n";
  for (uint32_t i = 0; i <= file.sectionCount; ++i)
    text += formatText("%2u : %8X\n", i, btSlot(file, i));
  return text;
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

namespace {
// Appends a section taken from a file; a file that changed size since it was
// measured gives its first `size` bytes, padded with zeros when it shrank.
Status appendSourceFile(std::vector<uint8_t>& out, const SectionRecord& record,
                        const Messages& messages) {
  Result<std::vector<uint8_t>> loaded = loadSizedFile(record.path);
  if (!loaded.ok()) return loaded.status;
  uint32_t length = static_cast<uint32_t>(loaded.value.size());
  if (length != record.size)
    report(messages, "WARN: checked file and loaded file size differ : %u vs %u : %s", record.size,
           length, record.path);
  uint32_t used = length < record.size ? length : record.size;
  out.insert(out.end(), loaded.value.begin(), loaded.value.begin() + used);
  out.resize(out.size() + (record.size - used), 0);
  return Status();
}
}  // namespace

Result<std::vector<uint8_t>> btRebuild(const BtFile& file, SectionList* list, const char* outPath,
                                       const Messages& messages) {
  Result<std::vector<uint8_t>> result;
  const uint32_t n = file.sectionCount;
  std::vector<uint8_t> header(file.data.data() + 4, file.data.data() + 4 + file.headerSize);
  std::vector<SectionRecord>& records = list->records;
  uint64_t offset = roundUp(file.headerSize + 4, 4);
  for (uint32_t i = 0; i <= n; ++i) {
    if (i > 0) offset = (offset + records[i - 1].size + 3) / 4 * 4;
    // Offsets are 32-bit in the file and files stay below 2 GiB.
    if (offset > 0x7FFFFFFFu) {
      result.status = failure("ERROR: rebuilt file would be too big : %llu bytes : %s\n",
                              static_cast<unsigned long long>(offset), outPath);
      return result;
    }
    records[i].offset = static_cast<uint32_t>(offset);
    wr32(header.data() + 4 * i, (i < n && records[i].size == 0) ? kBtNoSection : records[i].offset);
  }
  std::vector<uint8_t>& out = result.value;
  out.reserve(records[n].offset);
  out.insert(out.end(), file.data.data(), file.data.data() + 4);
  out.insert(out.end(), header.begin(), header.end());
  out.resize(records[0].offset, 0);
  for (uint32_t i = 0; i < n; ++i) {
    const SectionRecord& record = records[i];
    if (record.size == 0) continue;
    if (record.data) {
      out.insert(out.end(), record.data, record.data + record.size);
    } else if (record.path) {
      Status appended = appendSourceFile(out, record, messages);
      if (!appended.ok()) return {std::vector<uint8_t>(), appended};
    } else {
      out.resize(out.size() + record.size, 0);  // keeps the later sections at their offsets
    }
    out.resize(records[i + 1].offset, 0);
  }
  return result;
}

Result<std::vector<uint8_t>> btReplaceSection(const BtFile& file, uint32_t i,
                                              const std::vector<uint8_t>& bytes,
                                              const Messages& messages) {
  Status index = btCheckIndex(file, i, "import");
  if (!index.ok()) return {std::vector<uint8_t>(), index};
  SectionList list = btSectionList(file);
  list.records[i].data = bytes.empty() ? nullptr : bytes.data();
  list.records[i].path = nullptr;
  list.records[i].size = static_cast<uint32_t>(bytes.size());
  return btRebuild(file, &list, file.name.c_str(), messages);
}
