// An append-only memory block that grows by a fixed step.
#pragma once

#include <cstdint>

struct memBlock {
  uint8_t* data;
  uint32_t capacity;
  uint32_t used;
  uint32_t step;
};

// Null (without a message) when memory runs out.
memBlock* memBlockNew(uint32_t initialSize, uint32_t step);
memBlock* memBlockNewSized(uint32_t size);
// Room for n more bytes: their address, or null when the block cannot grow.
// A growth may move `data`.
void* memBlockReserve(memBlock* block, uint32_t n);
void* memBlockAppend(memBlock* block, const void* bytes, uint32_t n);
void memBlockFree(memBlock* block);
