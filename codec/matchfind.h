// Fast back-reference search for the compressor. It returns exactly the match
// that the plain backward scan over every distance would choose (the written
// bytes depend on it), using hash chains over 3- and 4-byte prefixes kept for
// the last few thousand positions only.
#pragma once

#include <cstdint>

#include "codec/codec.h"

struct CxMatch {
  uint32_t length = 0;  // 0 = no back-reference
  uint32_t distance = 0;
};

// Positions are counted from the start of the zero history, so the first data
// byte is at kCxHistory.
struct CxMatchFinder {
  const uint8_t* base = nullptr;  // start of the zero history
  uint32_t end = 0;               // the position just after the data
  uint32_t inserted = 0;          // positions below this are in the chains
  CxGeometry geometry{};
  uint32_t* block = nullptr;  // one allocation for all the tables below
  uint32_t* head3 = nullptr;
  uint32_t* head4 = nullptr;
  uint32_t* prev3 = nullptr;     // ring: previous position with the same hash
  uint32_t* prev4 = nullptr;
  uint32_t* runStart = nullptr;  // ring: first position of the byte run holding a position
};

// `in` is the first of `len` data bytes (the zero history lies in front of it).
void cxMatchFinderInit(CxMatchFinder* mf, const uint8_t* in, uint32_t len, const CxGeometry& g);
void cxMatchFinderFree(CxMatchFinder* mf);
// The encoder writes a run of `length` equal bytes at `ip`: positions inside
// it that no search needs are never inserted.
void cxSkipRun(CxMatchFinder* mf, uint32_t ip, uint32_t length);
// The back-reference for the data byte at `ip`, at most maxLen (3 or more)
// bytes long, with the scan's order and tie-breaks.
CxMatch cxFindMatch(CxMatchFinder* mf, uint32_t ip, uint32_t maxLen);
