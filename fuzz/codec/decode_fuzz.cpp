// Any bytes as a compressed file: the plain decoder and the logging decoder
// must stay inside their buffers and produce the same output.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "codec/codec.h"
#include "common/le.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kCxHeaderSize) return 0;
  const int type = 1 + data[0] % 2;
  // The declared size is kept small so that a run stays fast.
  const uint32_t declared = rd32(data + 1) % (1u << 18);
  const uint8_t* stream = data + kCxHeaderSize;
  const uint32_t streamLen = static_cast<uint32_t>(size - kCxHeaderSize);
  static FILE* sink = std::fopen("/dev/null", "w");
  const Result<CxBlock> plain = cxAllocHistory(declared);
  const Result<CxBlock> logged = cxAllocHistory(declared);
  if (!plain.ok() || !logged.ok()) std::abort();
  const Result<uint32_t> a =
      cxDecode(stream, streamLen, plain.value.data(), declared, type, Messages());
  const Result<uint32_t> b =
      cxLogDecode(stream, streamLen, logged.value.data(), declared, type, sink, Messages());
  if (!a.ok() || !b.ok() || a.value != b.value || a.value > declared ||
      std::memcmp(plain.value.data(), logged.value.data(), a.value) != 0)
    std::abort();
  return 0;
}
