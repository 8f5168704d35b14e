// Copies a stretch of the disc image into an output file.
#pragma once

#include <cstdint>
#include <cstdio>

// Where the system can copy between files without passing the data through
// the program, extraction does (KVO_LBA_PORTABLE_COPY builds the plain stream
// copy everywhere).
#if defined(__linux__) && !defined(KVO_LBA_PORTABLE_COPY)
#define KVO_LBA_KERNEL_COPY 1
#else
#define KVO_LBA_KERNEL_COPY 0
#endif

// Appends up to `length` bytes that start at byte `from` of `in` to `out`
// through the stream buffers; stops early where `in` ends. Returns the bytes
// copied.
uint32_t lbaCopyRange(FILE* in, uint64_t from, FILE* out, uint32_t length);

// Copies up to `length` bytes from the current position of `in` to `out`
// through the stream buffers; stops early where `in` ends.
uint32_t lbaCopyStream(FILE* in, FILE* out, uint32_t length);

// The kernel's copy in two halves, for a copy that runs on another thread:
// the copy between two open files, which prints nothing and touches no
// stream, and its completion on the thread that owns the streams.
struct LbaKernelCopy {
  uint32_t done = 0;      // bytes copied
  int error = 0;          // the error that stopped the copy, 0 if none
  bool fallBack = false;  // the system cannot copy these files this way
};
// Copies from byte `from` of inFd to the current end of outFd; inFd's file
// position is not moved.
LbaKernelCopy lbaCopyInKernel(int inFd, uint64_t from, int outFd, uint32_t length);
// Reports the copy's error (and exits), or copies what the kernel could not
// through the streams. Returns the bytes copied in all.
uint32_t lbaFinishCopy(FILE* in, uint64_t from, FILE* out, uint32_t length,
                       const LbaKernelCopy& copy);
