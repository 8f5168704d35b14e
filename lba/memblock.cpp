#include "lba/memblock.h"

#include <cstring>
#include <new>

memBlock memBlockMake(uint32_t initialSize, uint32_t step) {
  memBlock block;
  block.bytes.resize(initialSize ? initialSize : 1);
  block.step = step;
  return block;
}

void* memBlockReserve(memBlock* block, uint32_t n) {
  uint64_t wanted = static_cast<uint64_t>(block->used) + n;
  if (wanted > block->capacity()) {
    if (block->step == 0) return nullptr;
    uint64_t capacity = block->capacity();
    while (capacity < wanted) capacity += block->step;
    if (capacity > UINT32_MAX) return nullptr;
    try {
      block->bytes.resize(capacity);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  void* place = block->data() + block->used;
  block->used += n;
  return place;
}

void* memBlockAppend(memBlock* block, const void* bytes, uint32_t n) {
  void* place = memBlockReserve(block, n);
  if (place && n) std::memcpy(place, bytes, n);
  return place;
}
