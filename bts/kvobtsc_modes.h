// kvobtsc's modes: they print their messages and end the process on failure.
#pragma once

#include <cstdint>

struct BtscOptions {
  const char* inPath = nullptr;
  const char* outPath = nullptr;
  const char* prefix = nullptr;
  const char* suffix = nullptr;
  uint32_t startIndex = 0;
  uint32_t endIndex = 0;
  bool clear = false;
};

void btscCreate(const BtscOptions& options);
void btscImport(const BtscOptions& options);
