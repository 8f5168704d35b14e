// Checked allocation for the front ends: each either returns memory or prints
// one "ERROR: cannot" line and ends the process with status 1. Release with
// std::free.
#pragma once

#include <cstdint>

void* mallocE(uint32_t size);
void* callocE(uint32_t count, uint32_t size);
void* reallocE(void* old, uint32_t size);
// A copy of `text` (null: empty) with room for `extra` more characters.
char* strdupp(const char* text, uint32_t extra);
