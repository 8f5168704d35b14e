// The regular files that a directory, a file name or a wildcard expression
// designates, each with its full path and its bare name.
#pragma once

#include <cstdint>

#include "lba/memblock.h"

struct dirList {
  char* dir;          // ends with the separator
  char* pattern;
  uint32_t fileCount;
  char** filePaths;   // dir + name
  char** fileNames;   // tails of filePaths
  memBlock* arena;    // holds every string and both arrays
};

// Null when nothing matches, or (with a message) when the path is neither a
// directory nor a regular file.
dirList* dirListNew(const char* pathOrExpression);
void dirListFree(dirList* list);
