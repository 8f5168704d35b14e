#include "lba/lba_image.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/le.h"
#include "frontend/alloc.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "platform/platform.h"

LbaSettings gLbaSettings;

uint32_t lbaEntryWord(const uint8_t* table, uint32_t entry) { return rd32(table + 4 * entry); }
uint32_t lbaStartSector(const uint8_t* table, uint32_t entry) {
  return lbaEntryWord(table, entry) & 0x3FFFFF;
}
bool lbaIsCompressed(const uint8_t* table, uint32_t entry) {
  return (table[4 * entry + 2] & 0x40) != 0;
}
bool lbaIsEmpty(const uint8_t* table, uint32_t entry) { return (table[4 * entry + 2] & 0x80) != 0; }
uint32_t lbaPaddingDiv8(const uint8_t* table, uint32_t entry) { return table[4 * entry + 3]; }

uint32_t lbaSizesRecord(const uint8_t* sizes, uint32_t entry) {
  const uint8_t* p = sizes + 3 * entry;
  return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
}

namespace {

// The stat family's load at an offset, but positioned with a 64-bit offset and
// zero-filled where the image ends before `length` bytes.
uint8_t* loadAt(const char* path, uint64_t offset, uint32_t length) {
  if (length == 0) fatal("ERROR: file \"%s\" has zero size\n", path);
  uint8_t* data = static_cast<uint8_t*>(std::calloc(length, 1));
  if (!data) fatal("ERROR: error allocating %u bytes\n", length);
  FILE* fp = fopenE(path, "rb");
  if (offset != 0 && (platFseek64(fp, static_cast<int64_t>(offset), SEEK_SET) != 0 || std::ferror(fp))) {
    int err = errno;
    report("ERROR: can't seek %lldB in file : %s : %s \n", static_cast<long long>(offset),
           fpToNameGet(fp), std::strerror(err));
    std::fclose(fp);
    exitFailure();
  }
  freadE(data, 1, length, fp);
  fcloseE(fp);
  return data;
}

// The image's length (by seeking, so that a disc device reports its size too).
uint64_t imageBytes(const char* path) {
  FILE* fp = platFopen(path, "rb");
  if (!fp) return 0;
  int64_t end = platFseek64(fp, 0, SEEK_END) == 0 ? platFtell64(fp) : 0;
  std::fclose(fp);
  return end > 0 ? static_cast<uint64_t>(end) : 0;
}

const uint32_t kSizesLoadMax = 1u << 20;

bool isFileEntry(const uint8_t* table, uint32_t entryCount, uint32_t e) {
  return e < entryCount && e < LBA_MAX_ENTRIES - 1 && !lbaIsEmpty(table, e) &&
         lbaStartSector(table, e + 1) != 0;
}

}  // namespace

void lbaCheckZeroed(const uint8_t* table) {
  uint32_t e = 0;
  for (; e < LBA_MAX_ENTRIES; ++e) {
    uint32_t start = lbaStartSector(table, e);
    if (start == 0) break;
    if (e == LBA_MAX_ENTRIES - 1) return;
    uint32_t next = lbaStartSector(table, e + 1);
    if (lbaIsEmpty(table, e) && next != 0 && next != start)
      report("WARN: lba entry %u : 'empty' flag, but next sector starts differ : %u vs %u", e, start,
             next);
  }
  for (uint32_t z = e + 1; z < LBA_MAX_ENTRIES; ++z) {
    if (lbaStartSector(table, z) != 0) {
      report("WARN: lba entry %u expected 'zeroed', first 'zeroed' was '%u'", z, e);
      return;
    }
  }
}

uint32_t lbaCountEntries(const uint8_t* table) {
  uint32_t count = 0;
  while (count < LBA_MAX_ENTRIES && lbaStartSector(table, count) != 0) ++count;
  return count;
}

int64_t lbaFindOrderFault(const uint8_t* table, uint32_t entryCount) {
  for (uint32_t i = 0; i + 1 < entryCount; ++i)
    if (lbaStartSector(table, i) > lbaStartSector(table, i + 1)) return i;
  return -1;
}

