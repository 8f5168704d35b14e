// The disc image's file table (the LBA table) and the sizes file that goes
// with it, loaded into one record that every mode of kvolba works on.
//
// The library reports failures as values (common/outcome.h): warnings go to
// the caller's Messages, and nothing here ends the process.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/outcome.h"

constexpr uint32_t kLbaSectorBytes = 2048;
// The table: at a fixed place of the image, at most 64 sectors of 4-byte entries
// {startSector:22, compressed:1, empty:1, paddingDiv8:8}.
constexpr uint32_t kLbaTableOffset = 0x8c000;
constexpr uint32_t kLbaTableBytes = 131072;
constexpr uint32_t kLbaMaxEntries = kLbaTableBytes / 4;
constexpr uint32_t kLbaStartSectorMask = 0x3FFFFF;
constexpr uint8_t kLbaCompressedBit = 0x40;  // in the entry's third byte
constexpr uint8_t kLbaEmptyBit = 0x80;       // in the entry's third byte
// Padding is counted in 8-byte units; 255 means "a sector or more".
constexpr uint32_t kLbaPaddingUnit = 8;
constexpr uint32_t kLbaPaddingMax = 255;
// The sizes file is entry 15; it holds a 3-byte record per entry: the
// file's uncompressed size in 8-byte units.
constexpr uint32_t kLbaSizesEntry = 15;
constexpr uint32_t kLbaSizesRecordBytes = 3;

// Buffer size of the streams that copy whole files.
constexpr uint32_t kLbaStreamBuffer = 262144;

// One file of the table: an entry that is not 'empty' and has a successor.
struct LbaFile {
  uint64_t offset;  // startSector * 2048
  uint32_t size;    // bytes, from the room less the padding (32-bit arithmetic)
  uint32_t span;    // room in whole sectors, up to the next entry's start
  uint32_t entry;   // entry number in the table
  bool compressed;
};

// The run's settings from the command line; lbaLoad copies them into the image.
struct LbaSettings {
  int32_t previewSize = 16;
  int printMode = 0;
  bool updateSizes = true;
  int32_t padCompressed = 0;
  int32_t padUncompressed = 0;
};

struct LbaImage {
  std::string path;
  std::vector<uint8_t> table;  // kLbaTableBytes bytes
  uint32_t entryCount = 0;
  std::vector<uint8_t> sizes;  // the records and the sizes file's own bytes; empty: none
  uint32_t sizesLength = 0;    // bytes of `sizes` written back
  std::vector<LbaFile> files;
  uint32_t sizesFileIndex = 0;  // entryCount when there is no sizes file
  LbaSettings settings;
  uint32_t fileCount() const { return static_cast<uint32_t>(files.size()); }
};

// Fields of one raw table entry.
uint32_t lbaEntryWord(const uint8_t* table, uint32_t entry);
uint32_t lbaStartSector(const uint8_t* table, uint32_t entry);
bool lbaIsCompressed(const uint8_t* table, uint32_t entry);
bool lbaIsEmpty(const uint8_t* table, uint32_t entry);
uint32_t lbaPaddingDiv8(const uint8_t* table, uint32_t entry);
// The 3-byte record of an entry in the sizes file (size in 8-byte units).
uint32_t lbaSizesRecord(const uint8_t* sizes, uint32_t entry);

// Reads and checks the table and the sizes file of the image at `path`: the
// checks' warnings go to `messages`; a table whose starts decrease, a sizes
// file too small for its records (unless settings.updateSizes is off) or an
// image that cannot be read fail.
Result<LbaImage> lbaLoad(const char* path, const LbaSettings& settings, const Messages& messages);

// An open image stream, closed (unchecked) when it goes; its buffer lives as
// long as it does.
struct LbaStream {
  std::unique_ptr<char[]> buffer;
  std::unique_ptr<FILE, int (*)(FILE*)> fp{nullptr, std::fclose};
  FILE* get() const { return fp.get(); }
};
// Opens the image for reading ("rb") or for an import ("rb+", with a large
// buffer for the whole files written through it).
Result<LbaStream> lbaOpenStream(const char* path, const char* mode);

uint32_t lbaFileIndexOf(const LbaImage& image, uint32_t entry);

// The bytes of file `fileIndex` to copy out: its size, or 0 (with "WARN: file
// size bigger than its space") when the size wrapped; an index out of range
// fails with "WARN: index out of range : INDEX : IMAGE".
Result<uint32_t> lbaCopySize(const LbaImage& image, uint32_t fileIndex, const Messages& messages);
// "WARN: image ends inside the file ..." when only `done` of `size` bytes were there.
void lbaReportShortFile(const LbaImage& image, uint32_t fileIndex, uint32_t done, uint32_t size,
                        const Messages& messages);

// Reads file `fileIndex`'s stored bytes (compressed files with their header)
// from the open image. An image that ends inside the file gives the bytes
// there are; what lbaCopySize refuses or warns about as there.
Status lbaReadFile(const LbaImage& image, FILE* imageStream, uint32_t fileIndex,
                   std::vector<uint8_t>* out, const Messages& messages);

// Writes the table (and, with settings.updateSizes, the sizes file) into the
// open image and flushes it.
Status lbaWriteHeader(const LbaImage& image, FILE* imageStream);
void lbaSetPadding(LbaImage& image, uint32_t entry, uint32_t span, uint32_t size);
// No sizes file (empty `sizes`): nothing to do.
void lbaSetSizesRecord(std::vector<uint8_t>& sizes, uint32_t entry, uint32_t bytes);

// The checks of lbaLoad, one step each, on a table already in memory (the
// fuzzer drives them directly).
void lbaCheckZeroed(const uint8_t* table, const Messages& messages);
uint32_t lbaCountEntries(const uint8_t* table);
// Entry i whose start is bigger than entry i + 1's, or -1 when they ascend.
int64_t lbaFindOrderFault(const uint8_t* table, uint32_t entryCount);
// Fills files from table / entryCount.
void lbaBuildFileList(LbaImage& image);

// Where the sizes file lies and whether it can hold a record per entry.
struct LbaSizesPlan {
  uint64_t offset;     // byte offset of entry 15's sectors
  uint32_t fileBytes;  // its size as the table gives it
  uint32_t spanBytes;  // its room
  uint32_t need;       // entryCount * 3
  bool tooFew;         // fewer records than entries before the terminator
  bool tooSmallRoom;   // its room cannot hold a record for every entry
  uint32_t loadBytes;  // bytes to hold in memory when it is usable
};
LbaSizesPlan lbaPlanSizes(const uint8_t* table, uint32_t entryCount);
// The warnings of the sizes file against the table; `sizes` holds at least
// entryCount * 3 bytes.
void lbaCheckSizes(const LbaImage& image, const Messages& messages);
