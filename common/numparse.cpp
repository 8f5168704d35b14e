#include "common/numparse.h"

#include <cerrno>
#include <cstdlib>

Result<int32_t> parseInt32(const char* text, char** end, int base, bool nonNegative) {
  char* stop = nullptr;
  errno = 0;
  long long wide = std::strtoll(text, &stop, base);
  // Values outside 32 bits are clamped, as a 32-bit strtol does.
  bool overflow = errno == ERANGE || wide > INT32_MAX || wide < INT32_MIN;
  long value = wide > INT32_MAX   ? INT32_MAX
               : wide < INT32_MIN ? INT32_MIN
                                  : static_cast<long>(wide);
  Result<int32_t> result;
  if (stop == text) {
    result.status = failure("ERROR: strtol: string not number : str = '%s'\n", text);
  } else if (nonNegative && value < 0) {
    result.status =
        failure("ERROR: strtol: number expected positive : num = %ld : str = '%s'\n", value, text);
  } else if ((value == INT32_MAX || value == INT32_MIN) && overflow) {
    result.status = failure("ERROR: strtol: number out of range : str = '%s'\n", text);
  } else {
    if (end) *end = stop;
    result.value = static_cast<int32_t>(value);
  }
  return result;
}

Result<int32_t> parseUInt32Auto(const char* text, char** end) {
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    return parseInt32(text + 2, end, 16, true);
  return parseInt32(text, end, 10, true);
}
