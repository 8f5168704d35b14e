// Copies a stretch of the disc image into an output file.
#pragma once

#include <cstdint>
#include <cstdio>

// Appends up to `length` bytes that start at byte `from` of `in` to `out`;
// stops early where `in` ends. Returns the bytes copied. Where the system can
// copy between files without passing the data through the program, it does
// (KVO_LBA_PORTABLE_COPY builds the plain stream copy everywhere).
uint32_t lbaCopyRange(FILE* in, uint64_t from, FILE* out, uint32_t length);

// Copies up to `length` bytes from the current position of `in` to `out`
// through the stream buffers; stops early where `in` ends.
uint32_t lbaCopyStream(FILE* in, FILE* out, uint32_t length);
