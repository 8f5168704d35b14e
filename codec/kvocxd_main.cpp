// kvocxd: decompresses one compressed game file and can log every token.
#include <cstdio>

#include "codec/codec.h"
#include "frontend/frontend.h"
#include "platform/platform.h"

namespace {

struct Settings {
  bool logging = false;
  const char* inFile = nullptr;
  const char* outFile = nullptr;
  const char* logFile = nullptr;  // null: the log goes to standard output
};

Settings settings;

const char kUsage[] =
    "kvocx is tool for decompression of Quabrith files\n"
    "Usage: \n"
    "       kvocxd      INFILE   OUTFILE\n"
    "       kvocxd  -l  INFILE   OUTFILE [LOGFILE]\n"
    "Options:\n"
    "  -l   decompress and log INFILE to OUTFILE, write log to stdout or LOGFILE \n"
    "\n"
    "Version 20140916\n";

void printUsage() { std::fputs(kUsage, stdout); }

void parseArguments(int argc, char** argv) {
  int i = 1;
  for (; i < argc; ++i) {
    const char* arg = argv[i];
    if (!platIsOption(arg)) break;
    switch (arg[1]) {
      case '?':
      case 'h':
      case 'H':
        printUsage();
        break;
      case 'l':
      case 'L':
        settings.logging = true;
        break;
      default:
        report("ERROR: unknown option %s\n", arg);
        break;
    }
  }
  if (i >= argc) fatal("ERROR: expected INFILE parameter\n");
  settings.inFile = argv[i++];
  if (i >= argc) fatal("ERROR: expected OUTNAME parameter\n");
  settings.outFile = argv[i++];
  if (i < argc) settings.logFile = argv[i];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage();
    return 1;
  }
  parseArguments(argc, argv);
  exitOnFailure(cxdDecompressFile(settings.inFile, settings.outFile, settings.logging,
                                  settings.logging ? settings.logFile : nullptr, stderrMessages()));
  return 0;
}
