#include "bts/dialog.h"

#include <cstring>

#include "common/le.h"
#include "common/strutil.h"

namespace {
uint32_t textOffset(const uint8_t* data, uint32_t k) { return rd16(data + 4 * k); }

// Where the dialog data ends: after the zero byte that ends the last text.
uint32_t dataEnd(const uint8_t* data, uint32_t size, uint32_t lastStart, const char* name,
                 const DialogSettings& settings, const Messages& messages) {
  const void* zero = std::memchr(data + lastStart, 0, size - lastStart);
  if (!zero) {
    report(messages, "WARN: there should be 'zero' char at dialogs data end : %s\n", name);
    return size;
  }
  uint32_t end = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - data) + 1;
  uint32_t i = end;
  while (i < size && data[i] == kDialogPadding) ++i;
  if (i < size && settings.trailingWarning)
    report(messages, "WARN: trailing data after last dialog endchar : %d bytes : %s\n",
           static_cast<int>(size - i), name);
  return end;
}
}  // namespace

void dialogSetSeparator(DialogSettings& settings, const char* text, const Messages& messages) {
  size_t length = std::strlen(text);
  if (length > kSeparatorMax) {
    report(messages, "WARN: given separator size is bigger than maximum : %u (max %d)\n",
           static_cast<unsigned>(length), static_cast<int>(kSeparatorMax));
    return;
  }
  // Each pair keeps its two bytes: the separator's length stays that of STRING.
  std::string separator(text, length);
  for (size_t i = 0; i + 1 < length; ++i) {
    if (separator[i] == '\\' && separator[i + 1] == 'n') {
      separator[i] = '\r';
      separator[i + 1] = '\n';
      ++i;
    }
  }
  settings.separator = separator;
}

Result<DialogView> dialogOpen(const uint8_t* data, uint32_t size, const char* name,
                              const DialogSettings& settings, const Messages& messages) {
  Result<DialogView> result;
  if (size < kDialogMinSize) {
    result.status = failure("ERROR: dialog section is too small to be valid : %u (min %u) : %s\n",
                            size, kDialogMinSize, name);
    return result;
  }
  uint32_t head = kDialogTextBase + textOffset(data, 0);
  if (head > size) {
    result.status = failure(
        "ERROR: dialog first pointer is bigger than dialog size : %u > %u: %s\n", head, size, name);
    return result;
  }
  if (head % 4 != 0)
    report(messages, "WARN: dialog first pointer should be multiple 4 : %u : %s\n", head, name);
  // From here on the section holds at least the 128-byte head with its slots.
  uint32_t offsets[kDialogSlots];
  for (uint32_t k = 0; k < kDialogSlots; ++k) offsets[k] = textOffset(data, k);
  for (uint32_t k = 0; k + 1 < kDialogSlots; ++k) {
    if (offsets[k + 1] < offsets[k]) {
      result.status =
          failure("ERROR: dialog pointers must be ascending : pos %u : %u, next %u : %s\n", k,
                  offsets[k], offsets[k + 1], name);
      return result;
    }
  }
  uint32_t lastStart = kDialogTextBase + offsets[kDialogSlots - 1];
  if (lastStart >= size) {
    result.status = failure(
        "ERROR: some (or last) dialog pointers is biger than file size: ptr %u : size %u: %s\n",
        lastStart, size, name);
    return result;
  }
  uint32_t end = dataEnd(data, size, lastStart, name, settings, messages);

  DialogView& view = result.value;
  view.headSize = head;
  view.data = data;
  view.size = end;
  for (uint32_t k = 0; k < kDialogSlots; ++k) {
    uint32_t start = kDialogTextBase + offsets[k];
    uint32_t stop = k + 1 < kDialogSlots ? kDialogTextBase + offsets[k + 1] : end;
    view.texts[k] = {data + start, stop - start, start};
    if (stop != start) ++view.nonEmptyCount;
  }
  view.name = name;
  return result;
}

Result<std::vector<uint8_t>> dialogAssemble(const DialogView& view,
                                            const uint32_t offsets[kDialogSlots],
                                            const uint8_t* textBytes, uint32_t textLength) {
  Result<std::vector<uint8_t>> result;
  for (uint32_t k = 0; k < kDialogSlots; ++k) {
    if (offsets[k] - kDialogTextBase > 0xFFFF) {
      result.status =
          failure("ERROR: dialog texts too long, text offset does not fit 16 bits : %u : %s\n",
                  offsets[k] - kDialogTextBase, view.name.c_str());
      return result;
    }
  }
  std::vector<uint8_t>& section = result.value;
  section.assign(view.data, view.data + view.headSize);
  for (uint32_t k = 0; k < kDialogSlots; ++k)
    wr16(section.data() + 4 * k, offsets[k] - kDialogTextBase);
  section.insert(section.end(), textBytes, textBytes + textLength);
  section.resize(roundUp(static_cast<uint32_t>(section.size()), kDialogAlignment), kDialogPadding);
  return result;
}

std::vector<DialogTextBytes> dialogTexts(const DialogView& view) {
  std::vector<DialogTextBytes> texts(kDialogSlots);
  for (uint32_t k = 0; k < kDialogSlots; ++k) {
    const DialogText& text = view.texts[k];
    uint32_t length = text.length;
    if (length != 0 && text.data[length - 1] == 0) --length;
    texts[k].bytes.assign(text.data, text.data + length);
    texts[k].empty = text.length == 0;
  }
  return texts;
}

Result<std::vector<uint8_t>> dialogRebuild(const DialogView& view,
                                           const std::vector<DialogTextBytes>& texts) {
  std::vector<uint8_t> area;
  uint32_t offsets[kDialogSlots];
  for (uint32_t k = 0; k < kDialogSlots; ++k) {
    offsets[k] = view.headSize + static_cast<uint32_t>(area.size());
    if (k >= texts.size() || texts[k].empty) continue;
    area.insert(area.end(), texts[k].bytes.begin(), texts[k].bytes.end());
    area.push_back(0);
  }
  return dialogAssemble(view, offsets, area.data(), static_cast<uint32_t>(area.size()));
}

Result<std::vector<uint8_t>> dialogStripTexts(const DialogView& view) {
  std::vector<DialogTextBytes> texts(kDialogSlots);
  for (uint32_t k = 0; k < kDialogSlots; ++k) texts[k].empty = view.texts[k].length == 0;
  return dialogRebuild(view, texts);
}
