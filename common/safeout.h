// Outputs that replace their target only once complete, so a run that stops
// half-way leaves the user's old file as it was (the output may be the input
// file itself). Messages name the target `path`.
#pragma once

#include <cstdint>
#include <cstdio>

#include "common/outcome.h"

// "ERROR: can't open file : PATH : REASON" when it cannot be opened.
Result<FILE*> openOutput(const char* path, const char* mode);
// On a short write "ERROR: can't write to file : PATH : REASON"; the output
// is then discarded (its stream closed).
Status writeOutput(FILE* fp, const char* path, const void* data, uint32_t length);
// Closes the output and puts it in place of its target; the same message on failure.
Status commitOutput(FILE* fp, const char* path);
// " : the new data is kept in FILE" when the last failed commit on this
// thread could not put its complete temporary FILE in the target's place
// (the target is as it was), else "": the end of every message about a
// failed output.
const char* outKeptNote();
// Writes a whole buffer to `path` the same way.
Status saveOutput(const char* path, const void* data, uint32_t length);
