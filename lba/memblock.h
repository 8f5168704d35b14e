// An append-only memory block that grows by a fixed step.
#pragma once

#include <cstdint>
#include <vector>

struct memBlock {
  std::vector<uint8_t> bytes;  // its size is the capacity
  uint32_t used = 0;
  uint32_t step = 0;
  uint8_t* data() { return bytes.data(); }
  uint32_t capacity() const { return static_cast<uint32_t>(bytes.size()); }
};

// A block of `initialSize` bytes (at least 1) that grows by `step` (0: never).
memBlock memBlockMake(uint32_t initialSize, uint32_t step);
// Room for n more bytes: their address, or null when the block cannot grow.
// A growth may move data().
void* memBlockReserve(memBlock* block, uint32_t n);
void* memBlockAppend(memBlock* block, const void* bytes, uint32_t n);
