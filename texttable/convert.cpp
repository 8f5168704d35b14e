#include "texttable/convert.h"

#include "common/diag.h"

int32_t tblConvert(const uint8_t*, uint32_t, uint8_t**, uint32_t* outputLength,
                   const TableEntry*, uint32_t) {
  *outputLength = 0;
  report("TBL:Given table not valid or not initialized\n");
  return -1;
}
int32_t tblBytesToText(const uint8_t* input, uint32_t inputLength, uint8_t** output,
                       uint32_t* outputLength) {
  TblDirection d = tblForward();
  return tblConvert(input, inputLength, output, outputLength, d.entries, d.count);
}
int32_t tblTextToBytes(const uint8_t* input, uint32_t inputLength, uint8_t** output,
                       uint32_t* outputLength) {
  TblDirection d = tblReverse();
  return tblConvert(input, inputLength, output, outputLength, d.entries, d.count);
}
bool dialogToText(const uint8_t*, uint32_t, uint8_t**, uint32_t*, unsigned, const char*) {
  return false;
}
bool dialogFromText(const uint8_t*, uint32_t, uint8_t**, uint32_t*, unsigned, const char*) {
  return false;
}
