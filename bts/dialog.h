// The dialog section (section 2): a 128-byte head whose first five 16-bit
// slots give the text offsets (relative to byte 128), then zero-terminated
// texts in the game's byte code, padded with 0xFF to a multiple of 4.
#pragma once

#include <cstdint>
#include <vector>

enum : uint32_t {
  kDialogSlots = 5,
  kDialogTextBase = 128,
  kDialogMinSize = 6,
  kDialogAlignment = 4,
  kSeparatorMax = 128,
};

// The run's dialog settings (command-line options of the text tools).
struct DialogSettings {
  bool separatorOn;
  uint8_t separator[kSeparatorMax];
  uint32_t separatorLength;
  bool trailingWarning;
};

extern DialogSettings gDialogSettings;

// "-s STRING": at most 128 bytes, each backslash-n pair becomes CR LF; a
// longer STRING draws a warning and the separator stays as it was.
void dialogSetSeparator(const char* text);

struct DialogText {
  const uint8_t* data;
  uint32_t length;
  uint32_t offset;  // from the section start
};

struct DialogView {
  const uint8_t* slots;
  uint32_t slotCount;
  uint32_t headSize;  // 128 + text offset 0
  uint32_t textBase;
  const uint8_t* data;
  uint32_t size;  // after opening: the end of the dialog data
  DialogText texts[kDialogSlots];
  uint32_t textCount;
  uint32_t nonEmptyCount;
  bool separatorOn;
  const uint8_t* separator;
  uint32_t separatorLength;
  const char* name;
  uint32_t alignment;
  bool trailingWarning;
};

// Opens and checks a dialog section; false (no view) when it is shorter than
// 6 bytes. A failed check ends the process with status 1.
bool dialogOpen(const uint8_t* data, uint32_t size, const char* name, DialogView* view);
// dialogOpen that stops with an "ERROR: " line when the section is too short.
DialogView dialogOpenOrDie(const uint8_t* data, uint32_t size, const char* name);
void dialogClose(DialogView* view);

// New section bytes: the head with the five offsets (from the section start)
// written in, the texts area, then 0xFF up to a multiple of 4.
std::vector<uint8_t> dialogAssemble(const DialogView& view, const uint32_t offsets[kDialogSlots],
                                    const uint8_t* textBytes, uint32_t textLength);
// Every non-empty text becomes its single zero byte.
std::vector<uint8_t> dialogStripTexts(const uint8_t* data, uint32_t size, const char* name);
