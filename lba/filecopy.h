// Copies a stretch of the disc image into an output file.
#pragma once

#include <cstdint>
#include <cstdio>

#include "common/outcome.h"
#include "platform/filecopy.h"

// Appends up to `length` bytes that start at byte `from` of `in` to `out`
// through the stream buffers; stops early where `in` ends. Value: the bytes
// copied.
Result<uint32_t> lbaCopyRange(FILE* in, uint64_t from, FILE* out, uint32_t length);

// Copies up to `length` bytes from the current position of `in` to `out`
// through the stream buffers; stops early where `in` ends.
Result<uint32_t> lbaCopyStream(FILE* in, FILE* out, uint32_t length);

// Completes a kernel copy (platCopyRangeInKernel, perhaps made on another
// thread) on the thread that owns the streams: its error, or the rest the
// kernel could not copy copied through the streams. Value: the bytes copied
// in all.
Result<uint32_t> lbaFinishCopy(FILE* in, uint64_t from, FILE* out, uint32_t length,
                               const PlatKernelCopy& copy);
