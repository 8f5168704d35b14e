// The game's compressed file format: a type byte, the 32-bit decompressed size,
// then the payload (type 0: the data itself; types 1 and 2: a token stream of
// raw runs, byte runs and back-references into the last 2048 or 4096 bytes).
#pragma once

#include <cstdint>
#include <cstdio>

// Every token stream is decoded as if 4096 zero bytes preceded the output;
// back-references at the start of a file may reach into them.
constexpr uint32_t kCxHistory = 4096;
constexpr uint32_t kCxHeaderSize = 5;
// Longest raw run a single flag byte can announce.
constexpr uint32_t kCxMaxRaw = 125;

// Back-reference geometry of one compressed type.
struct CxGeometry {
  uint32_t longest;     // longest back-reference L
  uint32_t window;      // largest distance W
  uint32_t countShift;  // count field position in the flag byte
  uint32_t countMask;
  uint32_t distHighMask;
};
constexpr CxGeometry kCxType1{18, 2048, 3, 0x0F, 0x07};
constexpr CxGeometry kCxType2{10, 4096, 4, 0x07, 0x0F};
// Type 1 or 2; any other type prints "unknown compression type" and exits.
CxGeometry cxGeometry(int type);

// Decodes a token stream into dst (which must have kCxHistory zero bytes in
// front of it) and returns the number of bytes produced. A short stream prints
// "WARN: not all decoded to output file".
uint32_t cxDecode(const uint8_t* src, uint32_t srcLen, uint8_t* dst, uint32_t dstCap, int type);
// cxDecode that also writes one log line per token (and a dump of the bytes
// it produced) to `log`.
uint32_t cxLogDecode(const uint8_t* src, uint32_t srcLen, uint8_t* dst, uint32_t dstCap, int type,
                     FILE* log);

// A block of kCxHistory zero bytes followed by `size` bytes; the data part is
// returned (release with cxFreeHistory). Blocks of 2 GiB or more, or failed
// allocations, print "ERROR: cannot malloc %u bytes." and exit.
uint8_t* cxAllocHistory(uint32_t size);
void cxFreeHistory(uint8_t* data);
// A block of `size` bytes, computed without wrapping; the same refusal rule.
uint8_t* cxMallocBlock(unsigned long long size);

// Refuses a block size as cxMallocBlock does, without allocating.
void cxCheckBlockSize(unsigned long long size);

// Whole-file decompression used by kvocx -d.
void cxDecompressFile(const char* inPath, const char* outPath);
// Whole-file decompression without a log, for both tools: the output file is
// written while the stream is decoded. `quoted` selects kvocxd's messages
// (fileLoadQ / fileSaveQ) instead of kvocx's (fileLoadE / fileSaveE).
void cxDecompressPlain(const char* inPath, const char* outPath, bool quoted);

// Greedy compressor. `in` must have kCxHistory zero bytes in front of it.
// `target` is the wanted stream size (0 = none): the end of the data is then
// stored uncompressed to make the stream larger. Returns the stream size,
// end token included.
uint32_t cxEncode(const uint8_t* in, uint32_t inLen, uint8_t* out, uint32_t outCap, int type,
                  uint32_t target);

// Compresses a memory image (with kCxHistory zero bytes in front of `in`) into
// a new block holding the complete compressed file; *fileSize is its length.
// padding 0 or 1 = none; wanted 0 = no wanted file size.
uint8_t* cxCompressBuffer(const uint8_t* in, uint32_t inLen, int type, uint32_t padding,
                          uint32_t wanted, uint32_t* fileSize);
// Whole-file compression used by kvocx -c.
void cxCompressFile(const char* inPath, const char* outPath, int type, uint32_t padding,
                    uint32_t wanted);

// Header checks shared by both decompressing tools: the type byte must be 0 to
// 2 and the file must hold the whole 5-byte header; both failures exit.
void cxCheckHeader(const uint8_t* file, uint32_t fileSize, const char* path);
// A stored (type 0) file must hold its whole declared data; exits otherwise.
void cxCheckStoredSize(uint32_t fileSize, uint32_t declared, const char* path);

// kvocxd's whole-file decompression: quoted-family messages, and with
// `logging` a header and one line per token written to logPath (created) or,
// when logPath is null, to standard output.
void cxdDecompressFile(const char* inPath, const char* outPath, bool logging, const char* logPath);
