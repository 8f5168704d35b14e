#include "lba/lba_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/strutil.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "lba/lba_image.h"
#include "lba/lba_names.h"

namespace {

const uint32_t kNameBytes = 17;

void printEntryPart(FILE* out, const uint8_t* table, uint32_t e) {
  std::fprintf(out, "%08X   %08X   %02X   %X   %X", lbaEntryWord(table, e), lbaStartSector(table, e),
               lbaPaddingDiv8(table, e), lbaIsCompressed(table, e) ? 1 : 0,
               lbaIsEmpty(table, e) ? 1 : 0);
}

void printFileLine(FILE* out, const LbaImage* image, const LbaFile& f, const char* hex,
                   const char* plain, const char* name) {
  uint32_t high = static_cast<uint32_t>(f.offset >> 32);
  uint32_t low = static_cast<uint32_t>(f.offset);
  switch (image->printMode) {
    case 2:
      std::fprintf(out, "%016X|%08X%08X|%08X|%s\n", lbaEntryWord(image->table, f.entry), high, low,
                   f.span, name);
      break;
    case 3:
      std::fprintf(out, "#  %-12s  0x%01X%08X  0x%08X\n", name, high, low, f.size);
      break;
    default:
      printEntryPart(out, image->table, f.entry);
      std::fprintf(out, "   %07X (%08u)\t%s   %s   %s\n", f.size, f.size, hex, plain, name);
      break;
  }
}

}  // namespace

void lbaList(const char* imagePath, FILE* out) {
  LbaImage* image = lbaOpen(imagePath);
  uint32_t preview = static_cast<uint32_t>(image->previewSize);
  uint32_t r = std::max<uint32_t>(preview, 16);
  uint64_t areaBytes = kNameBytes + (r + 1ull) + (2ull * preview + 1);
  // The work area starts zeroed: bytes past a short read at the image's end
  // keep what the previous file left there, never uninitialised memory.
  char* area = areaBytes <= UINT32_MAX ? static_cast<char*>(std::calloc(areaBytes, 1)) : nullptr;
  if (!area) fatal("ERROR: cannot malloc %llu bytes.\n", static_cast<unsigned long long>(areaBytes));
  char* name = area;
  uint8_t* data = reinterpret_cast<uint8_t*>(area + kNameBytes);
  char* hex = area + kNameBytes + r + 1;

  FILE* fp = fopenU(imagePath, "rb");
  for (uint32_t i = 0; i < image->fileCount; ++i) {
    const LbaFile& f = image->files[i];
    fseekU(fp, static_cast<int64_t>(f.offset), SEEK_SET);
    freadU(data, 1, r, fp);
    lbaFileName(name, i, f.compressed, data, r);
    bytesToHex(data, preview, hex);
    char* plain = reinterpret_cast<char*>(data);
    printableOrDot(plain, preview);
    plain[preview] = '\0';
    printFileLine(out, image, f, hex, plain, name);
    if (image->printMode == 0) {
      uint32_t end = i + 1 < image->fileCount ? image->files[i + 1].entry : image->entryCount;
      for (uint32_t e = f.entry + 1; e < end; ++e) {
        printEntryPart(out, image->table, e);
        std::fputc('\n', out);
      }
    }
  }
  std::fclose(fp);
  std::free(area);
  lbaFree(image);
}
