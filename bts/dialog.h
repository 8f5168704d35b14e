// The dialog section (section 2): a 128-byte head whose first five 16-bit
// slots give the text offsets (relative to byte 128), then zero-terminated
// texts in the game's byte code, padded with 0xFF to a multiple of 4.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"

enum : uint32_t {
  kDialogSlots = 5,
  kDialogTextBase = 128,
  kDialogMinSize = 6,
  kDialogAlignment = 4,
  kDialogPadding = 0xFF,
  kSeparatorMax = 128,
};

// How the text tools treat dialogs (their command-line options); the caller
// owns and passes them.
struct DialogSettings {
  bool separatorOn = true;
  std::string separator = "\r\n--------------------------------------------------End--\r\n";
  bool trailingWarning = true;
};

// "-s STRING": at most 128 bytes, each backslash-n pair becomes CR LF; a
// longer STRING draws a warning and the separator stays as it was.
void dialogSetSeparator(DialogSettings& settings, const char* text, const Messages& messages);

struct DialogText {
  const uint8_t* data;
  uint32_t length;
  uint32_t offset;  // from the section start
};

// A checked dialog section: views into the section's bytes, which must
// outlive it.
struct DialogView {
  uint32_t headSize = 0;  // 128 + text offset 0
  const uint8_t* data = nullptr;
  uint32_t size = 0;  // the end of the dialog data
  DialogText texts[kDialogSlots] = {};
  uint32_t nonEmptyCount = 0;
  std::string name;  // the file its messages name
};

// Opens and checks a dialog section; warnings go to `messages`.
Result<DialogView> dialogOpen(const uint8_t* data, uint32_t size, const char* name,
                              const DialogSettings& settings, const Messages& messages);

// New section bytes: the view's head with the five offsets (from the section
// start) written in, the texts area, then 0xFF up to a multiple of 4. Fails
// when an offset does not fit 16 bits.
Result<std::vector<uint8_t>> dialogAssemble(const DialogView& view,
                                            const uint32_t offsets[kDialogSlots],
                                            const uint8_t* textBytes, uint32_t textLength);

// One text of a section as the game's bytes without its terminating zero;
// `empty` for a slot that holds no text at all.
struct DialogTextBytes {
  std::vector<uint8_t> bytes;
  bool empty = false;
};
// The five texts of an opened section.
std::vector<DialogTextBytes> dialogTexts(const DialogView& view);
// Assembles the section from five texts (missing ones are empty): each text
// that is not empty followed by its zero byte.
Result<std::vector<uint8_t>> dialogRebuild(const DialogView& view,
                                           const std::vector<DialogTextBytes>& texts);
// Every non-empty text becomes its single zero byte.
Result<std::vector<uint8_t>> dialogStripTexts(const DialogView& view);
