#include "tests/texttable/linear_oracle.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

uint32_t carried(const TableEntry& e) {
  uint32_t n = e.left[e.leftMarker + 1];
  return e.left[e.leftMarker] == kMarkerHex ? 2 * n : n;
}

bool matches(const TableEntry& e, const uint8_t* p, uint32_t r) {
  if (e.leftMarker < 0)
    return e.leftLength > 0 && static_cast<uint32_t>(e.leftLength) <= r &&
           std::memcmp(p, e.left, e.leftLength) == 0;
  uint32_t m = e.leftMarker;
  uint32_t c = carried(e);
  uint32_t s = e.leftLength - m - 4;
  if (m >= r) return false;
  if (m + c + s == 0) return false;  // would consume nothing
  if (std::memcmp(p, e.left, m) != 0) return false;
  if (static_cast<uint64_t>(m) + c + s > r) return false;
  return s == 0 || std::memcmp(p + m + c, e.left + m + 4, s) == 0;
}

}  // namespace

std::vector<uint8_t> linearConvert(const uint8_t* input, uint32_t length, const TableEntry* entries,
                                   uint32_t count, bool skipMode) {
  std::vector<uint8_t> out;
  const uint8_t* p = input;
  uint32_t r = length;
  while (r > 0) {
    const TableEntry* hit = nullptr;
    for (uint32_t i = 0; i < count && !hit; ++i)
      if (matches(entries[i], p, r)) hit = &entries[i];
    if (!hit) {
      if (!skipMode) out.push_back(*p);
      ++p;
      --r;
      if (r < static_cast<uint32_t>(entries[count - 1].leftLength)) {
        if (!skipMode) out.insert(out.end(), p, p + r);
        r = 0;
      }
      continue;
    }
    const TableEntry& e = *hit;
    if (e.leftMarker < 0) {
      out.insert(out.end(), e.right, e.right + e.rightLength);
      p += e.leftLength;
      r -= e.leftLength;
      continue;
    }
    uint32_t m = e.leftMarker, n = e.left[m + 1], c = carried(e), s = e.leftLength - m - 4;
    uint32_t mp = e.rightMarker >= 0 ? e.rightMarker : e.rightLength;
    out.insert(out.end(), e.right, e.right + mp);
    const uint8_t* run = p + m;
    if (e.rightMarker >= 0) {
      uint8_t from = e.left[m], to = e.right[mp];
      if (from == to) {
        out.insert(out.end(), run, run + c);
      } else if (from == kMarkerCopy) {
        for (uint32_t i = 0; i < n; ++i) {
          char hex[3];
          std::snprintf(hex, sizeof hex, "%02X", run[i]);
          out.push_back(hex[0]);
          out.push_back(hex[1]);
        }
      } else {
        for (uint32_t i = 0; i < n; ++i) {
          // Leading hexadecimal digits only; none gives 0.
          std::string pair(reinterpret_cast<const char*>(run + 2 * i), 2);
          if (!std::isxdigit(static_cast<unsigned char>(pair[0])))
            pair = "0";
          else if (!std::isxdigit(static_cast<unsigned char>(pair[1])))
            pair.resize(1);
          out.push_back(static_cast<uint8_t>(std::strtoul(pair.c_str(), nullptr, 16)));
        }
      }
    }
    p += m + c + s;
    r -= m + c + s;
    if (e.rightMarker >= 0) out.insert(out.end(), e.right + mp + 4, e.right + e.rightLength);
  }
  return out;
}
