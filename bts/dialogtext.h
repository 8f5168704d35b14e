// Dialog text files: the dialog section's texts converted to characters
// through the character table, one block per text followed by the separator,
// or (separator off) the whole texts area as one block. The head, with its
// choice information, is carried over unchanged on import.
#pragma once

#include <cstdint>
#include <vector>

#include "bts/dialog.h"
#include "common/outcome.h"
#include "texttable/chartable.h"

// The text file of an opened dialog section. A text that cannot be converted
// is left out, with its separator, after a warning.
std::vector<uint8_t> dialogExportText(const DialogView& view, const CharTable& table,
                                      const DialogSettings& settings, const Messages& messages);
// New section bytes from an opened section and the contents of the text file
// `textPath`. A separated text file that does not hold exactly one text per
// non-empty text of the section is refused ("ERROR: found N texts, expected M").
Result<std::vector<uint8_t>> dialogImportText(const DialogView& view, const CharTable& table,
                                              const DialogSettings& settings, const uint8_t* text,
                                              uint32_t textLength, const char* textPath,
                                              const Messages& messages);
