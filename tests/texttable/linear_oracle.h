// The conversion written the plain way: every entry tried in array order at
// every position. The library's indexed lookup must give the same bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "texttable/chartable.h"

std::vector<uint8_t> linearConvert(const uint8_t* input, uint32_t length, const TableEntry* entries,
                                   uint32_t count, bool skipMode);
