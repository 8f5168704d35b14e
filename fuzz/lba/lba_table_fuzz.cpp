// Feeds arbitrary bytes to the table and sizes-file checks of kvolba. The
// input is the start of the table (the rest reads as zeros); the sizes file
// is taken from the same bytes. The checks' warnings go to a Messages that
// drops them.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lba/lba_image.h"
#include "lba/lba_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Messages quiet;
  LbaImage image;
  image.table.assign(kLbaTableBytes, 0);
  std::memcpy(image.table.data(), data, size < kLbaTableBytes ? size : kLbaTableBytes);
  image.settings.updateSizes = size > 0 && (data[0] & 1);
  lbaCheckZeroed(image.table.data(), quiet);
  image.entryCount = lbaCountEntries(image.table.data());
  if (lbaFindOrderFault(image.table.data(), image.entryCount) >= 0) return 0;
  lbaBuildFileList(image);

  for (uint32_t i = 0; i < image.fileCount(); ++i) {
    const LbaFile& f = image.files[i];
    if (f.size > f.span && f.span != 0) __builtin_trap();  // only a roomless entry wraps
    if (lbaFileIndexOf(image, f.entry) != i) __builtin_trap();
    uint8_t head[16] = {};
    std::memcpy(head, data, size < 16 ? size : 16);
    if (lbaFileName(i, f.compressed, head, 16).size() > 13 && i < 100000) __builtin_trap();
  }

  LbaSizesPlan plan = lbaPlanSizes(image.table.data(), image.entryCount);
  if (!plan.tooFew && !plan.tooSmallRoom) {
    if (plan.loadBytes < plan.need) __builtin_trap();
    // The real tool reads these bytes from the image; here they come from the input.
    image.sizes.assign(plan.loadBytes < (1u << 20) ? plan.loadBytes : (1u << 20), 0);
    if (image.sizes.size() >= plan.need) {
      std::memcpy(image.sizes.data(), data, size < image.sizes.size() ? size : image.sizes.size());
      image.sizesLength = plan.fileBytes < plan.loadBytes ? plan.fileBytes : plan.loadBytes;
      lbaCheckSizes(image, quiet);
      for (uint32_t i = 0; i < image.fileCount(); ++i) {
        LbaFile& f = image.files[i];
        if (f.size <= f.span) lbaSetPadding(image, f.entry, f.span, f.size);
        lbaSetSizesRecord(image.sizes, f.entry, f.size);
      }
    }
  }
  return 0;
}
