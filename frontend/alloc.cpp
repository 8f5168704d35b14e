#include "frontend/alloc.h"

#include <cstdlib>
#include <cstring>

#include "frontend/frontend.h"

void* mallocE(uint32_t size) {
  void* p = std::malloc(size);
  if (!p && size != 0) fatal("ERROR: cannot malloc %u bytes.\n", size);
  return p;
}

void* callocE(uint32_t count, uint32_t size) {
  void* p = std::calloc(count, size);
  if (!p && count != 0 && size != 0)
    fatal("ERROR: cannot calloc %u elements of size %u bytes.\n", count, size);
  return p;
}

void* reallocE(void* old, uint32_t size) {
  void* p = std::realloc(old, size);
  if (!p && size != 0) fatal("ERROR: cannot realloc %u bytes.\n", size);
  return p;
}

char* strdupp(const char* text, uint32_t extra) {
  size_t length = text ? std::strlen(text) : 0;
  size_t size = length + extra + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (!copy) fatal("ERROR: strdupp : memory allocating error : %d bytes\n", static_cast<int>(size));
  if (length) std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}
