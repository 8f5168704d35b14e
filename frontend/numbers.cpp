#include "frontend/numbers.h"

#include "frontend/frontend.h"

int32_t strtolE(const char* text, char** end, int base, bool nonNegative) {
  return valueOrExit(parseInt32(text, end, base, nonNegative));
}

int32_t parseUInt(const char* text, int base) { return strtolE(text, nullptr, base, true); }

int32_t parseUIntAutoEnd(const char* text, char** end) {
  return valueOrExit(parseUInt32Auto(text, end));
}

int32_t parseUIntAuto(const char* text) { return parseUIntAutoEnd(text, nullptr); }

int32_t parseDec(const char* text) { return parseUInt(text, 10); }
