// File helpers of the two font tools.
#pragma once

#include <cstdint>
#include <cstdio>

// The size of an open file, leaving it positioned at its start; false when
// the file cannot be measured.
bool fontFileSize(FILE* fp, int64_t* size);
