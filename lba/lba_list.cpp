#include "lba/lba_list.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "common/streams.h"
#include "common/strutil.h"
#include "lba/lba_names.h"

namespace {

// Room once kept for a file name in the work area; still counted in the
// size a failed allocation names.
const uint32_t kNameBytes = 17;

void printEntryPart(FILE* out, const uint8_t* table, uint32_t e) {
  std::fprintf(out, "%08X   %08X   %02X   %X   %X", lbaEntryWord(table, e),
               lbaStartSector(table, e), lbaPaddingDiv8(table, e),
               lbaIsCompressed(table, e) ? 1 : 0, lbaIsEmpty(table, e) ? 1 : 0);
}

void printFileLine(FILE* out, const LbaImage& image, const LbaFile& f, const char* hex,
                   const char* plain, const std::string& name) {
  uint32_t high = static_cast<uint32_t>(f.offset >> 32);
  uint32_t low = static_cast<uint32_t>(f.offset);
  switch (image.settings.printMode) {
    case 2:
      std::fprintf(out, "%016X|%08X%08X|%08X|%s\n", lbaEntryWord(image.table.data(), f.entry), high,
                   low, f.span, name.c_str());
      break;
    case 3:
      std::fprintf(out, "#  %-12s  0x%01X%08X  0x%08X\n", name.c_str(), high, low, f.size);
      break;
    default:
      printEntryPart(out, image.table.data(), f.entry);
      std::fprintf(out, "   %07X (%08u)\t%s   %s   %s\n", f.size, f.size, hex, plain, name.c_str());
      break;
  }
}

}  // namespace

Status lbaList(const char* imagePath, FILE* out, const LbaSettings& settings,
               const Messages& messages) {
  Result<LbaImage> loaded = lbaLoad(imagePath, settings, messages);
  if (!loaded.ok()) return loaded.status;
  const LbaImage& image = loaded.value;
  uint32_t preview = static_cast<uint32_t>(settings.previewSize);
  uint32_t r = std::max<uint32_t>(preview, 16);
  uint64_t areaBytes = kNameBytes + (r + 1ull) + (2ull * preview + 1);
  // The work area starts zeroed: bytes past a short read at the image's end
  // keep what the previous file left there, never uninitialised memory.
  std::unique_ptr<char[]> area;
  if (areaBytes <= UINT32_MAX) area.reset(new (std::nothrow) char[areaBytes - kNameBytes]());
  if (!area)
    return failure("ERROR: cannot malloc %llu bytes.\n",
                   static_cast<unsigned long long>(areaBytes));
  uint8_t* data = reinterpret_cast<uint8_t*>(area.get());
  char* hex = area.get() + r + 1;

  Result<LbaStream> stream = lbaOpenStream(imagePath, "rb");
  if (!stream.ok()) return stream.status;
  FILE* fp = stream.value.get();
  for (uint32_t i = 0; i < image.fileCount(); ++i) {
    const LbaFile& f = image.files[i];
    Status sought = seekUnnamed(fp, static_cast<int64_t>(f.offset), SEEK_SET);
    if (!sought.ok()) return sought;
    Result<size_t> got = readUnnamed(fp, data, 1, r);
    if (!got.ok()) return got.status;
    std::string name = lbaFileName(i, f.compressed, data, r);
    bytesToHex(data, preview, hex);
    char* plain = reinterpret_cast<char*>(data);
    printableOrDot(plain, preview);
    plain[preview] = '\0';
    printFileLine(out, image, f, hex, plain, name);
    if (settings.printMode == 0) {
      uint32_t end = i + 1 < image.fileCount() ? image.files[i + 1].entry : image.entryCount;
      for (uint32_t e = f.entry + 1; e < end; ++e) {
        printEntryPart(out, image.table.data(), e);
        std::fputc('\n', out);
      }
    }
  }
  return Status();
}
