#include "tests/codec/codec_testutil.h"

#include "codec/codec.h"
#include "tests/codec/plain_scan.h"

Bytes withHistory(const Bytes& data) {
  Bytes block(kCxHistory + data.size(), 0);
  for (size_t i = 0; i < data.size(); ++i) block[kCxHistory + i] = data[i];
  return block;
}

static uint32_t capacityFor(size_t n, uint32_t target) {
  const uint32_t cap = static_cast<uint32_t>(n + n / 125 + 2);
  return target > cap ? target : cap;
}

Bytes encodeFast(const Bytes& data, int type, uint32_t target) {
  Bytes in = withHistory(data);
  Bytes out(capacityFor(data.size(), target));
  const Result<uint32_t> n =
      cxEncode(in.data() + kCxHistory, static_cast<uint32_t>(data.size()), out.data(),
               static_cast<uint32_t>(out.size()), type, target, Messages());
  out.resize(n.value);
  return out;
}

Bytes encodePlain(const Bytes& data, int type, uint32_t target) {
  Bytes in = withHistory(data);
  Bytes out(capacityFor(data.size(), target));
  const uint32_t n = plainEncode(in.data() + kCxHistory, static_cast<uint32_t>(data.size()),
                                 out.data(), static_cast<uint32_t>(out.size()), type, target);
  out.resize(n);
  return out;
}

Bytes decodeStream(const Bytes& stream, uint32_t size, int type, std::string* messages) {
  Bytes out(kCxHistory + size, 0);
  const Result<uint32_t> n =
      cxDecode(stream.data(), static_cast<uint32_t>(stream.size()), out.data() + kCxHistory, size,
               type, messages ? collectInto(messages) : Messages());
  out.erase(out.begin(), out.begin() + kCxHistory);
  out.resize(n.value);
  return out;
}

Bytes compressFile(const Bytes& data, int type, uint32_t padding, uint32_t wanted) {
  const Bytes in = withHistory(data);
  const Result<CxBlock> file =
      cxCompressBuffer(in.data() + kCxHistory, static_cast<uint32_t>(data.size()), type, padding,
                       wanted, Messages());
  if (!file.ok()) return Bytes();
  return Bytes(file.value.data(), file.value.data() + file.value.size);
}

Bytes randomBytes(std::mt19937& rng, size_t n, int alphabet) {
  Bytes b(n);
  for (auto& v : b) v = static_cast<uint8_t>(rng() % alphabet);
  return b;
}

Bytes wordText(std::mt19937& rng, size_t n) {
  static const char* const kWords[] = {
      "the", "game",    "stores", "text",  "of",   "battle", "hero", "sword", "and", "in",
      "a",   "village", "the ",   "there", "then", "tower",  "\n",   ", ",    ". "};
  std::string s;
  while (s.size() < n) {
    s += kWords[rng() % (sizeof(kWords) / sizeof(kWords[0]))];
    s += ' ';
  }
  s.resize(n);
  return Bytes(s.begin(), s.end());
}

Bytes repeatByte(uint8_t value, size_t n) { return Bytes(n, value); }
