#include "texttable/convert.h"

#include <cstdlib>
#include <cstring>

#include "common/strutil.h"
#include "frontend/frontend.h"
#include "texttable/lookup.h"

namespace {

// The ratio that sizes the first output allocation: the direction last used.
double g_sizingRatio = 1.0;

// Output that starts at the table's size estimate and grows when copy
// markers expand beyond it.
struct Output {
  uint8_t* data;
  size_t size;
  size_t capacity;
};

void reserve(Output& out, size_t extra) {
  if (out.size + extra <= out.capacity) return;
  size_t wanted = out.size + extra;
  size_t capacity = out.capacity * 2 > wanted ? out.capacity * 2 : wanted;
  if (capacity > 0x7FFFFFFFu) capacity = wanted;
  if (capacity > 0x7FFFFFFFu) fatal("ERROR: cannot realloc %u bytes.\n", static_cast<unsigned>(capacity));
  uint8_t* grown = static_cast<uint8_t*>(std::realloc(out.data, capacity));
  if (!grown) fatal("ERROR: cannot realloc %u bytes.\n", static_cast<unsigned>(capacity));
  out.data = grown;
  out.capacity = capacity;
}

void append(Output& out, const uint8_t* bytes, size_t length) {
  if (length == 0) return;
  reserve(out, length);
  std::memcpy(out.data + out.size, bytes, length);
  out.size += length;
}

// Carries the marker's run from the input to the output, converting between
// raw bytes and hexadecimal text when the two markers differ.
void carryRun(Output& out, uint8_t fromKind, uint8_t toKind, const uint8_t* run, uint32_t count) {
  if (fromKind == toKind) {
    append(out, run, fromKind == kMarkerHex ? 2 * count : count);
  } else if (fromKind == kMarkerCopy) {
    reserve(out, 2 * count);
    char hex[3];
    for (uint32_t i = 0; i < count; ++i) {
      byteToHex(run[i], hex);
      out.data[out.size++] = static_cast<uint8_t>(hex[0]);
      out.data[out.size++] = static_cast<uint8_t>(hex[1]);
    }
  } else {
    reserve(out, count);
    for (uint32_t i = 0; i < count; ++i)
      out.data[out.size++] = static_cast<uint8_t>(hexPairValue(reinterpret_cast<const char*>(run + 2 * i)));
  }
}

// Applies a matched entry at `input`; returns the number of input bytes used.
uint32_t applyEntry(Output& out, const TableEntry& e, const uint8_t* input) {
  if (e.leftMarker < 0) {
    append(out, e.right, static_cast<size_t>(e.rightLength));
    return static_cast<uint32_t>(e.leftLength);
  }
  uint32_t m = static_cast<uint32_t>(e.leftMarker);
  uint32_t carried = tblCarriedLength(e);
  uint32_t suffix = static_cast<uint32_t>(e.leftLength) - m - 4;
  bool producesMarker = e.rightMarker >= 0;
  uint32_t produced = producesMarker ? static_cast<uint32_t>(e.rightMarker) : static_cast<uint32_t>(e.rightLength);
  append(out, e.right, produced);
  if (producesMarker) {
    carryRun(out, e.left[m], e.right[produced], input + m, e.left[m + 1]);
    append(out, e.right + produced + 4, static_cast<size_t>(e.rightLength) - produced - 4);
  }
  return m + carried + suffix;
}

bool isTableArray(const TableEntry* entries, uint32_t count, const TableEntry* array) {
  return entries == array && count == tblTable().count;
}

}  // namespace

