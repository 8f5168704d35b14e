#include "tests/support/bytes.h"

namespace {
void putLittleEndian(Bytes& bytes, size_t at, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t getLittleEndian(const Bytes& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
  return value;
}
}  // namespace

void put16(Bytes& bytes, size_t at, uint32_t value) { putLittleEndian(bytes, at, value, 2); }
void put24(Bytes& bytes, size_t at, uint32_t value) { putLittleEndian(bytes, at, value, 3); }
void put32(Bytes& bytes, size_t at, uint32_t value) { putLittleEndian(bytes, at, value, 4); }
uint32_t get24(const Bytes& bytes, size_t at) { return getLittleEndian(bytes, at, 3); }
uint32_t get32(const Bytes& bytes, size_t at) { return getLittleEndian(bytes, at, 4); }

Bytes le32(uint32_t value) {
  Bytes bytes(4);
  put32(bytes, 0, value);
  return bytes;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes pattern(size_t size) {
  Bytes data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i * 13 + 1);
  return data;
}

Bytes compressedFile(uint8_t type, uint32_t decompressedSize, const Bytes& stream) {
  return concat({{type}, le32(decompressedSize), stream});
}
