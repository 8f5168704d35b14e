// Container open, dialog section open and dialog text import on arbitrary
// bytes. Input: one flags byte (bit 0 separator mode, bit 1 trailing-data
// warning), a 16-bit container length, the container, then the text file.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "bts/btfile.h"
#include "bts/dialog.h"
#include "bts/dialogtext.h"
#include "common/le.h"
#include "texttable/chartable.h"

namespace {
CharTable loadTable() {
  static const char kTable[] =
      "\\x02\\c01=<C\\h01>\r\n\\x01=[n]\r\n\\x10=a\r\n\\x11=b\r\n\\x12=c\r\n\\x00=<0>\r\n"
      "\\x03\\h02x=<H\\c02>\r\n\\x10\\x11=ab\r\n";
  return tblParse(std::vector<uint8_t>(kTable, kTable + sizeof kTable - 1), Messages());
}

void importAndReopen(const BtFile& file, const CharTable& table, const DialogSettings& settings,
                     const uint8_t* text, uint32_t textLength) {
  if (!btSectionValid(file, kBtDialogSection)) return;
  const uint8_t* section = btSectionData(file, kBtDialogSection);
  uint32_t size = btSectionSize(file, kBtDialogSection);
  Result<DialogView> view = dialogOpen(section, size, file.name.c_str(), settings, Messages());
  if (!view.ok()) return;
  dialogStripTexts(view.value);
  dialogRebuild(view.value, dialogTexts(view.value));
  Result<std::vector<uint8_t>> imported =
      dialogImportText(view.value, table, settings, text, textLength, "fuzz.txt", Messages());
  if (!imported.ok() || !settings.separatorOn) return;
  // A section rebuilt from separated text always opens again.
  const std::vector<uint8_t>& bytes = imported.value;
  if (!dialogOpen(bytes.data(), static_cast<uint32_t>(bytes.size()), "again", settings, Messages())
           .ok())
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const CharTable table = loadTable();
  if (size < 3) return 0;
  DialogSettings settings;
  settings.separatorOn = (data[0] & 1) != 0;
  settings.trailingWarning = (data[0] & 2) != 0;
  size_t containerSize = rd16(data + 1);
  if (containerSize > size - 3) containerSize = size - 3;
  const uint8_t* text = data + 3 + containerSize;
  uint32_t textLength = static_cast<uint32_t>(size - 3 - containerSize);

  Result<BtFile> file =
      btOpen(std::vector<uint8_t>(data + 3, data + 3 + containerSize), "fuzz.bt", Messages());
  if (file.ok()) importAndReopen(file.value, table, settings, text, textLength);
  return 0;
}
