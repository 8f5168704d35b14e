// kvogwh: converts the game's ".gwh" pictures to BMP files and back.
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "frontend/frontend.h"
#include "graphics/gwhmodes.h"
#include "platform/platform.h"

namespace {
const char kUsage[] =
    "Usage:\n"
    "       kvogwh -e  [-n] [-g] GWHFILE  BMPFILE\n"
    "       kvogwh -c  [-n] [-g] BMPFILE  GWHFILE\n"
    "       kvogwh -i  [-m]      GWHFILE  BMPFILE  [OUTFILE]\n"
    "       kvogwh -p            GWHFILE [OUTFILE]\n"
    "Converts KVO graphic file '.gwh' to BMP and vice versa.\n"
    "Update palette if needed (duplicit colors).\n"
    "Options:\n"
    "  -p   print info about GWHFILE to stdout or OUTFILE\n"
    "  -e   extract/convert GWHFILE to BMPFILE\n"
    "  -c   create GWHFILE from BMPFILE (copy palette and bitmap data)\n"
    "       (due palette change or BMP edit result palette may differ from original)\n"
    "  -i   import data from BMPFILE to GWHFILE/OUTFILE (import bitmap, not palette)\n"
    "  -g   palette black (0,0,0) with alpha to green instead of magenta\n"
    "  -n   on export or create dont change colors in palette\n"
    "       default :background color to mangenta, black (RGBA000X,X!=0x80) to greens\n"
    "  -m   on import, only colors with index != 0 (background) are imported\n"
    "\n"
    "Notes:\n"
    "    .gwh format - 4B width, 4B height, 8B zeros, 1024B RGBA palette, -B bitmap\n"
    "    palette usually contain same color with different 'aplha'\n"
    "\n"
    "Version 20140701\n";

void printUsage() { std::fputs(kUsage, stdout); }

// Reads the options up to the first file name, then the file names.
GwhOptions parseArguments(int argc, char** argv) {
  GwhOptions opt;
  int i = 1;
  for (; i < argc && platIsOption(argv[i]); ++i) {
    switch (std::tolower(static_cast<unsigned char>(argv[i][1]))) {
      case '?':
      case 'h':
        printUsage();
        std::exit(0);
      case 'p':
        opt.mode = GwhMode::Print;
        break;
      case 'e':
        opt.mode = GwhMode::Export;
        break;
      case 'c':
        opt.mode = GwhMode::Create;
        break;
      case 'i':
        opt.mode = GwhMode::Import;
        break;
      case 'm':
        opt.mask = true;
        break;
      case 'n':
        opt.noChange = true;
        break;
      case 'g':
        opt.green = true;
        break;
      default:
        report("ERROR: unknown option %s\n", argv[i]);
        break;
    }
  }
  if (i >= argc) fatal("ERROR: expected INFILE parameter\n");
  opt.first = argv[i++];
  if (opt.mode == GwhMode::Print) {
    if (i < argc) opt.second = argv[i];
    return opt;
  }
  if (i >= argc) fatal("ERROR: expected OUTFILE parameter\n");
  opt.second = argv[i++];
  if (i < argc) opt.third = argv[i];
  return opt;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage();
    return 1;
  }
  GwhOptions opt = parseArguments(argc, argv);
  switch (opt.mode) {
    case GwhMode::Print:
      gwhPrintMode(opt);
      break;
    case GwhMode::Export:
      gwhExport(opt);
      break;
    case GwhMode::Create:
      gwhCreate(opt);
      break;
    case GwhMode::Import:
      gwhImport(opt);
      break;
    case GwhMode::None:
      report("ERROR: expected one of [p|e|i] parameters\n\n");
      printUsage();
      return 1;
  }
  return 0;
}
