// Building and reading test files byte by byte: little-endian fields and
// joined pieces, written once for every test folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "tests/support/testsupport.h"

// The low 2, 3 or 4 bytes of `value` stored little-endian at `at`.
void put16(Bytes& bytes, size_t at, uint32_t value);
void put24(Bytes& bytes, size_t at, uint32_t value);
void put32(Bytes& bytes, size_t at, uint32_t value);
// The little-endian 3- or 4-byte field at `at`.
uint32_t get24(const Bytes& bytes, size_t at);
uint32_t get32(const Bytes& bytes, size_t at);

// The four little-endian bytes of `value`.
Bytes le32(uint32_t value);
// The parts one after the other.
Bytes concat(std::initializer_list<Bytes> parts);

// A file of `size` bytes that shows every shift of a copy (byte i is i*13+1).
Bytes pattern(size_t size);

// A compressed file: type byte, decompressed size, then the stream bytes.
Bytes compressedFile(uint8_t type, uint32_t decompressedSize, const Bytes& stream);
