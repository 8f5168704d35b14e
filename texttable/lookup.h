// Lookup index over one sorted entry array.
//
// The entries are kept in a tree keyed by the bytes of their literal part
// (the whole searched side, or the part before its copy marker), so only the
// entries whose literal part lies on the input at the current position are
// tried. The array is sorted by descending literal length, so the deepest
// node's entries come first in lookup order, and the first match found walking
// back up the path is the first match of the whole array. The tree is cut at
// a fixed depth; entries with longer literal parts wait at the last node and
// are compared in full there.
#pragma once

#include <cstdint>

#include "texttable/chartable.h"

// The index reads the entry array, which must outlive it.
TblIndexPtr tblIndexBuild(const TableEntry* entries, uint32_t count);

// Index in `entries` of the first entry (in array order) that matches at
// `input` with `remaining` bytes left, or -1.
int32_t tblIndexFind(const TblIndex* index, const TableEntry* entries, const uint8_t* input,
                     uint32_t remaining);

// Bytes of input carried across by a marker entry (COUNT, or 2 x COUNT for
// hexadecimal text).
inline uint32_t tblCarriedLength(const TableEntry& e) {
  uint32_t count = e.left[e.leftMarker + 1];
  return e.left[e.leftMarker] == kMarkerHex ? 2 * count : count;
}

// A lone marker of COUNT 0 (\c00 or \h00 as the whole side) would match
// without consuming input and stall the conversion; it never matches.
inline bool tblMarkerEntryUsesNothing(const TableEntry& e) {
  return e.leftMarker == 0 && e.leftLength == 4 && e.left[1] == 0;
}

// Whether the marker entry's carried run and literal suffix fit and match,
// given that its literal prefix already matched at `input`.
bool tblMarkerTailMatches(const TableEntry& e, const uint8_t* input, uint32_t remaining);
