// Conversion of game bytes to text and back through the loaded character
// table: a greedy left-to-right rewrite where the first matching entry in
// lookup order wins and unmatched bytes are copied through (or dropped in
// skip mode).
#pragma once

#include <cstdint>

#include "texttable/chartable.h"

// Converts input with the given entry array. *output must be null on entry;
// on success it receives a malloc'ed buffer (null when the result is empty)
// and the result is inputLength. On failure the result is -1 and there is
// no output.
int32_t tblConvert(const uint8_t* input, uint32_t inputLength, uint8_t** output,
                   uint32_t* outputLength, const TableEntry* entries, uint32_t count);
// Game bytes to text with the loaded table's forward array.
int32_t tblBytesToText(const uint8_t* input, uint32_t inputLength, uint8_t** output,
                       uint32_t* outputLength);
// Text to game bytes with the loaded table's reverse array.
int32_t tblTextToBytes(const uint8_t* input, uint32_t inputLength, uint8_t** output,
                       uint32_t* outputLength);

// Per-dialog wrappers: false without converting for a missing or empty input,
// false with "WARN: dialog No.%u error converting[ from txt] : %s" when the
// conversion fails, true otherwise (an empty result leaves *output null and
// *outputLength 0). `name` is the file named in the warning. Release the
// output with std::free.
bool dialogToText(const uint8_t* input, uint32_t length, uint8_t** output,
                  uint32_t* outputLength, unsigned number, const char* name);
bool dialogFromText(const uint8_t* input, uint32_t length, uint8_t** output,
                    uint32_t* outputLength, unsigned number, const char* name);
