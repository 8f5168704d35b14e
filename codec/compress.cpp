#include <cstring>
#include <vector>

#include "codec/codec.h"
#include "common/le.h"
#include "platform/filemap.h"

Result<CxBlock> cxCompressBuffer(const uint8_t* in, uint32_t inLen, int type, uint32_t padding,
                                 uint32_t wanted, const Messages& messages) {
  const Result<CxGeometry> geometry = cxGeometry(type);
  if (!geometry.ok()) return {CxBlock(), geometry.status};
  // Worst case: raw runs of 125 bytes, the end token, the header and padding.
  // Computed in 64 bits so that no size wraps.
  unsigned long long cap = 0ull + padding + inLen + inLen / kCxMaxRaw + 7;
  if (wanted != 0 && 0ull + padding + wanted > cap) cap = 0ull + padding + wanted;
  Result<CxBlock> file = cxAllocBlock(cap);
  if (!file.ok()) return file;
  uint8_t* const out = file.value.data();
  const uint32_t capacity = static_cast<uint32_t>(cap);
  out[0] = static_cast<uint8_t>(type);
  wr32(out + 1, inLen);
  // A wanted size of 5 bytes or less leaves no room for a stream: no target.
  const uint32_t target = wanted > kCxHeaderSize ? wanted - kCxHeaderSize : 0;
  const Result<uint32_t> stream =
      cxEncode(in, inLen, out + kCxHeaderSize, capacity - kCxHeaderSize, type, target, messages);
  if (!stream.ok()) return {CxBlock(), stream.status};
  unsigned long long size = 0ull + stream.value + kCxHeaderSize;
  if (padding > 1 && size % padding != 0) {
    const unsigned long long padded = size + (padding - size % padding);
    if (size < capacity) std::memset(out + size, 0, (padded < capacity ? padded : capacity) - size);
    size = padded;
  }
  if (size > capacity)
    report(messages, "ERROR: output data out of buffer range (align) : needed %llu - got %u\n",
           size, capacity);
  file.value.size = static_cast<uint32_t>(size < capacity ? size : capacity);
  return file;
}

Status cxCompressFile(const char* inPath, const char* outPath, int type, uint32_t padding,
                      uint32_t wanted, const Messages& messages) {
  // The input is mapped behind a zero history where possible, else loaded.
  PlatFileMap map;
  Result<std::vector<uint8_t>> loaded;
  const uint8_t* in = nullptr;
  uint32_t inLen = 0;
  if (map.map(inPath, outPath, kCxHistory)) {
    in = map.data();
    inLen = map.size();
  } else {
    loaded = loadFile(inPath, FileWording::Plain, kCxHistory);
    if (!loaded.ok()) return loaded.status;
    in = loaded.value.data() + kCxHistory;
    inLen = static_cast<uint32_t>(loaded.value.size() - kCxHistory);
  }
  Result<CxBlock> file = cxCompressBuffer(in, inLen, type, padding, wanted, messages);
  map.unmap();
  loaded.value = std::vector<uint8_t>();
  if (!file.ok()) return file.status;
  return saveFile(outPath, file.value.data(), file.value.size, FileWording::Plain);
}
