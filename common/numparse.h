// Checked number parsing for command-line values.
#pragma once

#include <cstdint>

int32_t strtolE(const char* text, char** end, int base, bool nonNegative);
int32_t parseUInt(const char* text, int base);
int32_t parseUIntAuto(const char* text);
int32_t parseUIntAutoEnd(const char* text, char** end);
int32_t parseDec(const char* text);
