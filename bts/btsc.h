// The small battle file: 366 parts of 472 bytes, one per battle, each with
// the battle's dialog head, the start of its section 4 and the start of its
// first dialog text.
#pragma once

#include <cstdint>
#include <string>

enum : uint32_t {
  kPartSize = 472,
  kPartCount = 366,
  kPartHeadSize = 128,
  kPartSection4At = 128,
  kPartSection4Size = 280,
  kPartTextAt = 408,
  kPartTextSize = 64,
};

struct BtscOptions {
  const char* inPath = nullptr;
  const char* outPath = nullptr;
  const char* prefix = nullptr;
  const char* suffix = nullptr;
  uint32_t startIndex = 0;
  uint32_t endIndex = 0;
  bool clear = false;
};

// Battle file name: PREFIX, the index as four decimal digits, SUFFIX.
std::string btscBattleName(const BtscOptions& options, uint64_t index);
// Builds one part from one battle file into *partBuffer (allocated when null).
void btscBuildPart(const char* path, uint32_t* textBase, uint8_t** partBuffer, bool keepOld);
void btscCreate(const BtscOptions& options);
void btscImport(const BtscOptions& options);
