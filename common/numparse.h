// Number parsing for command-line values.
#pragma once

#include <cstdint>

#include "common/outcome.h"

// strtol in 32 bits: "ERROR: strtol: ..." when the text is no number, is
// negative where `nonNegative` asks otherwise, or lies outside 32 bits.
// *end (when given) is set only on success.
Result<int32_t> parseInt32(const char* text, char** end, int base, bool nonNegative);
// A non-negative number, hexadecimal after "0x" or "0X", else decimal.
Result<int32_t> parseUInt32Auto(const char* text, char** end);
