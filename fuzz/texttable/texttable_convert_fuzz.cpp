// Table parsing plus conversion in both directions. The first two bytes give
// the table's length; the rest is converted forward and backward, and each
// result must equal the plain linear scan.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/texttable/linear_oracle.h"
#include "texttable/chartable.h"
#include "texttable/convert.h"

static void convertAndCompare(const CharTable& table, const uint8_t* input, uint32_t length,
                              bool forward) {
  Result<std::vector<uint8_t>> out =
      forward ? tblBytesToText(table, input, length) : tblTextToBytes(table, input, length);
  if (!out.ok()) return;
  TblDirection d = forward ? tblForward(table) : tblReverse(table);
  if (out.value != linearConvert(input, length, d.entries, d.count, table.skipMode)) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  size_t tableLength = data[0] | (data[1] << 8);
  data += 2;
  size -= 2;
  if (tableLength > size) tableLength = size;
  if (tableLength == 0) return 0;
  const CharTable table = tblParse(std::vector<uint8_t>(data, data + tableLength), Messages());
  const uint8_t* input = data + tableLength;
  uint32_t inputLength = static_cast<uint32_t>(size - tableLength);
  convertAndCompare(table, input, inputLength, true);
  convertAndCompare(table, input, inputLength, false);
  return 0;
}
