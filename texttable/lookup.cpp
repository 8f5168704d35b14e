#include "texttable/lookup.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Node {
  std::vector<std::pair<uint8_t, uint32_t>> children;  // sorted by byte
  std::vector<uint32_t> entries;                       // in array order
};

int32_t literalLength(const TableEntry& e) {
  return e.leftMarker >= 0 ? e.leftMarker : e.leftLength;
}

}  // namespace

struct TblIndex {
  std::vector<Node> nodes;  // nodes[0] is the root
  uint32_t rootChild[256];  // 0 = none (the root is never a child)
  mutable std::vector<uint32_t> path;
};

namespace {

uint32_t findChild(const TblIndex& index, uint32_t node, uint8_t byte) {
  if (node == 0) return index.rootChild[byte];
  const auto& children = index.nodes[node].children;
  auto it = std::lower_bound(children.begin(), children.end(), byte,
                             [](const std::pair<uint8_t, uint32_t>& c, uint8_t b) { return c.first < b; });
  return (it != children.end() && it->first == byte) ? it->second : 0;
}

uint32_t addChild(TblIndex& index, uint32_t node, uint8_t byte) {
  uint32_t child = static_cast<uint32_t>(index.nodes.size());
  index.nodes.emplace_back();
  if (node == 0) {
    index.rootChild[byte] = child;
  } else {
    auto& children = index.nodes[node].children;
    auto it = std::lower_bound(children.begin(), children.end(), byte,
                               [](const std::pair<uint8_t, uint32_t>& c, uint8_t b) { return c.first < b; });
    children.insert(it, {byte, child});
  }
  return child;
}

}  // namespace

TblIndex* tblIndexBuild(const TableEntry* entries, uint32_t count) {
  TblIndex* index = new TblIndex();
  std::fill(std::begin(index->rootChild), std::end(index->rootChild), 0u);
  index->nodes.emplace_back();
  for (uint32_t i = 0; i < count; ++i) {
    const TableEntry& e = entries[i];
    if (e.leftMarker < 0 && e.leftLength <= 0) continue;  // an empty side never matches
    if (e.leftMarker >= 0 && tblMarkerEntryUsesNothing(e)) continue;
    uint32_t node = 0;
    for (int32_t k = 0; k < literalLength(e); ++k) {
      uint32_t child = findChild(*index, node, e.left[k]);
      node = child ? child : addChild(*index, node, e.left[k]);
    }
    index->nodes[node].entries.push_back(i);
  }
  return index;
}

void tblIndexFree(TblIndex* index) { delete index; }

bool tblMarkerTailMatches(const TableEntry& e, const uint8_t* input, uint32_t remaining) {
  uint32_t m = static_cast<uint32_t>(e.leftMarker);
  if (m >= remaining) return false;
  uint32_t carried = tblCarriedLength(e);
  uint32_t suffix = static_cast<uint32_t>(e.leftLength) - m - 4;
  if (static_cast<uint64_t>(m) + carried + suffix > remaining) return false;
  return suffix == 0 || std::memcmp(input + m + carried, e.left + m + 4, suffix) == 0;
}

int32_t tblIndexFind(const TblIndex* index, const TableEntry* entries, const uint8_t* input,
                     uint32_t remaining) {
  std::vector<uint32_t>& path = index->path;
  path.clear();
  path.push_back(0);
  uint32_t node = 0;
  for (uint32_t depth = 0; depth < remaining; ++depth) {
    node = findChild(*index, node, input[depth]);
    if (!node) break;
    path.push_back(node);
  }
  for (size_t d = path.size(); d-- > 0;) {
    for (uint32_t i : index->nodes[path[d]].entries) {
      const TableEntry& e = entries[i];
      if (e.leftMarker < 0 || tblMarkerTailMatches(e, input, remaining)) return static_cast<int32_t>(i);
    }
  }
  return -1;
}
