#include <cstring>
#include <new>

#include "codec/codec.h"

// Blocks of 2 GiB or more are outside what the tools handle (as for loaded
// files); they are refused like an allocation that fails, with the true size.
static const unsigned long long kLargestBlock = 0x7FFFFFFF;

Status cxCheckBlockSize(unsigned long long size) {
  if (size > kLargestBlock) return failure("ERROR: cannot malloc %llu bytes.\n", size);
  return Status();
}

Result<CxBlock> cxAllocBlock(unsigned long long size) {
  Result<CxBlock> result;
  // Left uninitialised, as the encoder and decoder write every byte they use.
  if (size <= kLargestBlock) result.value.bytes.reset(new (std::nothrow) uint8_t[size ? size : 1]);
  if (!result.value.bytes) {
    result.status = failure("ERROR: cannot malloc %llu bytes.\n", size);
    return result;
  }
  result.value.size = static_cast<uint32_t>(size);
  return result;
}

Result<CxBlock> cxAllocHistory(uint32_t size) {
  Result<CxBlock> result = cxAllocBlock(0ull + kCxHistory + size);
  if (!result.ok()) return result;
  std::memset(result.value.bytes.get(), 0, kCxHistory);
  result.value.front = kCxHistory;
  result.value.size = size;
  return result;
}
