#include "lba/dirlist.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/frontend.h"
#include "platform/platform.h"

namespace {

const uint32_t kArenaBytes = 262144;
const uint32_t kPairBytes = 16384;

// Strings are kept as offsets into the arena until it stops growing.
struct PathPair {
  uint32_t path;
  uint32_t name;
};

// The file system takes a slash as well as a backslash between directories.
bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Appends text and its terminator; the offset of its first byte, or -1.
int64_t arenaString(memBlock* arena, const std::string& text) {
  uint32_t at = arena->used;
  if (!memBlockAppend(arena, text.c_str(), static_cast<uint32_t>(text.size() + 1))) return -1;
  return at;
}

}  // namespace

dirList* dirListNew(const char* p) {
  std::string dir;
  std::string pattern;
  PlatStat st;
  bool exists = platStat(p, &st);
  if (exists && st.isDirectory) {
    dir = p;
    if (dir.empty() || !isSeparator(dir.back())) dir += '\\';
    pattern = dir + "*";
  } else if (!exists || st.isRegular) {
    pattern = p;
    size_t cut = pattern.find_last_of("\\/");
    dir = cut == std::string::npos ? std::string(".\\") : pattern.substr(0, cut + 1);
  } else {
    report("ERROR: file type decoding error, unknown: %s\n", p);
    return nullptr;
  }

  std::vector<PlatFindEntry> found = platFind(pattern.c_str());
  if (found.empty()) return nullptr;

  memBlock* arena = memBlockNew(kArenaBytes, kArenaBytes);
  memBlock* pairs = memBlockNew(kPairBytes, kPairBytes);
  if (!arena || !pairs) fatal("ERROR: cannot malloc %u bytes.\n", kArenaBytes);
  int64_t dirAt = arenaString(arena, dir);
  int64_t patternAt = arenaString(arena, pattern);
  bool ok = dirAt >= 0 && patternAt >= 0;
  for (const PlatFindEntry& entry : found) {
    if (!ok) break;
    if (entry.isDirectory) continue;
    int64_t pathAt = arenaString(arena, dir + entry.name);
    PathPair pair = {static_cast<uint32_t>(pathAt), static_cast<uint32_t>(pathAt + dir.size())};
    ok = pathAt >= 0 && memBlockAppend(pairs, &pair, sizeof pair);
  }
  uint32_t count = pairs->used / sizeof(PathPair);
  uint32_t arraysAt = arena->used;
  ok = ok && memBlockReserve(arena, 2 * count * sizeof(char*) + sizeof(char*));
  if (!ok) fatal("ERROR: cannot realloc %u bytes.\n", arena->capacity + arena->step);

  // The arena no longer grows: offsets become addresses.
  char* base = reinterpret_cast<char*>(arena->data);
  dirList* list = static_cast<dirList*>(std::malloc(sizeof(dirList)));
  if (!list) fatal("ERROR: cannot malloc %u bytes.\n", static_cast<uint32_t>(sizeof(dirList)));
  list->arena = arena;
  list->dir = base + dirAt;
  list->pattern = base + patternAt;
  list->fileCount = count;
  list->filePaths = nullptr;
  list->fileNames = nullptr;
  if (count) {
    // Aligned for pointers inside the reserved room.
    uintptr_t at = reinterpret_cast<uintptr_t>(base + arraysAt);
    at = (at + sizeof(char*) - 1) / sizeof(char*) * sizeof(char*);
    list->filePaths = reinterpret_cast<char**>(at);
    list->fileNames = list->filePaths + count;
    const PathPair* pair = reinterpret_cast<const PathPair*>(pairs->data);
    for (uint32_t i = 0; i < count; ++i) {
      list->filePaths[i] = base + pair[i].path;
      list->fileNames[i] = base + pair[i].name;
    }
  }
  memBlockFree(pairs);
  return list;
}

void dirListFree(dirList* list) {
  if (!list) return;
  memBlockFree(list->arena);
  std::free(list);
}
