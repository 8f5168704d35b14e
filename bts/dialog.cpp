#include "bts/dialog.h"

#include <cstring>

#include "common/le.h"
#include "common/strutil.h"
#include "frontend/frontend.h"

namespace {
const char kDefaultSeparator[] = "\r\n--------------------------------------------------End--\r\n";

DialogSettings defaultSettings() {
  DialogSettings settings{};
  settings.separatorOn = true;
  settings.separatorLength = sizeof kDefaultSeparator - 1;
  std::memcpy(settings.separator, kDefaultSeparator, settings.separatorLength);
  settings.trailingWarning = true;
  return settings;
}

uint32_t textOffset(const uint8_t* data, uint32_t k) { return rd16(data + 4 * k); }
}  // namespace

DialogSettings gDialogSettings = defaultSettings();

void dialogSetSeparator(const char* text) {
  size_t length = std::strlen(text);
  if (length > kSeparatorMax) {
    report("WARN: given separator size is bigger than maximum : %u (max %d)\n",
           static_cast<unsigned>(length), static_cast<int>(kSeparatorMax));
    return;
  }
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\\' && i + 1 < length && text[i + 1] == 'n') {
      gDialogSettings.separator[i] = '\r';
      gDialogSettings.separator[i + 1] = '\n';
      ++i;
    } else {
      gDialogSettings.separator[i] = static_cast<uint8_t>(text[i]);
    }
  }
  gDialogSettings.separatorLength = static_cast<uint32_t>(length);
}

bool dialogOpen(const uint8_t* data, uint32_t size, const char* name, DialogView* view) {
  if (size < kDialogMinSize) return false;
  uint32_t head = kDialogTextBase + textOffset(data, 0);
  if (head > size)
    fatal("ERROR: dialog first pointer is bigger than dialog size : %u > %u: %s\n", head, size,
          name);
  if (head % 4 != 0) report("WARN: dialog first pointer should be multiple 4 : %u : %s\n", head, name);
  // From here on the section holds at least the 128-byte head with its slots.
  uint32_t offsets[kDialogSlots];
  for (uint32_t k = 0; k < kDialogSlots; ++k) offsets[k] = textOffset(data, k);
  for (uint32_t k = 0; k + 1 < kDialogSlots; ++k)
    if (offsets[k + 1] < offsets[k])
      fatal("ERROR: dialog pointers must be ascending : pos %u : %u, next %u : %s\n", k,
            offsets[k], offsets[k + 1], name);
  uint32_t lastStart = kDialogTextBase + offsets[kDialogSlots - 1];
  if (lastStart >= size)
    fatal("ERROR: some (or last) dialog pointers is biger than file size: ptr %u : size %u: %s\n",
          lastStart, size, name);

  uint32_t end = size;
  const void* zero = std::memchr(data + lastStart, 0, size - lastStart);
  if (!zero) {
    report("WARN: there should be 'zero' char at dialogs data end : %s\n", name);
  } else {
    end = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - data) + 1;
    uint32_t i = end;
    while (i < size && data[i] == 0xFF) ++i;
    if (i < size && gDialogSettings.trailingWarning)
      report("WARN: trailing data after last dialog endchar : %d bytes : %s\n",
             static_cast<int>(size - i), name);
  }

  view->slots = data;
  view->slotCount = kDialogSlots;
  view->headSize = head;
  view->textBase = kDialogTextBase;
  view->data = data;
  view->size = end;
  view->textCount = kDialogSlots;
  view->nonEmptyCount = 0;
  for (uint32_t k = 0; k < kDialogSlots; ++k) {
    uint32_t start = kDialogTextBase + offsets[k];
    uint32_t stop = k + 1 < kDialogSlots ? kDialogTextBase + offsets[k + 1] : end;
    view->texts[k] = {data + start, stop - start, start};
    if (stop != start) ++view->nonEmptyCount;
  }
  view->separatorOn = gDialogSettings.separatorOn;
  view->separator = gDialogSettings.separator;
  view->separatorLength = gDialogSettings.separatorLength;
  view->name = name;
  view->alignment = kDialogAlignment;
  view->trailingWarning = gDialogSettings.trailingWarning;
  return true;
}

DialogView dialogOpenOrDie(const uint8_t* data, uint32_t size, const char* name) {
  DialogView view;
  if (!dialogOpen(data, size, name, &view))
    fatal("ERROR: dialog section is too small to be valid : %u (min %u) : %s\n", size,
          kDialogMinSize, name);
  return view;
}

void dialogClose(DialogView* view) { std::memset(view, 0, sizeof *view); }

std::vector<uint8_t> dialogAssemble(const DialogView& view, const uint32_t offsets[kDialogSlots],
                                    const uint8_t* textBytes, uint32_t textLength) {
  for (uint32_t k = 0; k < kDialogSlots; ++k)
    if (offsets[k] - kDialogTextBase > 0xFFFF)
      fatal("ERROR: dialog texts too long, text offset does not fit 16 bits : %u : %s\n",
            offsets[k] - kDialogTextBase, view.name);
  std::vector<uint8_t> section(view.data, view.data + view.headSize);
  for (uint32_t k = 0; k < kDialogSlots; ++k) wr16(section.data() + 4 * k, offsets[k] - kDialogTextBase);
  section.insert(section.end(), textBytes, textBytes + textLength);
  section.resize(roundUp(static_cast<uint32_t>(section.size()), kDialogAlignment), 0xFF);
  return section;
}

std::vector<uint8_t> dialogStripTexts(const uint8_t* data, uint32_t size, const char* name) {
  DialogView view = dialogOpenOrDie(data, size, name);
  std::vector<uint8_t> zeros;
  uint32_t offsets[kDialogSlots];
  uint32_t at = view.headSize;
  for (uint32_t k = 0; k < kDialogSlots; ++k) {
    offsets[k] = at;
    if (view.texts[k].length != 0) {
      zeros.push_back(0);
      ++at;
    }
  }
  std::vector<uint8_t> section = dialogAssemble(view, offsets, zeros.data(), static_cast<uint32_t>(zeros.size()));
  dialogClose(&view);
  return section;
}
