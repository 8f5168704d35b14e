// kvobts: lists, exports, imports and removes the sections of a battle or
// event text file, and turns its dialog section into text and back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bts/btfile.h"
#include "bts/dialog.h"
#include "bts/dialogtext.h"
#include "common/strutil.h"
#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "platform/platform.h"
#include "texttable/chartable.h"

namespace {
enum : uint32_t { IndexAll = 2147483647u, IndexDialog = 2147483646u };

enum class Mode { Print, Export, Import, Remove, Reserved };

struct BtsOptions {
  const char* inPath = nullptr;
  const char* outPath = nullptr;
  const char* fileName = nullptr;
  uint32_t index = IndexAll;
  const char* tablePath = nullptr;
  int dialogFlag = 0;
  int silent = 0;
};

BtsOptions gOptions;
Mode gMode = Mode::Print;

const char* const kUsage[] = {
    "Usage: kvobts -[p|e|eX|iX|rX] [-s STRING|-sn] [-t TBSFILE] [-o OUTFILE] INFILE [FILENAME|PREFIX]",
    "  -p   print information about INFILE to stdout or FILENAME",
    "  -e   export all sections, outname will start with PREFIX",
    "  -eX  export section at pos X to FILENAME. X is num 0..section count-1",
    "  -esX same as '-eX', but silent - dont print error if section not present",
    "  -ed  export dialog section (2) with PREFIX.",
    "  -iX  import section to pos X from FILENAME. X is num 0..section count-1",
    "  -rX  remove section at pos X (removes data, set offset to zero)",
    "  -rdX remove texts from dialog section (strip texts to zeroend, X = 2)",
    "  -o   import/remove will be done to OUTFILE instead of INFILE",
    "  -t   converts dialog section to texts and vice versa with given table",
    "  -s   if using '-t', use STRING as dialog separator instead of default",
    "       (default \"\\n--------------------------------------------------End--\\n\")",
    "  -sn  if using '-t', do not use separator",
    "       ('-t' default convert by sections, removes zeroend, add separator",
    "        -sn  converts all as one big section (nothing removed, nothing added))",
    "  -w   suppres printing warn about trailing data behind last dialog",
    "Notes: '-t' converts only dialog sections (2).",
    "       Dialog head info (choices count) not recomputed or deleted.",
    "",
    "Examples:",
    "  kvobts -e2 -t kvo.tbs   2044.bt                   2044.txt",
    "  kvobts -i2 -t kvo.tbs   2044.bt  -o new\\2044.EV   2044.txt",
    "",
    "Version 20140516",
};

void printUsage() {
  for (const char* line : kUsage) std::printf("%s\n", line);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The number run on after an option letter: leading decimal digits, none
// giving 0; an empty rest leaves the index as it was.
void readIndex(const char* rest) {
  if (*rest == '\0') return;
  uint64_t value = 0;
  for (; isDigit(*rest); ++rest) {
    value = value * 10 + static_cast<uint64_t>(*rest - '0');
    if (value > 0xFFFFFFFFu) value = 0xFFFFFFFFu;
  }
  gOptions.index = static_cast<uint32_t>(value);
}


// "-id"/"-ir": reserved; the index is read and the run does nothing.
void parseReserved(const char* arg) {
  char kind = asciiLower(arg[2]);
  if (arg[3] == '\0') fatal("ERROR: incomplete parameter '-i%c'\n", kind);
  gMode = Mode::Reserved;
  gOptions.dialogFlag = kind == 'd' ? 1 : 0;
  readIndex(arg + 3);
}

void parseExport(const char* arg) {
  gMode = Mode::Export;
  char next = asciiLower(arg[2]);
  if (next == 'd') {
    gOptions.index = IndexDialog;
  } else if (next == 's') {
    gOptions.silent = 1;
    readIndex(arg + 3);
  } else {
    readIndex(arg + 2);
  }
}

// Reads the options; returns the index of the first positional argument.
int parseOptions(int argc, char** argv) {
  int i = 1;
  for (; i < argc; ++i) {
    const char* arg = argv[i];
    if (!platIsOption(arg)) break;
    switch (asciiLower(arg[1])) {
      case 'p':
        gMode = Mode::Print;
        break;
      case 'e':
        parseExport(arg);
        break;
      case 'i':
        if (asciiLower(arg[2]) == 'd' || asciiLower(arg[2]) == 'r') {
          parseReserved(arg);
        } else {
          gMode = Mode::Import;
          readIndex(arg + 2);
        }
        break;
      case 'r':
        gMode = Mode::Remove;
        if (asciiLower(arg[2]) == 'd') {
          gOptions.dialogFlag = 1;
          readIndex(arg + 3);
        } else {
          readIndex(arg + 2);
        }
        break;
      case 'o':
      case 't':
        if (i + 1 >= argc) {
          report("ERROR: expected parameter after '-%c' parameter\n", asciiLower(arg[1]));
          break;
        }
        (asciiLower(arg[1]) == 'o' ? gOptions.outPath : gOptions.tablePath) = argv[++i];
        break;
      case 's':
        if (asciiLower(arg[2]) == 'n')
          gDialogSettings.separatorOn = false;
        else if (i + 1 < argc)
          dialogSetSeparator(argv[++i]);
        break;
      case 'w':
        gDialogSettings.trailingWarning = false;
        break;
      case 'h':
      case '?':
        printUsage();
        break;
      default:
        report("ERROR: unknown option %s\n", arg);
        break;
    }
  }
  return i;
}

std::string decimal(uint32_t value) { return std::to_string(value); }

void runPrint() {
  if (!gOptions.fileName) {
    btPrintInfo(gOptions.inPath, stdout);
    return;
  }
  FILE* out = outOpen(gOptions.fileName, "w");
  btPrintInfo(gOptions.inPath, out);
  outCommit(out);
}

void exportAll(BtFile* file) {
  std::string prefix = gOptions.fileName ? gOptions.fileName : "";
  if (gOptions.tablePath) tblLoadOrDie(gOptions.tablePath);
  for (uint32_t i = 0; i < file->sectionCount; ++i) {
    if (!btPointerPresent(btSlot(*file, i))) continue;
    std::string name = prefix + decimal(i);
    uint32_t size = btSectionSize(*file, i);
    outSave(name.c_str(), btSectionData(*file, i), size);
    if (gOptions.tablePath && i == 2)
      dialogExport(btSectionData(*file, i), size, (name + ".txt").c_str(), file->name);
  }
  if (gOptions.tablePath) tblFree();
}

void exportDialog(BtFile* file) {
  std::string name = std::string(gOptions.fileName ? gOptions.fileName : "") + decimal(2);
  if (gOptions.tablePath) tblLoadOrDie(gOptions.tablePath);
  if (!btSectionValid(*file, 2)) {
    report("ERROR: dialog section have no valid data for extract : %s\n", gOptions.inPath);
    return;
  }
  uint32_t size = btSectionSize(*file, 2);
  if (gOptions.tablePath) {
    dialogExport(btSectionData(*file, 2), size, (name + ".txt").c_str(), file->name);
    tblFree();
  } else {
    outSave(name.c_str(), btSectionData(*file, 2), size);
  }
}

void exportOne(BtFile* file) {
  uint32_t x = gOptions.index;
  std::string name = gOptions.fileName ? gOptions.fileName : decimal(x);
  if (gOptions.silent && !btSectionValid(*file, x)) return;
  uint32_t size = btSectionSizeOrDie(file, x);
  if (gOptions.tablePath && x == 2) {
    if (!gOptions.fileName) name += ".txt";
    dialogExportWithTable(btSectionData(*file, x), size, name.c_str(), file->name,
                          gOptions.tablePath);
  } else {
    outSave(name.c_str(), btSectionData(*file, x), size);
  }
}

void runExport() {
  BtFile file = btLoad(gOptions.inPath);
  if (gOptions.index == IndexAll)
    exportAll(&file);
  else if (gOptions.index == IndexDialog)
    exportDialog(&file);
  else
    exportOne(&file);
  btFree(&file);
}

const char* outputPath() { return gOptions.outPath ? gOptions.outPath : gOptions.inPath; }

// With a table only the dialog section (2) can take text.
void requireDialog(BtFile* file, const char* format) {
  uint32_t x = gOptions.index;
  uint32_t slot = btSlot(*file, x);
  if (x == 2 && btPointerPresent(slot)) return;
  char message[4096 + 256];
  std::snprintf(message, sizeof message, format, x, slot, gOptions.inPath);
  btFree(file);
  fatal("%s", message);
}

void runImport() {
  if (gOptions.index == IndexDialog) fatal("ERROR: TODO parameter '-id'\n");
  if (gOptions.index == IndexAll) fatal("ERROR: TODO parameter '-i'\n");
  uint32_t x = gOptions.index;
  BtFile file = btLoad(gOptions.inPath);
  btIndexOrDie(&file, x, "ERROR: not valid index for import : %u : %s\n");
  SectionList list = btSectionList(file);
  std::string source = gOptions.fileName ? gOptions.fileName : decimal(x);
  if (!gOptions.fileName && gOptions.tablePath) source += ".txt";
  std::vector<uint8_t> dialog;
  if (gOptions.tablePath) {
    requireDialog(&file, "ERROR: not valid dialog section at id=%u, cannot import dialog text: 0x%x : %s\n");
    dialog = dialogImport(btSectionData(file, 2), btSectionSize(file, 2), source.c_str(),
                          file.name, gOptions.tablePath);
    list.records[2].data = dialog.data();
    list.records[2].size = static_cast<uint32_t>(dialog.size());
  } else {
    list.records[x].data = nullptr;
    list.records[x].path = source.c_str();
    list.records[x].size = fileSizeE(source.c_str());
  }
  btWrite(file, &list, outputPath());
  btFree(&file);
}

void runRemove() {
  uint32_t x = gOptions.index;
  BtFile file = btLoad(gOptions.inPath);
  btIndexOrDie(&file, x, "ERROR: not valid index for remove : %u : %s\n");
  SectionList list = btSectionList(file);
  std::vector<uint8_t> dialog;
  if (gOptions.dialogFlag) {
    requireDialog(&file, "ERROR: not valid dialog section at id=%u, cannot remove dialog text: 0x%x : %s\n");
    dialog = dialogStripTexts(btSectionData(file, 2), btSectionSize(file, 2), file.name);
    list.records[2].data = dialog.data();
    list.records[2].size = static_cast<uint32_t>(dialog.size());
  } else {
    list.records[x] = {nullptr, nullptr, 0, list.records[x].offset};
  }
  btWrite(file, &list, outputPath());
  btFree(&file);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage();
    return 1;
  }
  int first = parseOptions(argc, argv);
  if (first >= argc) fatal("ERROR: expected INFILE parameter\n");
  gOptions.inPath = argv[first];
  if (first + 1 < argc) gOptions.fileName = argv[first + 1];

  switch (gMode) {
    case Mode::Print:
      runPrint();
      break;
    case Mode::Export:
      runExport();
      break;
    case Mode::Import:
      runImport();
      break;
    case Mode::Remove:
      runRemove();
      break;
    case Mode::Reserved:
      break;
  }
  return 0;
}
