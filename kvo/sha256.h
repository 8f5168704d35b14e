// SHA-256 of a byte stream, fed in pieces (a disc image is hashed while it is
// read, never held whole).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct Sha256 {
  std::array<uint32_t, 8> state;
  std::array<uint8_t, 64> pending;  // bytes not yet hashed (fewer than 64)
  size_t pendingSize = 0;
  uint64_t totalSize = 0;
};

Sha256 sha256Start();
void sha256Add(Sha256& hash, const void* data, size_t size);
std::array<uint8_t, 32> sha256Finish(Sha256& hash);
// The digest as 64 lower-case hexadecimal digits.
std::string sha256Hex(const std::array<uint8_t, 32>& digest);
std::string sha256HexOf(const void* data, size_t size);
