// The "-pb" and "-pp" values and any bitmap and palette file sizes: the
// checks refuse them with a message, or the bitmap they let through lies
// inside its file and every palette that can be selected inside its own.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/graphics/touch.h"
#include "graphics/gnop.h"

namespace {

// A value list as a user would type it: decimal or "0x" hex numbers with
// any one separator between them (text that is not a number is refused by
// the parser, so only numbers are generated).
std::string valueList(FuzzedDataProvider& in, int count) {
  static const char kSeparators[] = ",;:/ -.";
  std::string text;
  for (int i = 0; i < count; ++i) {
    uint32_t value = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(0, 0x7FFFFFFF)
                                      : in.ConsumeIntegralInRange<uint32_t>(0, 1100);
    char number[16];
    std::snprintf(number, sizeof number, in.ConsumeBool() ? "0x%X" : "%u", value);
    text += number;
    if (i + 1 < count) text += kSeparators[in.ConsumeIntegralInRange<size_t>(0, 6)];
  }
  return text;
}

std::vector<uint8_t> fileOf(FuzzedDataProvider& in) {
  static const uint32_t kSizes[] = {0x4000, 0x8000, 0x10000, 0x20000, 0x34000, 1024, 4096};
  uint32_t size = in.ConsumeBool() ? kSizes[in.ConsumeIntegralInRange<size_t>(0, 6)]
                                   : in.ConsumeIntegralInRange<uint32_t>(1, 0x9000);
  std::vector<uint8_t> file(size, 0);
  file[0] = in.ConsumeIntegral<uint8_t>();
  return file;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  GnopParams params;
  if (in.ConsumeBool())
    gnopParseBitmapParams(valueList(in, in.ConsumeIntegralInRange(1, 5)).c_str(), &params);
  if (in.ConsumeBool())
    gnopParsePaletteParams(valueList(in, in.ConsumeIntegralInRange(1, 6)).c_str(), &params);
  std::vector<uint8_t> bitmap = fileOf(in);
  std::vector<uint8_t> palette = fileOf(in);
  const Messages quiet;
  auto owned = std::make_unique<GnopFile>();
  GnopFile* gnop = owned.get();
  if (gnopCheck(bitmap.data(), static_cast<uint32_t>(bitmap.size()), palette.data(),
                static_cast<uint32_t>(palette.size()), params, "fuzz", gnop)
          .ok()) {
    if (gnop->bitmap + gnop->bitmapSize > bitmap.data() + bitmap.size()) std::abort();
    fuzzTouch(gnop->bitmap, gnop->bitmapSize);
    if (gnop->paletteBase + gnop->paletteBytes > palette.data() + palette.size()) std::abort();
    for (int i = 0; i < 4; ++i) {
      gnopSelectPalette(gnop, in.ConsumeIntegralInRange<uint32_t>(0, 300), quiet);
      gnopSelectSubPalette(gnop, in.ConsumeIntegralInRange<uint32_t>(0, 20));
      fuzzTouch(gnop->palette, 4 * gnop->colourCount);
    }
  }
  return 0;
}
