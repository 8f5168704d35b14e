#include "texttable/chartable.h"

#include <cstdlib>

#include "common/diag.h"

static CharTable g_table;

bool tblLoadFile(const char*) { return false; }
bool tblParse(uint8_t* buffer, uint32_t) {
  std::free(buffer);
  return false;
}
void tblLoadOrDie(const char* path) {
  if (!tblLoadFile(path)) fatal("ERROR: TBL init failed : file %s\n", path);
}
void tblFree() {}
TblDirection tblForward() { return {g_table.forward, g_table.count, g_table.forwardRatio}; }
TblDirection tblReverse() { return {g_table.reverse, g_table.count, g_table.reverseRatio}; }
bool tblSkipMode() { return g_table.skipMode; }
void tblSetSkipMode(bool on) { g_table.skipMode = on; }
const CharTable& tblTable() { return g_table; }
