// kvolba: lists, extracts and imports the files of the game's disc image.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "lba/lba_extract.h"
#include "lba/lba_image.h"
#include "lba/lba_import.h"
#include "lba/lba_list.h"
#include "platform/platform.h"

namespace {

enum class Mode { Print, Extract, Import };

struct Options {
  Mode mode = Mode::Print;
  bool indexFile = false;
  bool lineNames = false;
  const char* image = nullptr;
  const char* second = nullptr;
  const char* third = nullptr;
  LbaSettings settings;
};

const char* const kUsage[] = {
    "Usage: kvolba -[p|p1|p2] [-s NUM] KVOISOFILE [FILENAME]",
    "       kvolba -e                  KVOISOFILE INDEX_LIST    [PREFIX]",
    "       kvolba -e -{f|fs]          KVOISOFILE INDEXES_FILE  [PREFIX]",
    "       kvolba -i [-acX]  [-ns]    KVOISOFILE [DIR|FILE|EXPR]",
    "Options:",
    "  -p  print header information from KVOISOFILE to stdout or FILENAME",
    "      (-p1 = without 'empty', -p2 = KVO uni.ext. format, -p3 commands like)",
    "  -e  extract files from KVOISOFILE, files will starts with PREFIX (dir name...)",
    "      INDEX_LIST - comma and hyphen separated values (i.e. 1,0015-0017,19)",
    "  -i  import files to KVOISOFILE, files must start with index (as printed names)",
    "      header and 16th file in header (index 0014, files sizes) will be updated",
    "  -f  for extract indexs are read from file, one per line, ;/# for comment line",
    "  -fs as '-f', but string after index used as suffix for filename",
    "      (usually extension, extension for compression still appended if needed)",
    "  -ns on import, dont write sizes to 'sizes file' (16th head file, index 0014)",
    "  -s  setting NUM size for preview/search data, default 16 bytes",
    "  -a, -aX, -ac, -acX, -au, -auX  adds 1 or X zero padding bytes to imported file",
    "      (on import adds 1 or X bytes to files sizes (all/compressed/uncompressed))",
    "",
    "Notes: LBA start at 0x8c000, size max 64 sectors = 131072B",
    "       LBA entry 4B {startSector:22, compressed:1, empty:1, paddingDiv8:8}",
    "       SIZESFILE entry 3B {uncompressed size of file div8}",
    "",
    "Version 20140629",
};

void printUsage() {
  for (const char* line : kUsage) std::printf("%s\n", line);
}

// The number of an -a option: none gives 1, a non-number 0 (as strtol reads
// it); a negative number leaves the pad size as it was.
void setPad(const char* text, int32_t* pad) {
  if (!*text) {
    *pad = 1;
    return;
  }
  long long value = std::strtoll(text, nullptr, 10);
  if (value < 0) return;
  *pad = value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

void parsePad(const char* arg, LbaSettings* settings) {
  char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(arg[2])));
  if (kind == 'c') {
    setPad(arg + 3, &settings->padCompressed);
  } else if (kind == 'u') {
    setPad(arg + 3, &settings->padUncompressed);
  } else {
    setPad(arg + 2, &settings->padCompressed);
    setPad(arg + 2, &settings->padUncompressed);
  }
}

// The preview size after -s: a whole number in C notation, 0 or more.
int32_t parsePreviewSize(const char* text) {
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text, &end, 0);
  if (end == text || *end != '\0' || value < 0 || value > INT32_MAX || errno == ERANGE)
    fatal("ERROR: expected positive number after '-s', got: %s\n", text);
  return static_cast<int32_t>(value);
}

// Returns the index of the first positional argument, or argc.
int parseOptions(int argc, char** argv, Options* opt) {
  int i = 1;
  for (; i < argc && platIsOption(argv[i]); ++i) {
    const char* arg = argv[i];
    switch (std::tolower(static_cast<unsigned char>(arg[1]))) {
      case '?':
      case 'h':
        printUsage();
        break;
      case 'p':
        opt->mode = Mode::Print;
        if (arg[2] >= '0' && arg[2] <= '3') opt->settings.printMode = arg[2] - '0';
        break;
      case 'e':
        opt->mode = Mode::Extract;
        break;
      case 'i':
        opt->mode = Mode::Import;
        break;
      case 'f':
        opt->indexFile = true;
        if (arg[2] == 's' || arg[2] == 'S') opt->lineNames = true;
        break;
      case 'n':
        if (arg[2] == 's' || arg[2] == 'S') opt->settings.updateSizes = false;
        break;
      case 's':
        if (i + 1 >= argc) fatal("ERROR: expected positive number after '-s' parameter\n");
        opt->settings.previewSize = parsePreviewSize(argv[++i]);
        break;
      case 'a':
        parsePad(arg, &opt->settings);
        break;
      default:
        report("ERROR: unknown option %s\n", arg);
        break;
    }
  }
  return i;
}

void runPrint(const Options& opt) {
  if (!opt.second) {
    exitOnFailure(lbaList(opt.image, stdout, opt.settings, stderrMessages()));
    return;
  }
  FILE* out = fopenE(opt.second, "w");
  exitOnFailure(lbaList(opt.image, out, opt.settings, stderrMessages()));
  fcloseE(out);
}

void runExtract(const Options& opt) {
  if (!opt.indexFile) {
    exitOnFailure(lbaExtractList(opt.image, opt.second, opt.third, opt.settings, stderrMessages()));
    return;
  }
  if (!opt.second) fatal("ERROR: expected INDEXES_FILE parameter\n");
  exitOnFailure(lbaExtractIndexFile(opt.image, opt.second, opt.third, opt.lineNames, opt.settings,
                                    stderrMessages()));
}

// A file refused or none found ends the run with status 1 as well.
void runImport(const Options& opt) {
  if (!opt.second) fatal("ERROR: expected DIR|FILE|EXPR parameter\n");
  exitOnFailure(lbaImport(opt.image, opt.second, opt.settings, stderrMessages()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage();
    return 1;
  }
  Options opt;
  int first = parseOptions(argc, argv, &opt);
  if (first >= argc) fatal("ERROR: expected KVOISOFILE parameter\n");
  opt.image = argv[first];
  if (first + 1 < argc) opt.second = argv[first + 1];
  if (first + 2 < argc) opt.third = argv[first + 2];

  switch (opt.mode) {
    case Mode::Print:
      runPrint(opt);
      break;
    case Mode::Extract:
      runExtract(opt);
      break;
    case Mode::Import:
      runImport(opt);
      break;
  }
  return 0;
}
