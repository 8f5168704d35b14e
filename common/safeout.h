// Named output streams that replace their target only once complete, so a
// run that stops half-way leaves the user's old file as it was (the output
// may be the input file itself). Messages name the target, as the named
// streams do.
#pragma once

#include <cstdint>
#include <cstdio>

// Opens the output for `path`: "ERROR: can't open file : %s : %s" and exit
// status 1 when it cannot.
FILE* outOpen(const char* path, const char* mode);
// Writes to an output of outOpen: on a short write "ERROR: can't write to
// file : %s : %s", the temporary file is removed and the process ends.
void outWrite(FILE* fp, const void* data, uint32_t length);
// Writes `count` zero bytes.
void outWriteZeros(FILE* fp, uint32_t count);
// Closes the output and puts it in place of its target; on failure prints
// "ERROR: can't write to file : %s : %s" with outKeptNote() and ends the
// process.
void outCommit(FILE* fp);
// " : the new data is kept in FILE" when the last failed commit could not put
// its complete temporary FILE in the target's place (the target is as it
// was), else "": the end of every message about a failed output.
const char* outKeptNote();
// Writes a whole buffer to `path` the same way.
uint32_t outSave(const char* path, const void* data, uint32_t length);
