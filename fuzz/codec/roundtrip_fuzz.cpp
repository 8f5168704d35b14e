// Compress any bytes with either type, a padding multiple and a wanted size:
// the stream must equal the plain backward scan's, the file must have the
// padding, and decoding must give the input back.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "codec/codec.h"
#include "common/le.h"
#include "tests/codec/plain_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const int type = 1 + (data[0] & 1);
  const uint32_t padding = data[1] % 24;
  const uint32_t n = static_cast<uint32_t>(size - 4);
  const uint32_t wanted = (data[0] & 2) ? (data[2] | (data[3] << 8)) % (2 * n + 40) : 0;
  std::vector<uint8_t> in(kCxHistory + n, 0);
  std::memcpy(in.data() + kCxHistory, data + 4, n);

  const Result<CxBlock> compressed =
      cxCompressBuffer(in.data() + kCxHistory, n, type, padding, wanted, Messages());
  if (!compressed.ok()) std::abort();
  const uint8_t* file = compressed.value.data();
  const uint32_t fileSize = compressed.value.size;
  if (file[0] != type || rd32(file + 1) != n) std::abort();
  if (padding > 1 && fileSize % padding != 0) std::abort();

  const uint32_t target = wanted > kCxHeaderSize ? wanted - kCxHeaderSize : 0;
  std::vector<uint8_t> plain(n + n / 125 + 2 + target);
  const uint32_t plainLen = plainEncode(in.data() + kCxHistory, n, plain.data(),
                                        static_cast<uint32_t>(plain.size()), type, target);
  if (plainLen + kCxHeaderSize > fileSize ||
      std::memcmp(plain.data(), file + kCxHeaderSize, plainLen) != 0)
    std::abort();
  for (uint32_t i = plainLen + kCxHeaderSize; i < fileSize; ++i)
    if (file[i] != 0) std::abort();

  const Result<CxBlock> out = cxAllocHistory(n);
  if (!out.ok()) std::abort();
  const Result<uint32_t> got = cxDecode(file + kCxHeaderSize, fileSize - kCxHeaderSize,
                                        out.value.data(), n, type, Messages());
  if (got.value != n || std::memcmp(out.value.data(), data + 4, n) != 0) std::abort();
  return 0;
}
