// Reads one text line of any length from a stream.
#pragma once

#include <cstdio>
#include <string>

#include "common/outcome.h"

// Reads the next line into *line without its newline (and a carriage return
// before it). Value false at the end of input; a read error fails with
// "ERROR: error reading line : REASON".
Result<bool> readLine(FILE* stream, std::string* line);
