#include "bts/kvobts_modes.h"

#include <cstdio>
#include <string>
#include <vector>

#include "bts/btfile.h"
#include "bts/dialogtext.h"
#include "common/fileio.h"
#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "texttable/chartable.h"

namespace {
std::string decimal(uint32_t value) { return std::to_string(value); }

BtFile loadContainer(const char* path) { return valueOrExit(btLoad(path, stderrMessages())); }

CharTable loadTable(const char* path) { return valueOrExit(tblLoad(path, stderrMessages())); }

DialogView openDialog(const BtFile& file, const DialogSettings& settings) {
  return valueOrExit(dialogOpen(btSectionData(file, kBtDialogSection),
                                btSectionSize(file, kBtDialogSection), file.name.c_str(), settings,
                                stderrMessages()));
}

// The dialog section as a text file at outPath.
void exportDialogText(const BtFile& file, const CharTable& table, const DialogSettings& settings,
                      const std::string& outPath) {
  DialogView view = openDialog(file, settings);
  FILE* out = outOpen(outPath.c_str(), "wb");
  std::vector<uint8_t> text = dialogExportText(view, table, settings, stderrMessages());
  outWrite(out, text.data(), static_cast<uint32_t>(text.size()));
  outCommit(out);
}

void saveSection(const BtFile& file, uint32_t i, const std::string& path) {
  outSave(path.c_str(), btSectionData(file, i), btSectionSize(file, i));
}

void exportAll(const BtFile& file, const BtsOptions& options) {
  std::string prefix = options.fileName ? options.fileName : "";
  CharTable table;
  if (options.tablePath) table = loadTable(options.tablePath);
  for (uint32_t i = 0; i < file.sectionCount; ++i) {
    if (!btPointerPresent(btSlot(file, i))) continue;
    std::string name = prefix + decimal(i);
    saveSection(file, i, name);
    if (options.tablePath && i == kBtDialogSection)
      exportDialogText(file, table, options.dialog, name + ".txt");
  }
}

void exportDialog(const BtFile& file, const BtsOptions& options) {
  std::string name =
      std::string(options.fileName ? options.fileName : "") + decimal(kBtDialogSection);
  CharTable table;
  if (options.tablePath) table = loadTable(options.tablePath);
  if (!btSectionValid(file, kBtDialogSection)) {
    report("ERROR: dialog section have no valid data for extract : %s\n", options.inPath);
    return;
  }
  if (options.tablePath)
    exportDialogText(file, table, options.dialog, name + ".txt");
  else
    saveSection(file, kBtDialogSection, name);
}

void exportOne(const BtFile& file, const BtsOptions& options) {
  uint32_t x = options.index;
  std::string name = options.fileName ? options.fileName : decimal(x);
  if (options.silent && !btSectionValid(file, x)) return;
  valueOrExit(btSectionSizeChecked(file, x));
  if (options.tablePath && x == kBtDialogSection) {
    if (!options.fileName) name += ".txt";
    CharTable table = loadTable(options.tablePath);
    exportDialogText(file, table, options.dialog, name);
  } else {
    saveSection(file, x, name);
  }
}

const char* outputPath(const BtsOptions& options) {
  return options.outPath ? options.outPath : options.inPath;
}

// With a table only the dialog section can take text.
void requireDialog(const BtFile& file, const BtsOptions& options, const char* action) {
  uint32_t x = options.index;
  uint32_t slot = btSlot(file, x);
  if (x == kBtDialogSection && btPointerPresent(slot)) return;
  fatal("ERROR: not valid dialog section at id=%u, cannot %s dialog text: 0x%x : %s\n", x, action,
        slot, options.inPath);
}

void rebuild(const BtFile& file, SectionList* list, const BtsOptions& options) {
  std::vector<uint8_t> bytes =
      valueOrExit(btRebuild(file, list, outputPath(options), stderrMessages()));
  outSave(outputPath(options), bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void useDialog(SectionList* list, const std::vector<uint8_t>& dialog) {
  list->records[kBtDialogSection].data = dialog.data();
  list->records[kBtDialogSection].size = static_cast<uint32_t>(dialog.size());
}

// The new dialog section from the text file `textPath`.
std::vector<uint8_t> importDialogText(const BtFile& file, const BtsOptions& options,
                                      const char* textPath) {
  CharTable table = loadTable(options.tablePath);
  DialogView view = openDialog(file, options.dialog);
  std::vector<uint8_t> text = valueOrExit(loadSizedFile(textPath));
  return valueOrExit(dialogImportText(view, table, options.dialog, text.data(),
                                      static_cast<uint32_t>(text.size()), textPath,
                                      stderrMessages()));
}
}  // namespace

void btsPrint(const BtsOptions& options) {
  if (!options.fileName) {
    BtFile file = loadContainer(options.inPath);
    std::fputs(btInfoText(file, options.inPath).c_str(), stdout);
    return;
  }
  FILE* out = outOpen(options.fileName, "w");
  BtFile file = loadContainer(options.inPath);
  std::string text = btInfoText(file, options.inPath);
  outWrite(out, text.data(), static_cast<uint32_t>(text.size()));
  outCommit(out);
}

void btsExport(const BtsOptions& options) {
  BtFile file = loadContainer(options.inPath);
  if (options.index == kIndexAll)
    exportAll(file, options);
  else if (options.index == kIndexDialog)
    exportDialog(file, options);
  else
    exportOne(file, options);
}

void btsImport(const BtsOptions& options) {
  if (options.index == kIndexDialog) fatal("ERROR: TODO parameter '-id'\n");
  if (options.index == kIndexAll) fatal("ERROR: TODO parameter '-i'\n");
  uint32_t x = options.index;
  BtFile file = loadContainer(options.inPath);
  exitOnFailure(btCheckIndex(file, x, "import"));
  SectionList list = btSectionList(file);
  std::string source = options.fileName ? options.fileName : decimal(x);
  if (!options.fileName && options.tablePath) source += ".txt";
  std::vector<uint8_t> dialog;
  if (options.tablePath) {
    requireDialog(file, options, "import");
    dialog = importDialogText(file, options, source.c_str());
    useDialog(&list, dialog);
  } else {
    list.records[x].data = nullptr;
    list.records[x].path = source.c_str();
    list.records[x].size = fileSizeE(source.c_str());
  }
  rebuild(file, &list, options);
}

void btsRemove(const BtsOptions& options) {
  uint32_t x = options.index;
  BtFile file = loadContainer(options.inPath);
  exitOnFailure(btCheckIndex(file, x, "remove"));
  SectionList list = btSectionList(file);
  std::vector<uint8_t> dialog;
  if (options.dialogFlag) {
    requireDialog(file, options, "remove");
    dialog = valueOrExit(dialogStripTexts(openDialog(file, options.dialog)));
    useDialog(&list, dialog);
  } else {
    list.records[x] = {nullptr, nullptr, 0, list.records[x].offset};
  }
  rebuild(file, &list, options);
}
