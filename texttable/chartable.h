// The character table: which game byte sequences stand for which text.
//
// The table file holds one mapping per CR LF line, "BYTES=TEXT", with
// backslash escapes and at most one copy marker (\cHH or \hHH) per side. A
// loaded table serves both directions: the forward array (bytes to text) and
// the reverse array (text to bytes, left and right swapped). The caller owns
// each loaded table; once loaded it is only read, so one table may serve
// several threads at once and several tables may be loaded side by side.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/outcome.h"

// One accepted line. "left" is the side searched in the array's direction,
// "right" the side produced. A side with a copy marker keeps its four marker
// bytes: kind (1 = raw bytes, 2 = hexadecimal text), COUNT, then the two digit
// characters. The sides point into the table's file bytes.
struct TableEntry {
  const uint8_t* left;
  int32_t leftLength;
  const uint8_t* right;
  int32_t rightLength;
  int32_t leftMarker;   // offset of the marker in the left side, or -1
  int32_t rightMarker;  // offset of the marker in the right side, or -1
};

enum : uint8_t { kMarkerCopy = 1, kMarkerHex = 2 };

// Lookup index over one sorted entry array (built by the lookup module).
struct TblIndex;
struct TblIndexDelete {
  void operator()(const TblIndex* index) const;
};
using TblIndexPtr = std::unique_ptr<const TblIndex, TblIndexDelete>;

// A loaded table. It can be moved but not copied: the entries point into
// its own file bytes.
struct CharTable {
  std::vector<uint8_t> text;        // the table file with escapes resolved in place
  std::vector<TableEntry> forward;  // bytes to text, in lookup order
  std::vector<TableEntry> reverse;  // text to bytes, in lookup order
  bool skipMode = false;            // "=skipmode": unmatched bytes are dropped
  double forwardRatio = 1.0;        // largest produced/searched length over the entries
  double reverseRatio = 1.0;
  TblIndexPtr forwardIndex;
  TblIndexPtr reverseIndex;
};

// One direction of a table, with the ratio to size its output. A null index:
// the conversion builds one for this array.
struct TblDirection {
  const TableEntry* entries;
  uint32_t count;
  double ratio;
  const TblIndex* index;
};

// Parses the bytes of a table file. A line with two copy markers on a side
// is left out after "ERROR: currently supported only 1 copys char in string".
CharTable tblParse(std::vector<uint8_t> fileBytes, const Messages& messages);
// Loads and parses a table file. A file that cannot be read fails with the
// loader's line and "ERROR: TBL init failed : file PATH"; a file with LF line
// ends only draws a warning first.
Result<CharTable> tblLoad(const char* path, const Messages& messages);

TblDirection tblForward(const CharTable& table);
TblDirection tblReverse(const CharTable& table);
