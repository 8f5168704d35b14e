#include "bts/btsc.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bts/btfile.h"
#include "bts/dialog.h"
#include "common/le.h"
#include "frontend/alloc.h"
#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "platform/platform.h"

namespace {
// Stands for every battle after the last one read. Its text offsets are
// 0, 2, 4, 6 and 8.
uint8_t dummyPart[kPartSize];

void fillDummyPart() {
  static const uint8_t head[] = {
      0x00, 0x00, 0x07, 0x00, 0x02, 0x00, 0x0A, 0x00, 0x04, 0x00, 0x07, 0x00, 0x06, 0x00, 0x0A, 0x00,
      0x08, 0x00, 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x19, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x14, 0x14, 0x14, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02};
  static const uint8_t at112[] = {
      0x00, 0x00, 0x2D, 0x01, 0x0B, 0x30, 0x14, 0x03, 0xFF, 0x00, 0x2E, 0x10, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x40, 0x1F, 0x40, 0x1F, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0x43, 0x20, 0x35, 0x20,
      0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x43, 0x20, 0x35, 0x20, 0x00, 0x00, 0x00, 0x00,
      0x02, 0x02, 0x00, 0x00, 0x29, 0x20, 0x40, 0x20, 0x04, 0x01, 0x00, 0x00, 0x00, 0x0E, 0x01, 0x03,
      0x10, 0x32};
  static const uint8_t run[] = {0x65, 0x80, 0x65, 0x80, 0x64, 0x80, 0x64, 0x80, 0x63, 0x80, 0x63,
                                0x80, 0x63, 0x80, 0x63, 0x80, 0x6D, 0x80, 0x6D, 0x80, 0x6C, 0x80,
                                0x6C, 0x80, 0x6B, 0x80, 0x6B, 0x80, 0x6B, 0x80, 0x6B, 0x80};
  static const uint8_t at402[] = {
      0x03, 0x00, 0x70, 0x17, 0x00, 0x00, 0x47, 0x00, 0x7A, 0x7D, 0x7E, 0x86, 0x7D, 0x00,
      0x00, 0x00, 0x00, 0x7E, 0x00, 0x7B, 0x00, 0x00, 0x74, 0x7E, 0x7D, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x02, 0x00, 0x82, 0x02, 0x1C, 0x8B, 0x02, 0x00, 0x17, 0x16, 0x30, 0x78, 0x02, 0x00, 0x00, 0x00,
      0x63, 0x00, 0x02, 0x00, 0x82, 0x02, 0x5C, 0x03, 0x17, 0x16, 0x00, 0x00, 0x63, 0x00, 0x30, 0x78,
      0x02, 0x00, 0x04, 0x00, 0x5C, 0x03, 0x1C, 0x8B};
  static_assert(sizeof head == 80 && sizeof at112 == 66 && sizeof at402 == 70, "dummy layout");
  std::memset(dummyPart, 0, sizeof dummyPart);
  std::memcpy(dummyPart, head, sizeof head);
  std::memcpy(dummyPart + 112, at112, sizeof at112);
  for (uint32_t i = 0; i < 7; ++i) std::memcpy(dummyPart + 178 + 32 * i, run, sizeof run);
  std::memcpy(dummyPart + 402, at402, sizeof at402);
}

// What a freshly created part buffer holds at its text area when it is not cleared.
const uint8_t kInitialTextArea[kPartTextSize] = {
    0x5C, 0x7E, 0x7D, 0x82, 0x83, 0x74, 0x81, 0x3A, 0x30, 0x00, 0x02, 0x00, 0x17, 0x16, 0x0E, 0x5C,
    0x17, 0x17, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x82, 0x02, 0x1C, 0x8B, 0x02, 0x00,
    0x17, 0x16, 0x30, 0x78, 0x02, 0x00, 0x00, 0x00, 0x63, 0x00, 0x02, 0x00, 0x82, 0x02, 0x5C, 0x03,
    0x17, 0x16, 0x00, 0x00, 0x63, 0x00, 0x30, 0x78, 0x02, 0x00, 0x04, 0x00, 0x5C, 0x03, 0x1C, 0x8B};

// Adds to the five 16-bit text offsets of a part (they wrap at 16 bits).
void addToTextOffsets(uint8_t* part, uint32_t amount) {
  for (uint32_t k = 0; k < kDialogSlots; ++k) wr16(part + 4 * k, rd16(part + 4 * k) + amount);
}

bool regularFileExists(const char* path, uint64_t* size) {
  PlatStat st;
  if (!platStat(path, &st) || !st.isRegular) return false;
  *size = st.size;
  return true;
}

void requireSection(BtFile* file, uint32_t i, const char* path) {
  if (btSectionValid(*file, i)) return;
  btFree(file);
  fatal("ERROR: not valid data for index %u : %s\n", i, path);
}

// The text base starts again at the parts for START_INDEX + 101 and + 181.
bool resetsTextBase(uint64_t i, uint32_t start) { return i == start + 100ull || i == start + 180ull; }

void warnMoreParts(const BtscOptions& options, const char* path) {
  long long count = static_cast<long long>(options.endIndex) - options.startIndex + 1;
  if (count > kPartCount)
    report("WARN: there is more part than maximum expected : %lld > %d : %s\n", count,
           static_cast<int>(kPartCount), path);
}
}  // namespace

