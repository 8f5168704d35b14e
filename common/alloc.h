// Checked allocation: each either returns memory or prints one "ERROR: cannot"
// line and ends the process with status 1. Release with std::free.
#pragma once

#include <cstdint>

void* mallocE(uint32_t size);
void* callocE(uint32_t count, uint32_t size);
void* reallocE(void* old, uint32_t size);
