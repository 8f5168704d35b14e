#include "lba/filecopy.h"

#include <algorithm>
#include <cstring>

#include "common/streams.h"

namespace {

const uint32_t kPieceBytes = 4096;

}  // namespace

Result<uint32_t> lbaCopyStream(FILE* in, FILE* out, uint32_t length) {
  uint8_t buffer[kPieceBytes];
  Result<uint32_t> copied;
  while (copied.value < length) {
    uint32_t n = std::min(length - copied.value, kPieceBytes);
    Result<size_t> got = readUnnamed(in, buffer, 1, n);
    if (!got.ok()) return {copied.value, got.status};
    Status written = writeUnnamed(out, buffer, 1, got.value);
    if (!written.ok()) return {copied.value, written};
    copied.value += static_cast<uint32_t>(got.value);
    if (got.value < n) break;
  }
  return copied;
}

Result<uint32_t> lbaFinishCopy(FILE* in, uint64_t from, FILE* out, uint32_t length,
                               const PlatKernelCopy& copy) {
  if (copy.error != 0)
    return {copy.done, failure("ERROR: can't write to file : %s\n", std::strerror(copy.error))};
  if (copy.ok) return {copy.done, Status()};
  Status sought = seekUnnamed(out, 0, SEEK_END);  // behind what the kernel already appended
  if (!sought.ok()) return {copy.done, sought};
  Result<uint32_t> rest = lbaCopyRange(in, from + copy.done, out, length - copy.done);
  rest.value += copy.done;
  return rest;
}

Result<uint32_t> lbaCopyRange(FILE* in, uint64_t from, FILE* out, uint32_t length) {
  Status sought = seekUnnamed(in, static_cast<int64_t>(from), SEEK_SET);
  if (!sought.ok()) return {0, sought};
  return lbaCopyStream(in, out, length);
}
