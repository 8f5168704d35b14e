#include "common/numparse.h"

#include <cerrno>
#include <cstdlib>

#include "common/diag.h"

int32_t strtolE(const char* text, char** end, int base, bool nonNegative) {
  char* stop = nullptr;
  errno = 0;
  long long wide = std::strtoll(text, &stop, base);
  // Values outside 32 bits are clamped, as a 32-bit strtol does.
  bool overflow = errno == ERANGE || wide > INT32_MAX || wide < INT32_MIN;
  long value = wide > INT32_MAX ? INT32_MAX : wide < INT32_MIN ? INT32_MIN : static_cast<long>(wide);
  if (stop == text) fatal("ERROR: strtol: string not number : str = '%s'\n", text);
  if (nonNegative && value < 0)
    fatal("ERROR: strtol: number expected positive : num = %ld : str = '%s'\n", value, text);
  if ((value == INT32_MAX || value == INT32_MIN) && overflow)
    fatal("ERROR: strtol: number out of range : str = '%s'\n", text);
  if (end) *end = stop;
  return static_cast<int32_t>(value);
}

int32_t parseUInt(const char* text, int base) { return strtolE(text, nullptr, base, true); }

int32_t parseUIntAutoEnd(const char* text, char** end) {
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return strtolE(text + 2, end, 16, true);
  return strtolE(text, end, 10, true);
}

int32_t parseUIntAuto(const char* text) { return parseUIntAutoEnd(text, nullptr); }

int32_t parseDec(const char* text) { return parseUInt(text, 10); }
