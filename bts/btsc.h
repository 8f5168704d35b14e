// The small battle file: 366 parts of 472 bytes, one per battle, each with
// the battle's dialog head, the start of its section 4 and the start of its
// first dialog text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bts/btfile.h"
#include "common/outcome.h"

enum : uint32_t {
  kPartSize = 472,
  kPartCount = 366,
  kPartHeadSize = 128,
  kPartSection4 = 4,
  kPartSection4At = 128,
  kPartSection4Size = 280,
  kPartTextAt = 408,
  kPartTextSize = 64,
  kPartDummyOffsetStep = 10,  // the dummy part's texts take 10 bytes
};

// Battle file name: PREFIX, the index as four decimal digits, SUFFIX.
std::string btscBattleName(const char* prefix, const char* suffix, uint64_t index);

// A part buffer before its first battle: zeros, with the game's leftover text
// area when `keepOld`.
std::vector<uint8_t> btscNewPart(bool keepOld);
// The part that stands for every battle after the last one read; its text
// offsets are 0, 2, 4, 6 and 8.
std::vector<uint8_t> btscDummyPart();
// Adds to the five 16-bit text offsets of a part (they wrap at 16 bits).
void btscAddToTextOffsets(uint8_t* part, uint32_t amount);

// Fills the kPartSize bytes at `part` from one battle container (cleared
// first unless `keepOld`); the part's text offsets are moved on by *textBase,
// which then grows by the battle's text bytes. On failure the part is as it was.
Status btscBuildPart(const BtFile& battle, uint8_t* part, uint32_t* textBase, bool keepOld,
                     const Messages& messages);
// Refreshes part `index` of a small battle file held in memory from one
// battle container's bytes (`name` for messages), as kvobtsc -i does.
Status btscRefreshPart(std::vector<uint8_t>& smallFile, uint32_t index,
                       std::vector<uint8_t> battleBytes, const char* name, bool keepOld,
                       const Messages& messages);
