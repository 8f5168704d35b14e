#include "texttable/chartable.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "common/fileio.h"
#include "texttable/lookup.h"

namespace {

const uint8_t kCR = 0x0D;
const uint8_t kLF = 0x0A;
const uint8_t kBackslash = 0x5C;

bool isHexDigit(uint8_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned hexDigitValue(uint8_t c) {
  if (c <= '9') return c - '0';
  if (c >= 'a') return c - 'a' + 10;
  return c - 'A' + 10;
}

// A separator is escaped by an odd number of backslashes right before it;
// counting never goes back past the start of the scanned range.
bool isActive(const uint8_t* rangeStart, const uint8_t* at) {
  size_t backslashes = 0;
  while (at - backslashes > rangeStart &&
         at[-1 - static_cast<std::ptrdiff_t>(backslashes)] == kBackslash)
    ++backslashes;
  return backslashes % 2 == 0;
}

const uint8_t* findActiveCrLf(const uint8_t* from, const uint8_t* end) {
  for (const uint8_t* p = from; end - p >= 2; ++p) {
    p = static_cast<const uint8_t*>(std::memchr(p, kCR, end - p - 1));
    if (!p) return nullptr;
    if (p[1] == kLF && isActive(from, p)) return p;
  }
  return nullptr;
}

const uint8_t* findActiveEquals(const uint8_t* from, const uint8_t* end) {
  for (const uint8_t* p = from; p < end; ++p) {
    p = static_cast<const uint8_t*>(std::memchr(p, '=', end - p));
    if (!p) return nullptr;
    if (isActive(from, p)) return p;
  }
  return nullptr;
}

// Resolves the escapes of one side in place and returns its new length.
int32_t unescape(uint8_t* side, int32_t length) {
  int32_t r = 0, w = 0;
  while (r < length) {
    if (side[r] != kBackslash) {
      side[w++] = side[r++];
      continue;
    }
    int32_t left = length - r;
    if (left >= 3 && side[r + 1] == kCR && side[r + 2] == kLF) {
      side[w++] = kCR;
      side[w++] = kLF;
      r += 3;
    } else if (left >= 2 && (side[r + 1] == kBackslash || side[r + 1] == '=')) {
      side[w++] = side[r + 1];
      r += 2;
    } else if (left >= 2 && side[r + 1] == 'x') {
      if (left >= 4 && isHexDigit(side[r + 2]) && isHexDigit(side[r + 3])) {
        side[w++] =
            static_cast<uint8_t>(hexDigitValue(side[r + 2]) * 16 + hexDigitValue(side[r + 3]));
        r += 4;
      } else {
        // Not a byte escape: the four bytes stay as they are.
        for (int32_t k = 0; k < 4 && r < length; ++k) side[w++] = side[r++];
      }
    } else {
      side[w++] = side[r++];  // a lone backslash stays; the next byte is read normally
    }
  }
  return w;
}

// Only the first backslash at or after `from` is examined.
int32_t findMarker(const uint8_t* side, int32_t from, int32_t length) {
  if (from >= length) return -1;
  const uint8_t* slash =
      static_cast<const uint8_t*>(std::memchr(side + from, kBackslash, length - from));
  if (!slash) return -1;
  int32_t at = static_cast<int32_t>(slash - side);
  if (length - at < 4) return -1;
  if (side[at + 1] != 'c' && side[at + 1] != 'h') return -1;
  if (!isHexDigit(side[at + 2]) || !isHexDigit(side[at + 3])) return -1;
  return at;
}

void encodeMarker(uint8_t* marker) {
  uint8_t kind = marker[1] == 'c' ? kMarkerCopy : kMarkerHex;
  marker[0] = kind;
  marker[1] = static_cast<uint8_t>(hexDigitValue(marker[2]) * 16 + hexDigitValue(marker[3]));
}

void applyDirective(const uint8_t* equals, const uint8_t* lineEnd, CharTable& table) {
  static const char kSkip[] = "skipmode";
  if (lineEnd - (equals + 1) >= 8 && std::memcmp(equals + 1, kSkip, 8) == 0) table.skipMode = true;
}

// Parses one line holding an active "=" into the next entry; false when the
// line gives no entry.
bool parseLine(uint8_t* line, uint8_t* equals, uint8_t* lineEnd, CharTable& table,
               const Messages& messages) {
  if (equals == line) {
    applyDirective(equals, lineEnd, table);
    return false;
  }
  uint8_t* right = equals + 1;
  int32_t leftLength = unescape(line, static_cast<int32_t>(equals - line));
  int32_t rightLength = unescape(right, static_cast<int32_t>(lineEnd - right));
  int32_t leftMarker = findMarker(line, 0, leftLength);
  int32_t rightMarker = -1;
  if (leftMarker >= 0) {
    bool second = findMarker(line, leftMarker + 4, leftLength) >= 0;
    rightMarker = findMarker(right, 0, rightLength);
    if (rightMarker >= 0 && findMarker(right, rightMarker + 4, rightLength) >= 0) second = true;
    if (second) {
      report(messages, "ERROR: currently supported only 1 copys char in string\n");
      return false;
    }
    encodeMarker(line + leftMarker);
    if (rightMarker >= 0) encodeMarker(right + rightMarker);
  }
  table.forward.push_back(
      TableEntry{line, leftLength, right, rightLength, leftMarker, rightMarker});
  return true;
}

int32_t sortKey(const TableEntry& e) { return e.leftMarker >= 0 ? e.leftMarker : e.leftLength; }

void sortForLookup(std::vector<TableEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const TableEntry& a, const TableEntry& b) {
    return sortKey(a) > sortKey(b);
  });
}

