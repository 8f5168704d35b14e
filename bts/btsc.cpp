#include "bts/btsc.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "bts/dialog.h"
#include "common/le.h"

namespace {
// What a freshly created part buffer holds at its text area when it is not cleared.
const uint8_t kInitialTextArea[kPartTextSize] = {
    0x5C, 0x7E, 0x7D, 0x82, 0x83, 0x74, 0x81, 0x3A, 0x30, 0x00, 0x02, 0x00, 0x17, 0x16, 0x0E, 0x5C,
    0x17, 0x17, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x82, 0x02, 0x1C, 0x8B, 0x02, 0x00,
    0x17, 0x16, 0x30, 0x78, 0x02, 0x00, 0x00, 0x00, 0x63, 0x00, 0x02, 0x00, 0x82, 0x02, 0x5C, 0x03,
    0x17, 0x16, 0x00, 0x00, 0x63, 0x00, 0x30, 0x78, 0x02, 0x00, 0x04, 0x00, 0x5C, 0x03, 0x1C, 0x8B};

Status requireSection(const BtFile& battle, uint32_t i) {
  if (btSectionValid(battle, i)) return Status();
  return failure("ERROR: not valid data for index %u : %s\n", i, battle.name.c_str());
}

// The dialog head, the first text and the battle's text bytes.
Status copyDialog(const BtFile& battle, uint8_t* part, uint32_t* textBase,
                  const Messages& messages) {
  const char* name = battle.name.c_str();
  DialogSettings settings;
  settings.trailingWarning = false;
  Result<DialogView> opened =
      dialogOpen(btSectionData(battle, kBtDialogSection), btSectionSize(battle, kBtDialogSection),
                 name, settings, messages);
  if (!opened.ok()) return opened.status;
  const DialogView& view = opened.value;
  if (view.headSize != kPartHeadSize)
    report(messages, "WARN: dialog header size differ from expected : %u != %u : %s\n ",
           view.headSize, kPartHeadSize, name);
  std::memcpy(part, view.data, kPartHeadSize);
  btscAddToTextOffsets(part, *textBase);
  for (uint32_t k = 0; k < view.nonEmptyCount; ++k) *textBase += view.texts[k].length;

  uint32_t first = view.texts[0].length;
  if (first == 0) {
    report(messages, "WARN: first text have zero size : %s\n ", name);
    return Status();
  }
  if (first > kPartTextSize) {
    report(messages, "WARN: first text is longer than max size : %u > %u : %s\n ", first,
           kPartTextSize, name);
    first = kPartTextSize;
  }
  std::memcpy(part + kPartTextAt, view.texts[0].data, first);
  return Status();
}
}  // namespace

