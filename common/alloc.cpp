#include "common/alloc.h"

#include <cstdlib>

#include "common/diag.h"

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
