// Reads one text line of any length from a stream.
#pragma once

#include <cstdint>
#include <cstdio>

// The line without its newline (and a carriage return before it), or null at
// the end of input or on a read error. `buffer` / `bufferSize` (either may be
// null) carry a buffer from call to call; the caller releases it once.
char* readLine(FILE* stream, char** buffer, uint32_t* bufferSize);
