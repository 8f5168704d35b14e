// The disc image's file table (the LBA table) and the sizes file that goes
// with it, loaded into one record that every mode of kvolba works on.
#pragma once

#include <cstdint>
#include <cstdio>

enum : uint32_t {
  SECTOR_BYTES = 2048,
  LBA_START = 0x8c000,
  LBA_BYTES = 131072,
  LBA_MAX_ENTRIES = 32768,
  SIZES_ENTRY = 15,
};

// Buffer size of the streams that copy whole files.
enum : uint32_t { kLbaStreamBuffer = 262144 };

// One file of the table: an entry that is not 'empty' and has a successor.
struct LbaFile {
  uint64_t offset;   // startSector * 2048
  uint32_t size;     // bytes, from the room less the padding (32-bit arithmetic)
  uint32_t span;     // room in whole sectors, up to the next entry's start
  uint32_t entry;    // entry number in the table
  bool compressed;
};

// The run's settings from the command line; lbaOpen copies them into the image.
struct LbaSettings {
  int32_t previewSize = 16;
  int printMode = 0;
  bool updateSizes = true;
  int32_t padCompressed = 0;
  int32_t padUncompressed = 0;
};
extern LbaSettings gLbaSettings;

struct LbaImage {
  const char* path = nullptr;
  uint8_t* table = nullptr;      // LBA_BYTES bytes
  uint32_t entryCount = 0;
  uint8_t* sizes = nullptr;      // the sizes file, or null
  uint32_t sizesLength = 0;
  LbaFile* files = nullptr;
  uint32_t fileCount = 0;
  uint32_t sizesFileIndex = 0;
  FILE* stream = nullptr;
  int32_t previewSize = 16;
  int printMode = 0;
  bool updateSizes = true;
  int32_t padCompressed = 0;
  int32_t padUncompressed = 0;
};

// Fields of one raw table entry.
uint32_t lbaEntryWord(const uint8_t* table, uint32_t entry);
uint32_t lbaStartSector(const uint8_t* table, uint32_t entry);
bool lbaIsCompressed(const uint8_t* table, uint32_t entry);
bool lbaIsEmpty(const uint8_t* table, uint32_t entry);
uint32_t lbaPaddingDiv8(const uint8_t* table, uint32_t entry);
// The 3-byte record of an entry in the sizes file (size in 8-byte units).
uint32_t lbaSizesRecord(const uint8_t* sizes, uint32_t entry);

LbaImage* lbaOpen(const char* path);
void lbaFree(LbaImage* image);
FILE* lbaStream(LbaImage* image, const char* mode);
void lbaCloseStream(LbaImage* image);
uint32_t lbaFileIndexOf(const LbaImage* image, uint32_t entry);
void lbaWriteHeader(LbaImage* image);
void lbaSetPadding(LbaImage* image, uint32_t entry, uint32_t span, uint32_t size);
void lbaSetSizesRecord(uint8_t* sizes, uint32_t entry, uint32_t bytes);

// The checks of lbaOpen, one step each, on a table already in memory (the
// fuzzer drives them directly).
void lbaCheckZeroed(const uint8_t* table);
uint32_t lbaCountEntries(const uint8_t* table);
// Entry i whose start is bigger than entry i + 1's, or -1 when they ascend.
int64_t lbaFindOrderFault(const uint8_t* table, uint32_t entryCount);
// Fills files / fileCount from table / entryCount.
void lbaBuildFileList(LbaImage* image);

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
void lbaCheckSizes(const LbaImage* image);