void lbaBuildFileList(LbaImage* image) {
  const uint8_t* table = image->table;
  uint32_t count = 0;
  for (uint32_t e = 0; e < image->entryCount; ++e) count += isFileEntry(table, image->entryCount, e);
  std::free(image->files);
  image->files = static_cast<LbaFile*>(mallocE(std::max<uint32_t>(count, 1) * sizeof(LbaFile)));
  image->fileCount = 0;
  for (uint32_t e = 0; e < image->entryCount; ++e) {
    if (!isFileEntry(table, image->entryCount, e)) continue;
    uint32_t start = lbaStartSector(table, e);
    uint32_t sectors = lbaStartSector(table, e + 1) - start;
    LbaFile& f = image->files[image->fileCount++];
    f.offset = static_cast<uint64_t>(start) * SECTOR_BYTES;
    f.size = (sectors * 256 - lbaPaddingDiv8(table, e)) * 8;
    f.span = sectors * SECTOR_BYTES;
    f.entry = e;
    f.compressed = lbaIsCompressed(table, e);
  }
}

LbaSizesPlan lbaPlanSizes(const uint8_t* table, uint32_t entryCount) {
  LbaSizesPlan plan;
  uint32_t d = lbaStartSector(table, SIZES_ENTRY + 1) - lbaStartSector(table, SIZES_ENTRY);
  plan.offset = static_cast<uint64_t>(lbaStartSector(table, SIZES_ENTRY)) * SECTOR_BYTES;
  plan.fileBytes = (d * 256 - lbaPaddingDiv8(table, SIZES_ENTRY)) * 8;
  plan.spanBytes = d * SECTOR_BYTES;
  plan.need = entryCount * 3;
  plan.tooFew = plan.fileBytes < plan.need - 3;
  plan.tooSmallRoom = !plan.tooFew && plan.spanBytes < plan.need;
  // Only the records and the file's own bytes are ever used or written back;
  // the rest of its room stays on disc as it is. A sizes file holds at most
  // 32768 records: anything much larger comes from a damaged table, and is not
  // held in memory beyond the records.
  plan.loadBytes = std::min(plan.spanBytes, std::max(plan.fileBytes, plan.need));
  plan.loadBytes = std::min(plan.loadBytes, std::max(plan.need, kSizesLoadMax));
  return plan;
}

void lbaCheckSizes(const LbaImage* image) {
  const uint8_t* table = image->table;
  const uint8_t* sizes = image->sizes;
  uint32_t filei = 0;
  for (uint32_t i = 0; i + 1 < image->entryCount; ++i) {
    uint32_t s = lbaSizesRecord(sizes, i);
    if (lbaIsEmpty(table, i)) {
      if (s != 0) report("WARN: lba set 'empty', but size is non zero : i=%u : size %X\n", i, s);
      continue;
    }
    if (i >= LBA_MAX_ENTRIES - 1 || lbaStartSector(table, i + 1) == 0) continue;
    if (i != SIZES_ENTRY && !lbaIsCompressed(table, i)) {
      uint32_t max = (lbaStartSector(table, i + 1) - lbaStartSector(table, i)) * 256;
      uint32_t padding = lbaPaddingDiv8(table, i);
      uint32_t computed = max - padding;
      if (s > max) {
        report("WARN: size(div8) bigger than max (starts diff): i=%u, filei=%u : %X vs %X\n", i,
               filei, s, max);
      } else if (!(padding == 255 && s <= computed) && !(computed == 256 && s == 0) &&
                 s != (computed & 0xFFFFFF)) {
        report("WARN: size(div8) read vs computed from lba differ: i=%u, filei=%u : %X vs %X\n", i,
               filei, s, computed);
      }
    }
    ++filei;
  }
  if (image->entryCount == 0) return;
  uint32_t t = image->entryCount - 1;
  if (!lbaIsEmpty(table, t)) report("WARN: last nonzero lba expected empty : id=%u\n", t);
  uint32_t last = lbaSizesRecord(sizes, t);
  if (last != 0)
    report("WARN: last nonzero lba expected to have zero size : id=%u : size %u\n", t, last);
}

static void loadSizes(LbaImage* image) {
  LbaSizesPlan plan = lbaPlanSizes(image->table, image->entryCount);
  const char* level = image->updateSizes ? "ERROR" : "WARN";
  bool usable = !plan.tooFew && !plan.tooSmallRoom;
  if (plan.tooFew || (plan.tooSmallRoom && !image->updateSizes)) {
    report("%s: %dth file with filessizes must have at last %u bytes : have %u\n", level,
           SIZES_ENTRY, plan.need - 3, plan.fileBytes);
  } else if (plan.tooSmallRoom) {
    report("ERROR: %dth file with filessizes must have maxsize at last %u bytes : have %u\n",
           SIZES_ENTRY, plan.need, plan.spanBytes);
  } else {
    // A damaged table may put the sizes file past the end of the image; it is
    // never read (nor allocated) beyond what the image holds.
    uint64_t have = imageBytes(image->path);
    if (plan.offset > have || have - plan.offset < plan.loadBytes) {
      report("%s: %dth file with filessizes ends past the end of the image : %s\n", level,
             SIZES_ENTRY, image->path);
      usable = false;
    }
  }
  if (!usable) {
    if (image->updateSizes) exitFailure();
    image->sizesFileIndex = image->entryCount;
    return;
  }
  image->sizes = loadAt(image->path, plan.offset, plan.loadBytes);
  image->sizesLength = std::min(plan.fileBytes, plan.loadBytes);
  image->sizesFileIndex = lbaFileIndexOf(image, SIZES_ENTRY);
  lbaCheckSizes(image);
}

