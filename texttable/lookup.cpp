#include "texttable/lookup.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

int32_t literalLength(const TableEntry& e) {
  return e.leftMarker >= 0 ? e.leftMarker : e.leftLength;
}

// The tree stops at this depth; entries with longer literal parts share the
// node there and are compared in full, so one very long line cannot make the
// tree huge.
const int32_t kMaxDepth = 16;

// The tree while it is built.
struct BuildNode {
  std::vector<std::pair<uint8_t, uint32_t>> children;  // sorted by byte
  std::vector<uint32_t> entries;                       // in array order
};

uint32_t childOf(std::vector<BuildNode>& nodes, uint32_t node, uint8_t byte) {
  auto& children = nodes[node].children;
  auto it = std::lower_bound(
      children.begin(), children.end(), byte,
      [](const std::pair<uint8_t, uint32_t>& c, uint8_t b) { return c.first < b; });
  if (it != children.end() && it->first == byte) return it->second;
  uint32_t child = static_cast<uint32_t>(nodes.size());
  children.insert(it, {byte, child});
  nodes.emplace_back();
  return child;
}

}  // namespace

// The finished tree in flat arrays, nodes numbered depth first so that a walk
// down mostly touches neighbouring memory.
struct TblIndex {
  struct Node {
    uint32_t firstEdge;
    uint32_t edgeCount;
    uint32_t firstEntry;
    uint32_t entryCount;
  };
  std::vector<Node> nodes;  // nodes[0] is the root
  std::vector<uint8_t> edgeBytes;
  std::vector<uint32_t> edgeTargets;
  std::vector<uint32_t> entries;
  uint32_t rootChild[256];  // 0 = none (the root is nobody's child)
};

namespace {

void flatten(const std::vector<BuildNode>& built, TblIndex& index) {
  std::vector<uint32_t> number(built.size());
  std::vector<uint32_t> order;
  std::vector<uint32_t> stack{0};
  while (!stack.empty()) {
    uint32_t node = stack.back();
    stack.pop_back();
    number[node] = static_cast<uint32_t>(order.size());
    order.push_back(node);
    const auto& children = built[node].children;
    for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back(it->second);
  }
  index.nodes.resize(order.size());
  for (uint32_t n = 0; n < order.size(); ++n) {
    const BuildNode& b = built[order[n]];
    TblIndex::Node& node = index.nodes[n];
    node.firstEdge = static_cast<uint32_t>(index.edgeBytes.size());
    node.edgeCount = static_cast<uint32_t>(b.children.size());
    for (const auto& child : b.children) {
      index.edgeBytes.push_back(child.first);
      index.edgeTargets.push_back(number[child.second]);
    }
    node.firstEntry = static_cast<uint32_t>(index.entries.size());
    node.entryCount = static_cast<uint32_t>(b.entries.size());
    index.entries.insert(index.entries.end(), b.entries.begin(), b.entries.end());
  }
  std::fill(std::begin(index.rootChild), std::end(index.rootChild), 0u);
  for (const auto& child : built[0].children) index.rootChild[child.first] = number[child.second];
}

uint32_t findChild(const TblIndex& index, uint32_t node, uint8_t byte) {
  if (node == 0) return index.rootChild[byte];
  const TblIndex::Node& n = index.nodes[node];
  const uint8_t* bytes = index.edgeBytes.data() + n.firstEdge;
  const void* hit = std::memchr(bytes, byte, n.edgeCount);
  return hit ? index.edgeTargets[n.firstEdge + (static_cast<const uint8_t*>(hit) - bytes)] : 0;
}

}  // namespace

TblIndexPtr tblIndexBuild(const TableEntry* entries, uint32_t count) {
  std::vector<BuildNode> built(1);
  for (uint32_t i = 0; i < count; ++i) {
    const TableEntry& e = entries[i];
    if (e.leftMarker < 0 && e.leftLength <= 0) continue;  // an empty side never matches
    if (e.leftMarker >= 0 && tblMarkerEntryUsesNothing(e)) continue;
    uint32_t node = 0;
    int32_t depth = std::min(literalLength(e), kMaxDepth);
    for (int32_t k = 0; k < depth; ++k) node = childOf(built, node, e.left[k]);
    built[node].entries.push_back(i);
  }
  std::unique_ptr<TblIndex> index(new TblIndex());
  flatten(built, *index);
  return TblIndexPtr(index.release());
}

void TblIndexDelete::operator()(const TblIndex* index) const { delete index; }

bool tblMarkerTailMatches(const TableEntry& e, const uint8_t* input, uint32_t remaining) {
  uint32_t m = static_cast<uint32_t>(e.leftMarker);
  if (m >= remaining) return false;
  uint32_t carried = tblCarriedLength(e);
  uint32_t suffix = static_cast<uint32_t>(e.leftLength) - m - 4;
  if (static_cast<uint64_t>(m) + carried + suffix > remaining) return false;
  return suffix == 0 || std::memcmp(input + m + carried, e.left + m + 4, suffix) == 0;
}

namespace {

// Whether an entry met at a node of depth `checked` matches: its literal part
// beyond that depth (only at the depth limit), then its marker's run and suffix.
bool restMatches(const TableEntry& e, const uint8_t* input, uint32_t remaining, uint32_t checked) {
  uint32_t literal = static_cast<uint32_t>(literalLength(e));
  if (literal > checked) {
    if (literal > remaining) return false;
    if (std::memcmp(input + checked, e.left + checked, literal - checked) != 0) return false;
  }
  return e.leftMarker < 0 || tblMarkerTailMatches(e, input, remaining);
}

}  // namespace

int32_t tblIndexFind(const TblIndex* index, const TableEntry* entries, const uint8_t* input,
                     uint32_t remaining) {
  uint32_t path[kMaxDepth + 1];
  path[0] = 0;
  size_t pathLength = 1;
  uint32_t node = 0;
  uint32_t maxDepth = std::min(remaining, static_cast<uint32_t>(kMaxDepth));
  for (uint32_t depth = 0; depth < maxDepth; ++depth) {
    node = findChild(*index, node, input[depth]);
    if (!node) break;
    path[pathLength++] = node;
  }
  // Deeper nodes hold entries with longer literal parts: earlier in the array.
  for (size_t d = pathLength; d-- > 0;) {
    const TblIndex::Node& n = index->nodes[path[d]];
    for (uint32_t k = 0; k < n.entryCount; ++k) {
      uint32_t i = index->entries[n.firstEntry + k];
      if (restMatches(entries[i], input, remaining, static_cast<uint32_t>(d)))
        return static_cast<int32_t>(i);
    }
  }
  return -1;
}