int32_t tblConvert(const uint8_t* input, uint32_t inputLength, uint8_t** output,
                   uint32_t* outputLength, const TableEntry* entries, uint32_t count) {
  *outputLength = 0;
  if (count == 0 || !entries) {
    report("TBL:Given table not valid or not initialized\n");
    return -1;
  }
  double estimate = g_sizingRatio * inputLength;
  if (estimate >= 0x7FFFFFFF) {
    report("TBL:Memory alloc error: %ld bytes\n", static_cast<long>(estimate));
    return -1;
  }
  size_t allocated = static_cast<size_t>(estimate) + 1;
  Output out{static_cast<uint8_t*>(std::malloc(allocated)), 0, allocated};
  if (!out.data) {
    report("TBL:Memory alloc error: %ld bytes\n", static_cast<long>(allocated));
    return -1;
  }

  const CharTable& table = tblTable();
  const TblIndex* index = nullptr;
  TblIndex* ownIndex = nullptr;
  if (isTableArray(entries, count, table.forward)) index = table.forwardIndex;
  else if (isTableArray(entries, count, table.reverse)) index = table.reverseIndex;
  else index = ownIndex = tblIndexBuild(entries, count);

  bool skip = table.skipMode;
  uint32_t tailLength = static_cast<uint32_t>(entries[count - 1].leftLength);
  const uint8_t* p = input;
  uint32_t remaining = inputLength;
  while (remaining > 0) {
    int32_t match = tblIndexFind(index, entries, p, remaining);
    if (match >= 0) {
      uint32_t used = applyEntry(out, entries[match], p);
      p += used;
      remaining -= used;
      continue;
    }
    if (!skip) append(out, p, 1);
    ++p;
    --remaining;
    // Right after an unmatched byte, a rest shorter than the last entry's
    // side is not looked up any more.
    if (remaining < tailLength) {
      if (!skip) append(out, p, remaining);
      remaining = 0;
    }
  }
  tblIndexFree(ownIndex);

  if (out.size == 0) {
    std::free(out.data);
    out.data = nullptr;
  } else if (out.size != out.capacity) {
    uint8_t* shrunk = static_cast<uint8_t*>(std::realloc(out.data, out.size));
    if (shrunk) out.data = shrunk;
    else report("cant reallocate %ld to %ld\n", static_cast<long>(out.capacity), static_cast<long>(out.size));
  }
  *output = out.data;
  *outputLength = static_cast<uint32_t>(out.size);
  return static_cast<int32_t>(inputLength);
}

int32_t tblBytesToText(const uint8_t* input, uint32_t inputLength, uint8_t** output,
                       uint32_t* outputLength) {
  TblDirection forward = tblForward();
  g_sizingRatio = forward.ratio;
  return tblConvert(input, inputLength, output, outputLength, forward.entries, forward.count);
}

int32_t tblTextToBytes(const uint8_t* input, uint32_t inputLength, uint8_t** output,
                       uint32_t* outputLength) {
  TblDirection reverse = tblReverse();
  g_sizingRatio = reverse.ratio;
  return tblConvert(input, inputLength, output, outputLength, reverse.entries, reverse.count);
}

namespace {

bool convertDialog(int32_t (*convert)(const uint8_t*, uint32_t, uint8_t**, uint32_t*),
                   const uint8_t* input, uint32_t length, uint8_t** output, uint32_t* outputLength,
                   const char* warning, unsigned number, const char* name) {
  *output = nullptr;
  *outputLength = 0;
  if (!input || length == 0) return false;
  if (convert(input, length, output, outputLength) < 0) {
    report(warning, number, name);
    return false;
  }
  return true;
}

}  // namespace

bool dialogToText(const uint8_t* input, uint32_t length, uint8_t** output,
                  uint32_t* outputLength, unsigned number, const char* name) {
  return convertDialog(tblBytesToText, input, length, output, outputLength,
                       "WARN: dialog No.%u error converting : %s\n", number, name);
}

bool dialogFromText(const uint8_t* input, uint32_t length, uint8_t** output,
                    uint32_t* outputLength, unsigned number, const char* name) {
  return convertDialog(tblTextToBytes, input, length, output, outputLength,
                       "WARN: dialog No.%u error converting from txt : %s\n", number, name);
}
