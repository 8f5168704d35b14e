// A mixed corpus built by the benchmark itself: text, executable-like code and
// tables, paletted pictures and byte runs, in 256 KiB pieces that take turns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

std::vector<uint8_t> mixedCorpus(size_t size, uint32_t seed);
