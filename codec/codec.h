// The game's compressed file format: a type byte, the 32-bit decompressed size,
// then the payload (type 0: the data itself; types 1 and 2: a token stream of
// raw runs, byte runs and back-references into the last 2048 or 4096 bytes).
//
// The library reports failures as values (common/outcome.h): warnings and the
// errors after which the work goes on go to the caller's Messages.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/fileload.h"
#include "common/outcome.h"

// Every token stream is decoded as if 4096 zero bytes preceded the output;
// back-references at the start of a file may reach into them.
constexpr uint32_t kCxHistory = 4096;
constexpr uint32_t kCxHeaderSize = 5;

// The flag byte that starts each token of a stream.
constexpr uint8_t kCxEndFlag = 0x00;
// Flags 1 to kCxMaxRaw: that many bytes follow and are copied as they are.
constexpr uint32_t kCxMaxRaw = 125;
// A run of one byte: count - kCxShortRunBias in one byte, then the value.
constexpr uint8_t kCxShortRunFlag = 0x7E;
constexpr uint32_t kCxShortRunBias = 4;
constexpr uint32_t kCxShortRunLongest = kCxShortRunBias + 0xFF;
// A longer run: the count in two bytes (little-endian), then the value.
constexpr uint8_t kCxLongRunFlag = 0x7F;
constexpr uint32_t kCxLongRunLongest = 0xFFFF;
// Flags from kCxBackRefFlag on: a back-reference; the flag's other bits and
// one more byte hold count - kCxShortestMatch and distance - 1.
constexpr uint8_t kCxBackRefFlag = 0x80;
constexpr uint32_t kCxShortestMatch = 3;

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
// Type 1 or 2; any other type fails with "unknown compression type".
Result<CxGeometry> cxGeometry(int type);

// A block of bytes owned by its holder. History blocks keep kCxHistory zero
// bytes in front of data(); `size` counts the bytes from data() on.
struct CxBlock {
  std::unique_ptr<uint8_t[]> bytes;
  uint32_t front = 0;
  uint32_t size = 0;
  uint8_t* data() const { return bytes.get() + front; }
};
// Blocks of 2 GiB or more, and allocations that fail, are refused with
// "ERROR: cannot malloc N bytes." (N the whole block's size).
Status cxCheckBlockSize(unsigned long long size);
Result<CxBlock> cxAllocBlock(unsigned long long size);
Result<CxBlock> cxAllocHistory(uint32_t size);

// Decodes a token stream into dst (which must have kCxHistory zero bytes in
// front of it) and returns the number of bytes produced. A short stream
// reports "WARN: not all decoded to output file".
Result<uint32_t> cxDecode(const uint8_t* src, uint32_t srcLen, uint8_t* dst, uint32_t dstCap,
                          int type, const Messages& messages);
// cxDecode that also writes one log line per token (and a dump of the bytes
// it produced) to `log`.
Result<uint32_t> cxLogDecode(const uint8_t* src, uint32_t srcLen, uint8_t* dst, uint32_t dstCap,
                             int type, FILE* log, const Messages& messages);

// Header checks shared by both decompressing tools: the type byte must be 0 to
// 2 and the file must hold the whole 5-byte header.
Status cxCheckHeader(const uint8_t* file, uint32_t fileSize, const char* path);
// A stored (type 0) file must hold its whole declared data.
Status cxCheckStoredSize(uint32_t fileSize, uint32_t declared, const char* path);

// Whole-file decompression without a log, for both tools: the output file is
// written while the stream is decoded. The wording selects the load and save
// messages: kvocx's plain ones or kvocxd's quoted ones.
Status cxDecompressPlain(const char* inPath, const char* outPath, FileWording wording,
                         const Messages& messages);
// kvocx -d.
Status cxDecompressFile(const char* inPath, const char* outPath, const Messages& messages);
// kvocxd's whole-file decompression: quoted messages, and with `logging` a
// header and one line per token written to logPath (created) or, when
// logPath is null, to standard output.
Status cxdDecompressFile(const char* inPath, const char* outPath, bool logging, const char* logPath,
                         const Messages& messages);

// A compressed file held in memory, decompressed into `buffer` (which a
// caller keeps from file to file, so that a run over thousands of files
// allocates once: it only grows): the header checks of the tools, and a
// short stream's "WARN: not all decoded to output file" with its missing
// bytes zero, as the tools write them. `name` is for messages. The
// decompressed bytes (the returned count) start at buffer.data() + kCxHistory.
Result<uint32_t> cxDecompressReusing(const uint8_t* file, uint32_t fileSize, const char* name,
                                     std::vector<uint8_t>& buffer, const Messages& messages);

// Greedy compressor. `in` must have kCxHistory zero bytes in front of it.
// `target` is the wanted stream size (0 = none): the end of the data is then
// stored uncompressed to make the stream larger. Returns the stream size,
// end token included.
Result<uint32_t> cxEncode(const uint8_t* in, uint32_t inLen, uint8_t* out, uint32_t outCap,
                          int type, uint32_t target, const Messages& messages);

// Compresses a memory image (with kCxHistory zero bytes in front of `in`) into
// a new block holding the complete compressed file (`size` its length).
// padding 0 or 1 = none; wanted 0 = no wanted file size.
Result<CxBlock> cxCompressBuffer(const uint8_t* in, uint32_t inLen, int type, uint32_t padding,
                                 uint32_t wanted, const Messages& messages);
// kvocx -c.
Status cxCompressFile(const char* inPath, const char* outPath, int type, uint32_t padding,
                      uint32_t wanted, const Messages& messages);
