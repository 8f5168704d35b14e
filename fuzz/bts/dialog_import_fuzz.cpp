// Container load, dialog section open and dialog text import on arbitrary
// bytes. Input: one flags byte (bit 0 separator mode, bit 1 trailing-data
// warning), a 16-bit container length, the container, then the text file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bts/btfile.h"
#include "bts/dialog.h"
#include "bts/dialogtext.h"
#include "common/le.h"
#include "texttable/chartable.h"

namespace {
// The tools end the process at a fatal error; here that ends only the input.
struct FatalStop {};

struct ContainerGuard {
  BtFile* file;
  ~ContainerGuard() { btFree(file); }
};

bool loadTable() {
  static const char kTable[] =
      "\\x02\\c01=<C\\h01>\r\n\\x01=[n]\r\n\\x10=a\r\n\\x11=b\r\n\\x12=c\r\n\\x00=<0>\r\n"
      "\\x03\\h02x=<H\\c02>\r\n\\x10\\x11=ab\r\n";
  uint8_t* buffer = static_cast<uint8_t*>(std::malloc(sizeof kTable - 1));
  std::memcpy(buffer, kTable, sizeof kTable - 1);
  return tblParse(buffer, sizeof kTable - 1);
}

void importAndReopen(const BtFile& file, const uint8_t* text, uint32_t textLength) {
  if (!btSectionValid(file, 2)) return;
  const uint8_t* section = btSectionData(file, 2);
  uint32_t size = btSectionSize(file, 2);
  DialogView view;
  if (!dialogOpen(section, size, file.name, &view)) return;
  std::vector<uint8_t> stripped = dialogStripTexts(section, size, file.name);
  std::vector<uint8_t> imported = dialogImportText(view, text, textLength, "fuzz.txt");
  if (!view.separatorOn) return;
  // A section rebuilt from separated text always opens again.
  DialogView again;
  try {
    if (!dialogOpen(imported.data(), static_cast<uint32_t>(imported.size()), "again", &again))
      std::abort();
  } catch (const FatalStop&) {
    std::abort();
  }
}
}  // namespace

void report(const char*, ...) {}
void fatal(const char*, ...) { throw FatalStop(); }
void exitFailure() { throw FatalStop(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool tableLoaded = loadTable();
  if (!tableLoaded || size < 3) return 0;
  gDialogSettings.separatorOn = (data[0] & 1) != 0;
  gDialogSettings.trailingWarning = (data[0] & 2) != 0;
  size_t containerSize = rd16(data + 1);
  if (containerSize > size - 3) containerSize = size - 3;
  const uint8_t* text = data + 3 + containerSize;
  uint32_t textLength = static_cast<uint32_t>(size - 3 - containerSize);

  uint8_t* copy = static_cast<uint8_t*>(std::malloc(containerSize + 1));
  std::memcpy(copy, data + 3, containerSize);
  try {
    BtFile file = btOpen(copy, static_cast<uint32_t>(containerSize), "fuzz.bt");
    ContainerGuard guard{&file};
    importAndReopen(file, text, textLength);
  } catch (const FatalStop&) {
  }
  return 0;
}
