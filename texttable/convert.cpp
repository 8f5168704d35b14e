#include "texttable/convert.h"

#include <cstring>
#include <utility>

#include "common/strutil.h"
#include "texttable/lookup.h"

namespace {

const uint32_t kMaxOutput = 0x7FFFFFFFu;

// Output that starts at the table's size estimate and grows when copy
// markers expand beyond it. `data` is kept at its capacity; `size` is used.
struct Output {
  std::vector<uint8_t> data;
  size_t size;
  bool tooBig;  // the result would pass 2 GiB; nothing more is added
};

bool reserve(Output& out, size_t extra) {
  if (out.size + extra <= out.data.size()) return true;
  size_t wanted = out.size + extra;
  size_t capacity = out.data.size() * 2 > wanted ? out.data.size() * 2 : wanted;
  if (capacity > kMaxOutput) capacity = wanted;
  if (capacity > kMaxOutput) {
    out.tooBig = true;
    return false;
  }
  out.data.resize(capacity);
  return true;
}

void append(Output& out, const uint8_t* bytes, size_t length) {
  if (length == 0 || !reserve(out, length)) return;
  std::memcpy(out.data.data() + out.size, bytes, length);
  out.size += length;
}

// Carries the marker's run from the input to the output, converting between
// raw bytes and hexadecimal text when the two markers differ.
void carryRun(Output& out, uint8_t fromKind, uint8_t toKind, const uint8_t* run, uint32_t count) {
  if (fromKind == toKind) {
    append(out, run, fromKind == kMarkerHex ? 2 * count : count);
  } else if (fromKind == kMarkerCopy) {
    if (!reserve(out, 2 * count)) return;
    char hex[3];
    for (uint32_t i = 0; i < count; ++i) {
      byteToHex(run[i], hex);
      out.data.data()[out.size++] = static_cast<uint8_t>(hex[0]);
      out.data.data()[out.size++] = static_cast<uint8_t>(hex[1]);
    }
  } else {
    if (!reserve(out, count)) return;
    for (uint32_t i = 0; i < count; ++i)
      out.data.data()[out.size++] =
          static_cast<uint8_t>(hexPairValue(reinterpret_cast<const char*>(run + 2 * i)));
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
  uint32_t produced =
      producesMarker ? static_cast<uint32_t>(e.rightMarker) : static_cast<uint32_t>(e.rightLength);
  append(out, e.right, produced);
  if (producesMarker) {
    carryRun(out, e.left[m], e.right[produced], input + m, e.left[m + 1]);
    append(out, e.right + produced + 4, static_cast<size_t>(e.rightLength) - produced - 4);
  }
  return m + carried + suffix;
}

}  // namespace

Result<std::vector<uint8_t>> tblConvert(const TblDirection& direction, bool skipMode,
                                        const uint8_t* input, uint32_t inputLength,
                                        std::vector<uint32_t>* unmatched) {
  Result<std::vector<uint8_t>> result;
  const TableEntry* entries = direction.entries;
  uint32_t count = direction.count;
  if (count == 0 || !entries) {
    result.status = failure("TBL:Given table not valid or not initialized\n");
    return result;
  }
  double estimate = direction.ratio * inputLength;
  if (estimate >= kMaxOutput) {
    result.status = failure("TBL:Memory alloc error: %ld bytes\n", static_cast<long>(estimate));
    return result;
  }
  Output out{std::vector<uint8_t>(static_cast<size_t>(estimate) + 1), 0, false};

  TblIndexPtr ownIndex;
  const TblIndex* index = direction.index;
  if (!index) index = (ownIndex = tblIndexBuild(entries, count)).get();

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
    if (unmatched) unmatched->push_back(static_cast<uint32_t>(p - input));
    if (!skipMode) append(out, p, 1);
    ++p;
    --remaining;
    // Right after an unmatched byte, a rest shorter than the last entry's
    // side is not looked up any more.
    if (remaining < tailLength) {
      if (unmatched)
        for (uint32_t k = 0; k < remaining; ++k)
          unmatched->push_back(static_cast<uint32_t>(p - input) + k);
      if (!skipMode) append(out, p, remaining);
      remaining = 0;
    }
  }
  if (out.tooBig) {
    result.status = failure("ERROR: cannot realloc %u bytes.\n", kMaxOutput);
    return result;
  }
  out.data.resize(out.size);
  result.value = std::move(out.data);
  return result;
}

Result<std::vector<uint8_t>> tblBytesToText(const CharTable& table, const uint8_t* input,
                                            uint32_t inputLength) {
  return tblConvert(tblForward(table), table.skipMode, input, inputLength);
}

Result<std::vector<uint8_t>> tblTextToBytes(const CharTable& table, const uint8_t* input,
                                            uint32_t inputLength,
                                            std::vector<uint32_t>* unmatched) {
  return tblConvert(tblReverse(table), table.skipMode, input, inputLength, unmatched);
}

namespace {

bool convertDialog(Result<std::vector<uint8_t>> converted, std::vector<uint8_t>* output,
                   const char* warning, unsigned number, const char* name,
                   const Messages& messages) {
  if (!converted.ok()) {
    report(messages, "%s", converted.status.message.c_str());
    report(messages, warning, number, name);
    return false;
  }
  *output = std::move(converted.value);
  return true;
}

}  // namespace

bool dialogToText(const CharTable& table, const uint8_t* input, uint32_t length,
                  std::vector<uint8_t>* output, unsigned number, const char* name,
                  const Messages& messages) {
  output->clear();
  if (!input || length == 0) return false;
  return convertDialog(tblBytesToText(table, input, length), output,
                       "WARN: dialog No.%u error converting : %s\n", number, name, messages);
}

bool dialogFromText(const CharTable& table, const uint8_t* input, uint32_t length,
                    std::vector<uint8_t>* output, unsigned number, const char* name,
                    const Messages& messages) {
  output->clear();
  if (!input || length == 0) return false;
  return convertDialog(tblTextToBytes(table, input, length), output,
                       "WARN: dialog No.%u error converting from txt : %s\n", number, name,
                       messages);
}
