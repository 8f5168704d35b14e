// A copy of a byte range from one open file to another that the kernel makes
// without passing the data through the program, where the system offers one.
#pragma once

#include <cstdint>
#include <cstdio>

// Whether this build can copy inside the kernel at all (KVO_PORTABLE_COPY
// builds the plain stream copy everywhere).
#if defined(__linux__) && !defined(KVO_PORTABLE_COPY)
#define KVO_PLAT_KERNEL_COPY 1
#else
#define KVO_PLAT_KERNEL_COPY 0
#endif

struct PlatKernelCopy {
  uint32_t done = 0;  // bytes copied
  int error = 0;      // errno of the failure that stopped the copy, 0 if none
  bool ok = true;     // false: the kernel cannot copy between these files
};

// Appends up to `length` bytes that start at byte `from` of `in` to the
// current end of `out`'s file; stops early where `in` ends. Neither stream's
// buffer nor `in`'s position is touched, so it may run on another thread
// while the owner of `in` reads elsewhere. ok is false (and the caller copies
// the rest through the streams) when the kernel cannot copy these files.
PlatKernelCopy platCopyRangeInKernel(FILE* in, uint64_t from, FILE* out, uint32_t length);
