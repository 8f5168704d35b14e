// Helpers shared by the codec tests: buffers with the zero history in front,
// and compressing / decompressing in memory.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "common/outcome.h"
#include "tests/support/bytes.h"

// The data with 4096 zero bytes in front; data() + 4096 is the first data byte.
Bytes withHistory(const Bytes& data);

// The token stream of cxEncode (fast search) or of the plain scan.
Bytes encodeFast(const Bytes& data, int type, uint32_t target = 0);
Bytes encodePlain(const Bytes& data, int type, uint32_t target = 0);
// Decodes a token stream into `size` bytes; the decoder's messages are
// appended to `messages` when given.
Bytes decodeStream(const Bytes& stream, uint32_t size, int type, std::string* messages = nullptr);
// The complete compressed file of the data.
Bytes compressFile(const Bytes& data, int type, uint32_t padding = 0, uint32_t wanted = 0);

// Test inputs.
Bytes randomBytes(std::mt19937& rng, size_t n, int alphabet = 256);
Bytes wordText(std::mt19937& rng, size_t n);
Bytes repeatByte(uint8_t value, size_t n);