std::string btscBattleName(const BtscOptions& options, uint64_t index) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%04llu", static_cast<unsigned long long>(index));
  digits[4] = '\0';
  return std::string(options.prefix ? options.prefix : "") + digits +
         (options.suffix ? options.suffix : "");
}

void btscBuildPart(const char* path, uint32_t* textBase, uint8_t** partBuffer, bool keepOld) {
  BtFile file = btLoad(path);
  requireSection(&file, 2, path);
  requireSection(&file, 4, path);
  if (!*partBuffer) {
    *partBuffer = static_cast<uint8_t*>(callocE(kPartSize, 1));
    if (keepOld) std::memcpy(*partBuffer + kPartTextAt, kInitialTextArea, kPartTextSize);
  } else if (!keepOld) {
    std::memset(*partBuffer, 0, kPartSize);
  }
  uint8_t* part = *partBuffer;

  DialogView view = dialogOpenOrDie(btSectionData(file, 2), btSectionSize(file, 2), path);
  if (view.headSize != kPartHeadSize)
    report("WARN: dialog header size differ from expected : %u != %u : %s\n ", view.headSize,
           kPartHeadSize, path);
  std::memcpy(part, view.data, kPartHeadSize);
  addToTextOffsets(part, *textBase);
  for (uint32_t k = 0; k < view.nonEmptyCount; ++k) *textBase += view.texts[k].length;

  uint32_t first = view.texts[0].length;
  if (first == 0) {
    report("WARN: first text have zero size : %s\n ", path);
  } else {
    if (first > kPartTextSize) {
      report("WARN: first text is longer than max size : %u > %u : %s\n ", first, kPartTextSize,
             path);
      first = kPartTextSize;
    }
    std::memcpy(part + kPartTextAt, view.texts[0].data, first);
  }
  dialogClose(&view);

  uint32_t size4 = btSectionSizeAtLeast(&file, 4, kPartSection4Size);
  std::memcpy(part + kPartSection4At, btSectionData(file, 4), size4);
  btFree(&file);
}

void btscCreate(const BtscOptions& options) {
  const char* outPath = options.inPath;
  warnMoreParts(options, outPath);
  FILE* out = outOpen(outPath, "wb");
  uint32_t textBase = 0;
  uint8_t* part = nullptr;
  uint64_t i = options.startIndex;
  for (; i <= options.endIndex; ++i) {
    std::string name = btscBattleName(options, i);
    uint64_t size = 0;
    if (!regularFileExists(name.c_str(), &size)) break;
    btscBuildPart(name.c_str(), &textBase, &part, !options.clear);
    outWrite(out, part, kPartSize);
    if (resetsTextBase(i, options.startIndex)) textBase = 0;
  }
  if (i != uint64_t(options.endIndex) + 1)
    report("WARN: from index %u using 'dummy' data, file not found : %s\n",
           static_cast<unsigned>(i), btscBattleName(options, i).c_str());
  fillDummyPart();
  if (!part) part = static_cast<uint8_t*>(mallocE(kPartSize));
  std::memcpy(part, dummyPart, kPartSize);
  addToTextOffsets(part, textBase);
  for (; i < uint64_t(options.startIndex) + kPartCount; ++i) {
    outWrite(out, part, kPartSize);
    addToTextOffsets(part, 10);
  }
  outCommit(out);
  std::free(part);
}

void btscImport(const BtscOptions& options) {
  warnMoreParts(options, options.inPath);
  uint32_t size = 0;
  uint8_t* data = fileLoadS(options.inPath, &size);
  uint32_t parts = size / kPartSize;
  for (uint64_t i = options.startIndex; i <= options.endIndex && i - options.startIndex < parts;
       ++i) {
    std::string name = btscBattleName(options, i);
    uint64_t fileSize = 0;
    if (!regularFileExists(name.c_str(), &fileSize) || fileSize == 0) continue;
    uint32_t textBase = 0;
    uint8_t* part = data + (i - options.startIndex) * kPartSize;
    btscBuildPart(name.c_str(), &textBase, &part, !options.clear);
  }
  outSave(options.outPath ? options.outPath : options.inPath, data, size);
  std::free(data);
}
