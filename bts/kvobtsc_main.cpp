// kvobtsc: builds the small battle file from numbered battle files, or
// refreshes the parts of an existing one from the battle files that exist.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "bts/dialog.h"
#include "bts/kvobtsc_modes.h"
#include "common/strutil.h"
#include "frontend/frontend.h"
#include "platform/platform.h"

namespace {
enum class Mode { None, Create, Import, Nothing };

BtscOptions gOptions;
Mode gMode = Mode::None;

const char* const kUsage[] = {
    "Usage:",
    "kvobtsc -c [-z]             OUTFILE  START_INDEX  END_INDEX  [PREFIX] [SUFFIX]",
    "kvobtsc -i [-z] [-o OUTFILE] INFILE  START_INDEX  END_INDEX  [PREFIX] [SUFFIX]",
    "  -c   create small battle file from battle files (.BTS).",
    "       input names PREFIXINDEXSUFFIX, where INDEX is START_INDEX to END_INDEX",
    "       rest to size 172752 (to 366 parts) filled with 'dummy' parts",
    "  -i   import data from existing battle files (.BTS), no pointers are updated.",
    "       update parts based on existing files in START-END range, others unchanged",
    "  -z   clear buffer instead of using 'original' uninitialized",
    "  -o   import will be done to OUTFILE instead of INFILE",
    "",
    "Examples:",
    "  kvobtsc -c              0170   2043  2403  bts\\   .bts",
    "  kvobtsc -i -o 0170.out  0170   2043  2403  bts\\   .bts",
    "",
    "Version 20140524",
};

void printUsage() {
  for (const char* line : kUsage) std::printf("%s\n", line);
}

// A battle index: a base-10 number at the start of the argument, read as the
// game's 32-bit tools read it (out-of-range values stick at the limits).
uint32_t parseIndex(const char* text) {
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text, &end, 10);
  if (end == text) fatal("ERROR: given INDEX is not number : str = '%s'\n", text);
  bool overflow = errno == ERANGE || value > INT32_MAX || value < INT32_MIN;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  if (value < 0)
    fatal("ERROR: given INDEX is negative : num = %ld : str = '%s'\n", static_cast<long>(value),
          text);
  if (overflow) fatal("ERROR: given INDEX is out of range : str = '%s'\n", text);
  return static_cast<uint32_t>(value);
}

int parseOptions(int argc, char** argv) {
  int i = 1;
  for (; i < argc; ++i) {
    const char* arg = argv[i];
    if (!platIsOption(arg)) break;
    switch (asciiLower(arg[1])) {
      case 'c':
        gMode = Mode::Create;
        break;
      case 'i':
        gMode = Mode::Import;
        break;
      case 'e':
        gMode = Mode::Nothing;
        break;
      case 'z':
        gOptions.clear = true;
        break;
      case 'o':
      case 't':
        if (i + 1 >= argc) {
          report("ERROR: expected parameter after '-%c' parameter\n", asciiLower(arg[1]));
          break;
        }
        if (asciiLower(arg[1]) == 'o') gOptions.outPath = argv[i + 1];
        ++i;
        break;
      case 's':
        // The separator has no effect here; a too long one is still reported.
        if (asciiLower(arg[2]) != 'n' && i + 1 < argc) {
          DialogSettings unused;
          dialogSetSeparator(unused, argv[++i], stderrMessages());
        }
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

void parsePositional(int argc, char** argv, int first) {
  if (first >= argc) fatal("ERROR: expected INFILE parameter\n");
  gOptions.inPath = argv[first];
  if (first + 1 >= argc) fatal("ERROR: expected START_INDEX parameter\n");
  gOptions.startIndex = parseIndex(argv[first + 1]);
  if (first + 2 >= argc) fatal("ERROR: expected END_INDEX parameter\n");
  gOptions.endIndex = parseIndex(argv[first + 2]);
  if (first + 3 < argc) gOptions.prefix = argv[first + 3];
  if (first + 4 < argc) gOptions.suffix = argv[first + 4];
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage();
    return 1;
  }
  parsePositional(argc, argv, parseOptions(argc, argv));
  if (gMode == Mode::None) {
    report("ERROR: expected one of [c|e|i] parameters\n\n");
    printUsage();
    return 1;
  }
  if (gMode == Mode::Create) btscCreate(gOptions);
  if (gMode == Mode::Import) btscImport(gOptions);
  return 0;
}
