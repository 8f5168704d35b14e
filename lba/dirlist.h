// The regular files that a directory, a file name or a wildcard expression
// designates, each with its full path and its bare name.
#pragma once

#include <cstdint>
#include <vector>

#include "common/outcome.h"
#include "lba/memblock.h"

// Move only: the pointers lead into its own arena.
struct dirList {
  dirList() = default;
  dirList(dirList&&) = default;
  dirList& operator=(dirList&&) = default;
  dirList(const dirList&) = delete;
  dirList& operator=(const dirList&) = delete;

  const char* dir = nullptr;  // ends with the separator
  const char* pattern = nullptr;
  uint32_t fileCount = 0;
  std::vector<const char*> filePaths;  // dir + name
  std::vector<const char*> fileNames;  // tails of filePaths
  memBlock arena;                      // holds every string
};

// The files found: none when nothing matches; when the path is neither a
// directory nor a regular file, none and its "ERROR: file type decoding
// error" line in `messages`. Fails only when memory runs out.
Result<dirList> dirListNew(const char* pathOrExpression, const Messages& messages);
