// Extraction copies file after file, and the kernel's copy of one file keeps
// one processor busy. The copy-ahead queue lets a helper thread copy one file
// while the main thread prepares and copies the next ones. Each file is still
// finished (the rest of a copy the kernel could not make, the close, the
// replacement of an old file, its messages) on the main thread, in the order
// the files were added. The caller finishes every pending file
// (lbaCopyAheadFinish) before it reports anything itself, so the messages and
// the files written are those of one copy after the other.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include "common/outcome.h"

struct LbaCopyAhead;

// A queue reading from the image stream `in`, or null where the system copies
// through the streams only (the caller then copies itself).
LbaCopyAhead* lbaCopyAheadStart(FILE* in);

// Copies `length` bytes from byte `from` of the image to `out` (a replacing
// output just opened, nothing written), then calls finish(bytes copied) on
// this thread. The first failure of a finish stops the queue: the outputs not
// yet finished are discarded, and this and every later call returns it.
Status lbaCopyAheadAdd(LbaCopyAhead* queue, FILE* out, uint64_t from, uint32_t length,
                       std::function<Status(uint32_t)> finish);

// Finishes every file added so far (a null queue has none).
Status lbaCopyAheadFinish(LbaCopyAhead* queue);

// Finishes every file added and ends the queue (null: nothing to do).
Status lbaCopyAheadStop(LbaCopyAhead* queue);
