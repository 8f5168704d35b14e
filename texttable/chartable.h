// The character table: which game byte sequences stand for which text.
//
// The table file holds one mapping per CR LF line, "BYTES=TEXT", with
// backslash escapes and at most one copy marker (\cHH or \hHH) per side. The
// loaded table serves both directions: the forward array (bytes to text) and
// the reverse array (text to bytes, left and right swapped). There is one
// table per process.
#pragma once

#include <cstdint>

// One accepted line. "left" is the side searched in the array's direction,
// "right" the side produced. A side with a copy marker keeps its four marker
// bytes: kind (1 = raw bytes, 2 = hexadecimal text), COUNT, then the two digit
// characters. The sides point into the table's file buffer.
struct TableEntry {
  const uint8_t* left;
  int32_t leftLength;
  const uint8_t* right;
  int32_t rightLength;
  int32_t leftMarker;   // offset of the marker in the left side, or -1
  int32_t rightMarker;  // offset of the marker in the right side, or -1
};

enum : uint8_t { kMarkerCopy = 1, kMarkerHex = 2 };

// Lookup index over one sorted entry array (built by the conversion module).
struct TblIndex;

// The one loaded table of a run.
struct CharTable {
  uint8_t* buffer = nullptr;      // the table file, owned; entries point into it
  TableEntry* forward = nullptr;  // bytes to text, in lookup order
  TableEntry* reverse = nullptr;  // text to bytes, in lookup order (same block as forward)
  uint32_t count = 0;
  bool skipMode = false;          // survives tblFree: a run's setting
  double forwardRatio = 1.0;      // largest produced/searched length over the entries
  double reverseRatio = 1.0;
  TblIndex* forwardIndex = nullptr;
  TblIndex* reverseIndex = nullptr;
};

// One direction of the loaded table, with the ratio to size its output.
struct TblDirection {
  const TableEntry* entries;
  uint32_t count;
  double ratio;
};

// Loads and parses a table file; false (after the loader's message) when it
// cannot be read.
bool tblLoadFile(const char* path);
// Parses a table held in a malloc'ed buffer, which the table takes over.
bool tblParse(uint8_t* buffer, uint32_t length);
// tblLoadFile, or "ERROR: TBL init failed : file %s" and exit status 1.
void tblLoadOrDie(const char* path);
// Releases the table; harmless when nothing is loaded. Skip mode stays.
void tblFree();

TblDirection tblForward();
TblDirection tblReverse();
bool tblSkipMode();
// Skip mode is switched on by the table's "=skipmode" line and stays on for
// the process; tests that load several tables reset it here.
void tblSetSkipMode(bool on);

// The loaded table itself (read-only view for the conversion and for tests).
const CharTable& tblTable();