std::vector<uint8_t> btscDummyPart() {
  static const uint8_t head[] = {
      0x00, 0x00, 0x07, 0x00, 0x02, 0x00, 0x0A, 0x00, 0x04, 0x00, 0x07, 0x00, 0x06, 0x00,
      0x0A, 0x00, 0x08, 0x00, 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00,
      0x19, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x14, 0x14, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02};
  static const uint8_t at112[] = {0x00, 0x00, 0x2D, 0x01, 0x0B, 0x30, 0x14, 0x03, 0xFF, 0x00, 0x2E,
                                  0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x1F, 0x40, 0x1F,
                                  0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0x43, 0x20, 0x35, 0x20, 0x00,
                                  0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x43, 0x20, 0x35, 0x20,
                                  0x00, 0x00, 0x00, 0x00, 0x02, 0x02, 0x00, 0x00, 0x29, 0x20, 0x40,
                                  0x20, 0x04, 0x01, 0x00, 0x00, 0x00, 0x0E, 0x01, 0x03, 0x10, 0x32};
  static const uint8_t run[] = {0x65, 0x80, 0x65, 0x80, 0x64, 0x80, 0x64, 0x80, 0x63, 0x80, 0x63,
                                0x80, 0x63, 0x80, 0x63, 0x80, 0x6D, 0x80, 0x6D, 0x80, 0x6C, 0x80,
                                0x6C, 0x80, 0x6B, 0x80, 0x6B, 0x80, 0x6B, 0x80, 0x6B, 0x80};
  static const uint8_t at402[] = {
      0x03, 0x00, 0x70, 0x17, 0x00, 0x00, 0x47, 0x00, 0x7A, 0x7D, 0x7E, 0x86, 0x7D, 0x00,
      0x00, 0x00, 0x00, 0x7E, 0x00, 0x7B, 0x00, 0x00, 0x74, 0x7E, 0x7D, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x02, 0x00, 0x82, 0x02, 0x1C, 0x8B, 0x02, 0x00, 0x17, 0x16, 0x30, 0x78,
      0x02, 0x00, 0x00, 0x00, 0x63, 0x00, 0x02, 0x00, 0x82, 0x02, 0x5C, 0x03, 0x17, 0x16,
      0x00, 0x00, 0x63, 0x00, 0x30, 0x78, 0x02, 0x00, 0x04, 0x00, 0x5C, 0x03, 0x1C, 0x8B};
  static_assert(sizeof head == 80 && sizeof at112 == 66 && sizeof at402 == 70, "dummy layout");
  std::vector<uint8_t> part(kPartSize, 0);
  std::memcpy(part.data(), head, sizeof head);
  std::memcpy(part.data() + 112, at112, sizeof at112);
  for (uint32_t i = 0; i < 7; ++i) std::memcpy(part.data() + 178 + 32 * i, run, sizeof run);
  std::memcpy(part.data() + 402, at402, sizeof at402);
  return part;
}

std::string btscBattleName(const char* prefix, const char* suffix, uint64_t index) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%04llu", static_cast<unsigned long long>(index));
  digits[4] = '\0';
  return std::string(prefix ? prefix : "") + digits + (suffix ? suffix : "");
}

std::vector<uint8_t> btscNewPart(bool keepOld) {
  std::vector<uint8_t> part(kPartSize, 0);
  if (keepOld) std::memcpy(part.data() + kPartTextAt, kInitialTextArea, kPartTextSize);
  return part;
}

void btscAddToTextOffsets(uint8_t* part, uint32_t amount) {
  for (uint32_t k = 0; k < kDialogSlots; ++k) wr16(part + 4 * k, rd16(part + 4 * k) + amount);
}

Status btscBuildPart(const BtFile& battle, uint8_t* part, uint32_t* textBase, bool keepOld,
                     const Messages& messages) {
  Status present = requireSection(battle, kBtDialogSection);
  if (present.ok()) present = requireSection(battle, kPartSection4);
  if (!present.ok()) return present;
  uint8_t work[kPartSize];
  if (keepOld)
    std::memcpy(work, part, kPartSize);
  else
    std::memset(work, 0, kPartSize);
  uint32_t base = *textBase;
  Status copied = copyDialog(battle, work, &base, messages);
  if (!copied.ok()) return copied;
  Result<uint32_t> size4 = btSectionSizeAtLeast(battle, kPartSection4, kPartSection4Size, messages);
  if (!size4.ok()) return size4.status;
  std::memcpy(work + kPartSection4At, btSectionData(battle, kPartSection4), size4.value);
  std::memcpy(part, work, kPartSize);
  *textBase = base;
  return Status();
}

Status btscRefreshPart(std::vector<uint8_t>& smallFile, uint32_t index,
                       std::vector<uint8_t> battleBytes, const char* name, bool keepOld,
                       const Messages& messages) {
  if ((uint64_t(index) + 1) * kPartSize > smallFile.size())
    return failure("ERROR: part %u lies outside the small battle file : %s\n", index, name);
  Result<BtFile> battle = btOpen(std::move(battleBytes), name, messages);
  if (!battle.ok()) return battle.status;
  uint32_t textBase = 0;
  return btscBuildPart(battle.value, smallFile.data() + uint64_t(index) * kPartSize, &textBase,
                       keepOld, messages);
}
