// kvobts: lists, exports, imports and removes the sections of a battle or
// event text file, and turns its dialog section into text and back.
#include <cstdint>
#include <cstdio>

#include "bts/kvobts_modes.h"
#include "common/strutil.h"
#include "frontend/frontend.h"
#include "platform/platform.h"

namespace {
enum class Mode { Print, Export, Import, Remove, Reserved };

BtsOptions gOptions;
Mode gMode = Mode::Print;

const char* const kUsage[] = {
    ("Usage: kvobts -[p|e|eX|iX|rX] [-s STRING|-sn] [-t TBSFILE] [-o OUTFILE] INFILE "
     "[FILENAME|PREFIX]"),
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
  gOptions.dialogFlag = kind == 'd';
  readIndex(arg + 3);
}

void parseExport(const char* arg) {
  gMode = Mode::Export;
  char next = asciiLower(arg[2]);
  if (next == 'd') {
    gOptions.index = kIndexDialog;
  } else if (next == 's') {
    gOptions.silent = true;
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
          gOptions.dialogFlag = true;
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
          gOptions.dialog.separatorOn = false;
        else if (i + 1 < argc)
          dialogSetSeparator(gOptions.dialog, argv[++i], stderrMessages());
        break;
      case 'w':
        gOptions.dialog.trailingWarning = false;
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
      btsPrint(gOptions);
      break;
    case Mode::Export:
      btsExport(gOptions);
      break;
    case Mode::Import:
      btsImport(gOptions);
      break;
    case Mode::Remove:
      btsRemove(gOptions);
      break;
    case Mode::Reserved:
      break;
  }
  return 0;
}
