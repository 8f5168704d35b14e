// Table parsing plus conversion in both directions. The first two bytes give
// the table's length; the rest is converted forward and backward, and each
// result must equal the plain linear scan.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tests/texttable/linear_oracle.h"
#include "texttable/chartable.h"
#include "texttable/convert.h"

static void convertAndCompare(const uint8_t* input, uint32_t length, bool forward) {
  uint8_t* out = nullptr;
  uint32_t outLength = 0;
  int32_t result = forward ? tblBytesToText(input, length, &out, &outLength)
                           : tblTextToBytes(input, length, &out, &outLength);
  if (result < 0) return;
  if (result != static_cast<int32_t>(length)) std::abort();
  TblDirection d = forward ? tblForward() : tblReverse();
  std::vector<uint8_t> expected = linearConvert(input, length, d.entries, d.count, tblSkipMode());
  if (expected.size() != outLength) std::abort();
  if (outLength && std::memcmp(expected.data(), out, outLength) != 0) std::abort();
  std::free(out);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  size_t tableLength = data[0] | (data[1] << 8);
  data += 2;
  size -= 2;
  if (tableLength > size) tableLength = size;
  if (tableLength == 0) return 0;
  uint8_t* table = static_cast<uint8_t*>(std::malloc(tableLength));
  std::memcpy(table, data, tableLength);
  tblSetSkipMode(false);
  tblParse(table, static_cast<uint32_t>(tableLength));
  const uint8_t* input = data + tableLength;
  uint32_t inputLength = static_cast<uint32_t>(size - tableLength);
  convertAndCompare(input, inputLength, true);
  convertAndCompare(input, inputLength, false);
  tblFree();
  return 0;
}