TableEntry swapped(const TableEntry& e) {
  return TableEntry{e.right, e.rightLength, e.left, e.leftLength, e.rightMarker, e.leftMarker};
}

// Largest produced/searched length ratio; entries whose searched side is
// empty can never match, so they do not count.
double sizeRatio(const std::vector<TableEntry>& entries) {
  double ratio = 1.0;
  for (const TableEntry& e : entries) {
    if (e.leftLength <= 0) continue;
    ratio = std::max(ratio, static_cast<double>(e.rightLength) / e.leftLength);
  }
  return ratio;
}

size_t countCrLf(const uint8_t* buffer, uint32_t length) {
  size_t count = 0;
  for (uint32_t i = 0; i + 1 < length; ++i)
    if (buffer[i] == kCR && buffer[i + 1] == kLF) ++count;
  return count;
}

}  // namespace

CharTable tblParse(std::vector<uint8_t> fileBytes, const Messages& messages) {
  CharTable table;
  table.text = std::move(fileBytes);
  uint32_t length = static_cast<uint32_t>(table.text.size());
  table.forward.reserve(countCrLf(table.text.data(), length) + 1);
  uint8_t* line = table.text.data();
  uint8_t* end = line + length;
  while (line <= end) {
    uint8_t* lineEnd = const_cast<uint8_t*>(findActiveCrLf(line, end));
    if (!lineEnd) lineEnd = end;
    uint8_t* equals = const_cast<uint8_t*>(findActiveEquals(line, lineEnd));
    if (equals) parseLine(line, equals, lineEnd, table, messages);
    if (lineEnd == end) break;
    line = lineEnd + 2;
  }
  table.reverse.reserve(table.forward.size());
  for (const TableEntry& e : table.forward) table.reverse.push_back(swapped(e));
  sortForLookup(table.forward);
  sortForLookup(table.reverse);
  table.forwardRatio = sizeRatio(table.forward);
  table.reverseRatio = sizeRatio(table.reverse);
  table.forwardIndex =
      tblIndexBuild(table.forward.data(), static_cast<uint32_t>(table.forward.size()));
  table.reverseIndex =
      tblIndexBuild(table.reverse.data(), static_cast<uint32_t>(table.reverse.size()));
  return table;
}

Result<CharTable> tblLoad(const char* path, const Messages& messages) {
  Result<CharTable> result;
  Result<std::vector<uint8_t>> file = loadRegularFile(path);
  if (!file.ok()) {
    result.status =
        failure("%sERROR: TBL init failed : file %s\n", file.status.message.c_str(), path);
    return result;
  }
  const std::vector<uint8_t>& bytes = file.value;
  uint32_t length = static_cast<uint32_t>(bytes.size());
  // A table saved with LF line ends reads as one line: say so, then go on.
  if (countCrLf(bytes.data(), length) == 0 && std::memchr(bytes.data(), kLF, length))
    report(messages, "WARN: table file uses LF line ends; entries are separated by CR LF : %s\n",
           path);
  result.value = tblParse(std::move(file.value), messages);
  return result;
}

TblDirection tblForward(const CharTable& table) {
  return {table.forward.data(), static_cast<uint32_t>(table.forward.size()), table.forwardRatio,
          table.forwardIndex.get()};
}

TblDirection tblReverse(const CharTable& table) {
  return {table.reverse.data(), static_cast<uint32_t>(table.reverse.size()), table.reverseRatio,
          table.reverseIndex.get()};
}
