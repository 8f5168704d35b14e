#include <cstdlib>
#include <cstring>

#include "codec/codec.h"
#include "common/diag.h"

// Blocks of 2 GiB or more are outside what the tools handle (as for loaded
// files); they are refused like an allocation that fails, with the true size.
static const unsigned long long kLargestBlock = 0x7FFFFFFF;

void cxCheckBlockSize(unsigned long long size) {
  if (size > kLargestBlock) fatal("ERROR: cannot malloc %llu bytes.\n", size);
}

uint8_t* cxMallocBlock(unsigned long long size) {
  void* p = size <= kLargestBlock ? std::malloc(size ? size : 1) : nullptr;
  if (!p) fatal("ERROR: cannot malloc %llu bytes.\n", size);
  return static_cast<uint8_t*>(p);
}

uint8_t* cxAllocHistory(uint32_t size) {
  uint8_t* block = cxMallocBlock(0ull + kCxHistory + size);
  std::memset(block, 0, kCxHistory);
  return block + kCxHistory;
}

void cxFreeHistory(uint8_t* data) {
  if (data) std::free(data - kCxHistory);
}
