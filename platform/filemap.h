// Read-only access to a whole input file without copying it: the file is
// mapped into memory where the system allows it.
#pragma once

#include <cstddef>
#include <cstdint>

struct CxFileMap {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  const uint8_t* block = nullptr;  // the mapping, `prefix` bytes before data
  size_t length = 0;               // mapped bytes
};

// Maps the regular file at `path` (1 byte to 2 GiB - 1). Fails, leaving the
// caller to load the file with its usual messages, when the file cannot be
// opened or mapped, is empty, too large or not a regular file, or when
// `otherPath` names the same file: that file is rewritten while the mapping
// is still read. With a `prefix` (a multiple of the page size) that many zero
// bytes lie in front of the data.
bool cxMapFile(const char* path, const char* otherPath, CxFileMap* map, uint32_t prefix = 0);
void cxUnmapFile(CxFileMap* map);
