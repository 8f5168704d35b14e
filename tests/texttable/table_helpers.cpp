#include "tests/texttable/table_helpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "tests/texttable/linear_oracle.h"
#include "texttable/convert.h"

bool loadTable(const std::string& text) {
  tblSetSkipMode(false);
  uint8_t* buffer = static_cast<uint8_t*>(std::malloc(text.size() + 1));
  std::memcpy(buffer, text.data(), text.size());
  return tblParse(buffer, static_cast<uint32_t>(text.size()));
}

static Bytes convertChecked(const Bytes& input, bool forward) {
  uint8_t* out = nullptr;
  uint32_t length = 12345;
  uint32_t inputLength = static_cast<uint32_t>(input.size());
  int32_t result = forward ? tblBytesToText(input.data(), inputLength, &out, &length)
                           : tblTextToBytes(input.data(), inputLength, &out, &length);
  EXPECT_EQ(result, static_cast<int32_t>(inputLength));
  Bytes converted(out, out + length);
  EXPECT_EQ(out == nullptr, length == 0);
  std::free(out);
  TblDirection d = forward ? tblForward() : tblReverse();
  EXPECT_EQ(converted, linearConvert(input.data(), inputLength, d.entries, d.count, tblSkipMode()))
      << "indexed lookup and linear scan differ";
  return converted;
}

Bytes toText(const Bytes& input) { return convertChecked(input, true); }
Bytes toBytes(const Bytes& input) { return convertChecked(input, false); }

std::string leftOf(const TableEntry& e) {
  return std::string(reinterpret_cast<const char*>(e.left), e.leftLength);
}
std::string rightOf(const TableEntry& e) {
  return std::string(reinterpret_cast<const char*>(e.right), e.rightLength);
}
