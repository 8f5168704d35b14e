#include <cstdlib>
#include <cstring>

#include "codec/codec.h"
#include "codec/filemap.h"
#include "common/diag.h"
#include "common/fileload.h"
#include "common/le.h"

uint8_t* cxCompressBuffer(const uint8_t* in, uint32_t inLen, int type, uint32_t padding,
                          uint32_t wanted, uint32_t* fileSize) {
  // Worst case: raw runs of 125 bytes, the end token, the header and padding.
  // Computed in 64 bits so that no size wraps.
  unsigned long long cap = 0ull + padding + inLen + inLen / kCxMaxRaw + 7;
  if (wanted != 0 && 0ull + padding + wanted > cap) cap = 0ull + padding + wanted;
  uint8_t* out = cxMallocBlock(cap);
  const uint32_t capacity = static_cast<uint32_t>(cap);
  out[0] = static_cast<uint8_t>(type);
  wr32(out + 1, inLen);
  // A wanted size of 5 bytes or less leaves no room for a stream: no target.
  const uint32_t target = wanted > kCxHeaderSize ? wanted - kCxHeaderSize : 0;
  const uint32_t stream =
      cxEncode(in, inLen, out + kCxHeaderSize, capacity - kCxHeaderSize, type, target);
  unsigned long long size = 0ull + stream + kCxHeaderSize;
  if (padding > 1 && size % padding != 0) {
    const unsigned long long padded = size + (padding - size % padding);
    if (size < capacity) std::memset(out + size, 0, (padded < capacity ? padded : capacity) - size);
    size = padded;
  }
  if (size > capacity)
    report("ERROR: output data out of buffer range (align) : needed %llu - got %u\n", size,
           capacity);
  *fileSize = static_cast<uint32_t>(size < capacity ? size : capacity);
  return out;
}

void cxCompressFile(const char* inPath, const char* outPath, int type, uint32_t padding,
                    uint32_t wanted) {
  // The input is mapped behind a zero history where possible, else loaded.
  CxFileMap map;
  uint8_t* block = nullptr;
  const uint8_t* in = nullptr;
  uint32_t inLen = 0;
  if (cxMapFile(inPath, outPath, &map, kCxHistory)) {
    in = map.data;
    inLen = map.size;
  } else {
    long size = 0;
    block = fileLoadE(inPath, &size, kCxHistory, 0);
    std::memset(block, 0, kCxHistory);
    in = block + kCxHistory;
    inLen = static_cast<uint32_t>(size);
  }
  uint32_t fileSize = 0;
  uint8_t* out = cxCompressBuffer(in, inLen, type, padding, wanted, &fileSize);
  cxUnmapFile(&map);
  std::free(block);
  fileSaveE(outPath, out, fileSize);
  std::free(out);
}
