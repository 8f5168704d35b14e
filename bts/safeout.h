// Output files are written beside their target under a temporary name and
// renamed over it only once complete, so a run that stops half-way leaves the
// user's old file as it was (the output may be the input file itself).
#pragma once

#include <cstdint>
#include <cstdio>

// Opens a temporary file beside `path`; every stream message names `path`.
// "ERROR: can't open file : %s : %s" and exit status 1 when it cannot.
FILE* outOpen(const char* path, const char* mode);
// fwriteE for an output of outOpen: the same message on a short write, after
// which the temporary file is removed and the process ends with status 1.
void outWrite(FILE* fp, const void* data, uint32_t length);
// Writes `count` zero bytes.
void outWriteZeros(FILE* fp, uint32_t count);
// Closes the stream and puts the file in place of its target; a failure
// prints the close (or write) message, removes the temporary file and ends
// the process with status 1.
void outCommit(FILE* fp);
// Writes a whole buffer to `path` the same way (the stat family's save).
uint32_t outSave(const char* path, const void* data, uint32_t length);
