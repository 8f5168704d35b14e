// Checked number parsing for command-line values: a bad number prints its
// "ERROR: strtol: ..." line and ends the process with status 1. Libraries use
// common/numparse.h.
#pragma once

#include <cstdint>

#include "common/numparse.h"

int32_t strtolE(const char* text, char** end, int base, bool nonNegative);
int32_t parseUInt(const char* text, int base);
int32_t parseUIntAuto(const char* text);
int32_t parseUIntAutoEnd(const char* text, char** end);
int32_t parseDec(const char* text);
