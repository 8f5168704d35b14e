#include "lba/memblock.h"

#include <cstdlib>
#include <cstring>

memBlock* memBlockNew(uint32_t initialSize, uint32_t step) {
  memBlock* block = static_cast<memBlock*>(std::malloc(sizeof(memBlock)));
  if (!block) return nullptr;
  block->data = static_cast<uint8_t*>(std::malloc(initialSize ? initialSize : 1));
  if (!block->data) {
    std::free(block);
    return nullptr;
  }
  block->capacity = initialSize;
  block->used = 0;
  block->step = step;
  return block;
}

memBlock* memBlockNewSized(uint32_t size) { return memBlockNew(size, size); }

void* memBlockReserve(memBlock* block, uint32_t n) {
  uint64_t wanted = static_cast<uint64_t>(block->used) + n;
  if (wanted > block->capacity) {
    if (block->step == 0) return nullptr;
    uint64_t capacity = block->capacity;
    while (capacity < wanted) capacity += block->step;
    if (capacity > UINT32_MAX) return nullptr;
    uint8_t* data = static_cast<uint8_t*>(std::realloc(block->data, capacity));
    if (!data) return nullptr;
    block->data = data;
    block->capacity = static_cast<uint32_t>(capacity);
  }
  void* place = block->data + block->used;
  block->used += n;
  return place;
}

void* memBlockAppend(memBlock* block, const void* bytes, uint32_t n) {
  void* place = memBlockReserve(block, n);
  if (place && n) std::memcpy(place, bytes, n);
  return place;
}

void memBlockFree(memBlock* block) {
  if (!block) return;
  std::free(block->data);
  std::free(block);
}
