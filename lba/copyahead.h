// Extraction copies file after file, and the kernel's copy of one file keeps
// one processor busy. The copy-ahead queue lets a helper thread copy one file
// while the main thread prepares and copies the next ones. Each file is still
// finished (the rest of a copy the kernel could not make, the close, the
// replacement of an old file, its messages) on the main thread, in the order
// the files were added, and before any other message is printed or the
// process ends: the messages and the files written are those of one copy
// after the other.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

struct LbaCopyAhead;

// A queue reading from the image stream `in`, or null where the system copies
// through the streams only (the caller then copies itself). One at a time.
LbaCopyAhead* lbaCopyAheadStart(FILE* in);

// Copies `length` bytes from byte `from` of the image to `out` (just opened,
// nothing written), then calls finish(bytes copied) on this thread.
void lbaCopyAheadAdd(LbaCopyAhead* queue, FILE* out, uint64_t from, uint32_t length,
                     std::function<void(uint32_t)> finish);

// Finishes every file added and ends the queue.
void lbaCopyAheadStop(LbaCopyAhead* queue);
