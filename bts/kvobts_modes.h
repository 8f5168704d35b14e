// kvobts's modes: they print their messages and end the process on failure.
#pragma once

#include <cstdint>

#include "bts/dialog.h"

enum : uint32_t { kIndexAll = 2147483647u, kIndexDialog = 2147483646u };

struct BtsOptions {
  const char* inPath = nullptr;
  const char* outPath = nullptr;
  const char* fileName = nullptr;
  uint32_t index = kIndexAll;
  const char* tablePath = nullptr;
  bool dialogFlag = false;
  bool silent = false;
  DialogSettings dialog;
};

void btsPrint(const BtsOptions& options);
void btsExport(const BtsOptions& options);
void btsImport(const BtsOptions& options);
void btsRemove(const BtsOptions& options);
