// Feeds arbitrary bytes to the table and sizes-file checks of kvolba. The
// input is the start of the table (the rest reads as zeros); the sizes file
// is taken from the same bytes. The checks warn a lot: run with
// -close_fd_mask=2 to keep the fuzzer's own output readable.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lba/lba_image.h"
#include "lba/lba_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> table(LBA_BYTES, 0);
  std::memcpy(table.data(), data, size < LBA_BYTES ? size : LBA_BYTES);

  LbaImage image;
  image.table = table.data();
  image.updateSizes = size > 0 && (data[0] & 1);
  lbaCheckZeroed(image.table);
  image.entryCount = lbaCountEntries(image.table);
  if (lbaFindOrderFault(image.table, image.entryCount) >= 0) return 0;
  lbaBuildFileList(&image);

  for (uint32_t i = 0; i < image.fileCount; ++i) {
    const LbaFile& f = image.files[i];
    if (f.size > f.span && f.span != 0) __builtin_trap();  // only a roomless entry wraps
    if (lbaFileIndexOf(&image, f.entry) != i) __builtin_trap();
    uint8_t head[16] = {};
    std::memcpy(head, data, size < 16 ? size : 16);
    char name[17];
    lbaFileName(name, i, f.compressed, head, 16);
    if (std::strlen(name) > 13 && i < 100000) __builtin_trap();
  }

  LbaSizesPlan plan = lbaPlanSizes(image.table, image.entryCount);
  std::vector<uint8_t> sizes;
  if (!plan.tooFew && !plan.tooSmallRoom) {
    if (plan.loadBytes < plan.need) __builtin_trap();
    // The real tool reads these bytes from the image; here they come from the input.
    sizes.assign(plan.loadBytes < (1u << 20) ? plan.loadBytes : (1u << 20), 0);
    if (sizes.size() >= plan.need) {
      std::memcpy(sizes.data(), data, size < sizes.size() ? size : sizes.size());
      image.sizes = sizes.data();
      image.sizesLength = plan.fileBytes < plan.loadBytes ? plan.fileBytes : plan.loadBytes;
      lbaCheckSizes(&image);
      for (uint32_t i = 0; i < image.fileCount; ++i) {
        LbaFile& f = image.files[i];
        if (f.size <= f.span) lbaSetPadding(&image, f.entry, f.span, f.size);
        lbaSetSizesRecord(image.sizes, f.entry, f.size);
      }
    }
  }
  std::free(image.files);
  image.files = nullptr;
  image.table = nullptr;
  image.sizes = nullptr;
  return 0;
}
