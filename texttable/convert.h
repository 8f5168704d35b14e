// Conversion of game bytes to text and back through a character table: a
// greedy left-to-right rewrite where the first matching entry in lookup order
// wins and unmatched bytes are copied through (or dropped in skip mode).
#pragma once

#include <cstdint>
#include <vector>

#include "common/outcome.h"
#include "texttable/chartable.h"

// Converts input with one direction of a table. An empty array fails with
// "TBL:Given table not valid or not initialized". `unmatched` (when given)
// receives the input position of every byte no entry matched.
Result<std::vector<uint8_t>> tblConvert(const TblDirection& direction, bool skipMode,
                                        const uint8_t* input, uint32_t inputLength,
                                        std::vector<uint32_t>* unmatched = nullptr);
// Game bytes to text with the table's forward array.
Result<std::vector<uint8_t>> tblBytesToText(const CharTable& table, const uint8_t* input,
                                            uint32_t inputLength);
// Text to game bytes with the table's reverse array; `unmatched` lists the
// positions of the characters the table cannot encode.
Result<std::vector<uint8_t>> tblTextToBytes(const CharTable& table, const uint8_t* input,
                                            uint32_t inputLength,
                                            std::vector<uint32_t>* unmatched = nullptr);

// Per-dialog wrappers: false without converting for a missing or empty input;
// false after the conversion's failure and "WARN: dialog No.N error
// converting[ from txt] : NAME" when it fails; true otherwise with the result
// in *output. `name` is the file named in the warning.
bool dialogToText(const CharTable& table, const uint8_t* input, uint32_t length,
                  std::vector<uint8_t>* output, unsigned number, const char* name,
                  const Messages& messages);
bool dialogFromText(const CharTable& table, const uint8_t* input, uint32_t length,
                    std::vector<uint8_t>* output, unsigned number, const char* name,
                    const Messages& messages);