LbaImage* lbaOpen(const char* path) {
  LbaImage* image = new LbaImage();
  image->path = path;
  image->previewSize = gLbaSettings.previewSize;
  image->printMode = gLbaSettings.printMode;
  image->updateSizes = gLbaSettings.updateSizes;
  image->padCompressed = gLbaSettings.padCompressed;
  image->padUncompressed = gLbaSettings.padUncompressed;

  image->table = loadAt(path, LBA_START, LBA_BYTES);
  lbaCheckZeroed(image->table);
  image->entryCount = lbaCountEntries(image->table);
  int64_t fault = lbaFindOrderFault(image->table, image->entryCount);
  if (fault >= 0) {
    uint32_t i = static_cast<uint32_t>(fault);
    fatal("ERROR: lba entry %u : sector start bigger than next : %u vs %u", i,
          lbaStartSector(image->table, i), lbaStartSector(image->table, i + 1));
  }
  lbaBuildFileList(image);
  loadSizes(image);
  return image;
}

void lbaFree(LbaImage* image) {
  if (!image) return;
  std::free(image->files);
  std::free(image->sizes);
  std::free(image->table);
  delete image;
}

FILE* lbaStream(LbaImage* image, const char* mode) {
  // An import writes whole files through this stream in small pieces; a
  // large buffer keeps the system calls few. Reading needs none: extraction
  // reads only a file's first bytes through it.
  static char buffer[kLbaStreamBuffer];
  if (!image->stream) {
    image->stream = fopenU(image->path, mode);
    if (std::strchr(mode, '+')) std::setvbuf(image->stream, buffer, _IOFBF, sizeof buffer);
  }
  return image->stream;
}

void lbaCloseStream(LbaImage* image) {
  if (image->stream) std::fclose(image->stream);
  image->stream = nullptr;
}

uint32_t lbaFileIndexOf(const LbaImage* image, uint32_t entry) {
  if (!isFileEntry(image->table, image->entryCount, entry)) return image->entryCount;
  const LbaFile* begin = image->files;
  const LbaFile* f = std::lower_bound(begin, begin + image->fileCount, entry,
                                      [](const LbaFile& a, uint32_t e) { return a.entry < e; });
  return static_cast<uint32_t>(f - image->files);
}

void lbaWriteHeader(LbaImage* image) {
  FILE* fp = lbaStream(image, "rb+");
  fseekU(fp, LBA_START, SEEK_SET);
  fwriteU(image->table, 1, image->entryCount * 4, fp);
  if (image->updateSizes && image->sizes) {
    fseekU(fp, static_cast<int64_t>(lbaStartSector(image->table, SIZES_ENTRY)) * SECTOR_BYTES,
           SEEK_SET);
    fwriteU(image->sizes, 1, image->sizesLength, fp);
  }
  // The stream is closed without a check; whatever it still buffers must reach
  // the image now, or the run must say it did not.
  if (std::fflush(fp) != 0) {
    report("ERROR: can't write to file : %s\n", std::strerror(errno));
    std::fclose(fp);
    exitFailure();
  }
}

void lbaSetPadding(LbaImage* image, uint32_t entry, uint32_t span, uint32_t size) {
  uint32_t unused = span - size;
  image->table[4 * entry + 3] = static_cast<uint8_t>(unused >= 2048 ? 255 : unused / 8);
}

void lbaSetSizesRecord(uint8_t* sizes, uint32_t entry, uint32_t bytes) {
  if (!sizes) return;
  uint32_t units = (bytes + 7) / 8;
  uint8_t* p = sizes + 3 * entry;
  p[0] = static_cast<uint8_t>(units);
  p[1] = static_cast<uint8_t>(units >> 8);
  p[2] = static_cast<uint8_t>(units >> 16);
}
