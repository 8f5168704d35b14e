#include "lba/dirlist.h"

#include <string>

#include "platform/platform.h"

namespace {

const uint32_t kArenaBytes = 262144;

// The file system takes a slash as well as a backslash between directories.
bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Appends text and its terminator; the offset of its first byte, or -1.
int64_t arenaString(memBlock* arena, const std::string& text) {
  uint32_t at = arena->used;
  if (!memBlockAppend(arena, text.c_str(), static_cast<uint32_t>(text.size() + 1))) return -1;
  return at;
}

}  // namespace

Result<dirList> dirListNew(const char* p, const Messages& messages) {
  Result<dirList> made;
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
    report(messages, "ERROR: file type decoding error, unknown: %s\n", p);
    return made;
  }

  std::vector<PlatFindEntry> found = platFind(pattern.c_str());
  if (found.empty()) return made;

  // Strings are kept as offsets into the arena until it stops growing.
  dirList& list = made.value;
  list.arena = memBlockMake(kArenaBytes, kArenaBytes);
  int64_t dirAt = arenaString(&list.arena, dir);
  int64_t patternAt = arenaString(&list.arena, pattern);
  std::vector<int64_t> pathsAt;
  bool ok = dirAt >= 0 && patternAt >= 0;
  for (const PlatFindEntry& entry : found) {
    if (!ok) break;
    if (entry.isDirectory) continue;
    pathsAt.push_back(arenaString(&list.arena, dir + entry.name));
    ok = pathsAt.back() >= 0;
  }
  if (!ok) {
    made.status =
        failure("ERROR: cannot realloc %u bytes.\n", list.arena.capacity() + list.arena.step);
    return made;
  }

  // The arena no longer grows: offsets become addresses.
  const char* base = reinterpret_cast<const char*>(list.arena.data());
  list.dir = base + dirAt;
  list.pattern = base + patternAt;
  list.fileCount = static_cast<uint32_t>(pathsAt.size());
  for (int64_t at : pathsAt) {
    list.filePaths.push_back(base + at);
    list.fileNames.push_back(base + at + dir.size());
  }
  return made;
}
