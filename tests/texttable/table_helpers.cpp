#include "tests/texttable/table_helpers.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/texttable/linear_oracle.h"
#include "texttable/convert.h"

namespace {
CharTable gTable;
}

bool loadTable(const std::string& text) {
  Messages toStderr{[](const std::string& line) { std::fputs(line.c_str(), stderr); }};
  gTable = tblParse(Bytes(text.begin(), text.end()), toStderr);
  return true;
}

const CharTable& table() { return gTable; }

static Bytes convertChecked(const Bytes& input, bool forward) {
  uint32_t inputLength = static_cast<uint32_t>(input.size());
  Result<Bytes> converted = forward ? tblBytesToText(gTable, input.data(), inputLength)
                                    : tblTextToBytes(gTable, input.data(), inputLength);
  EXPECT_TRUE(converted.ok()) << converted.status.message;
  TblDirection d = forward ? tblForward(gTable) : tblReverse(gTable);
  EXPECT_EQ(converted.value,
            linearConvert(input.data(), inputLength, d.entries, d.count, gTable.skipMode))
      << "indexed lookup and linear scan differ";
  return converted.value;
}

Bytes toText(const Bytes& input) { return convertChecked(input, true); }
Bytes toBytes(const Bytes& input) { return convertChecked(input, false); }

std::string leftOf(const TableEntry& e) {
  return std::string(reinterpret_cast<const char*>(e.left), e.leftLength);
}
std::string rightOf(const TableEntry& e) {
  return std::string(reinterpret_cast<const char*>(e.right), e.rightLength);
}
