// kvocx: compresses a file into the game's compressed format or decompresses one.
#include <cstdio>

#include "codec/codec.h"
#include "frontend/frontend.h"
#include "frontend/numbers.h"
#include "platform/platform.h"

namespace {

enum class Mode { None, P, Compress, Decompress };

struct Settings {
  Mode mode = Mode::None;
  int type = 1;
  uint32_t padding = 0;  // 0 and 1: none
  uint32_t wanted = 0;   // wanted file size, 0: none
  const char* inFile = nullptr;
  const char* outFile = nullptr;
};

Settings settings;

const char kUsage[] =
    "kvocx is tool for (de)compression of Quabrith files\n"
    "Usage: \n"
    "       kvocx  -d                          INFILE OUTFILE\n"
    "       kvocx  -c[1|2] [-mX] [-s FILESIZE] INFILE OUTFILE\n"
    "Options:\n"
    "  -c   compress INFILE to OUTFILE, compress with type 1 compression\n"
    "  -c2  compress INFILE to OUTFILE, compress with type 2 compression\n"
    "  -d   decompress INFILE to OUTFILE\n"
    "  -m   compressed OUTFILE will have size multiple 8 (adding zero bytes padding)\n"
    "  -mX  compressed OUTFILE will have size multiple X (adding zero bytes padding)\n"
    "  -s   on compress, try get size of OUTFILE to FILESIZE by worse compression\n"
    "       (result size diff if FILESIZE too big or lower than normal output size)\n"
    "\n"
    "File format: \n"
    "  1B type, 4B decompressed size, rest compressed data\n"
    "  Compressed data : 1B flag, XB data\n"
    "  Flags/data:\n"
    "     0=end, <0x7E=raw(X=flag, direct copy),\n"
    "     0x7E=RLE(X=2B, 1B count-4, 1B value), 0x7F=RLE(X=3B, 2B count, 1B value)\n"
    "     >=0x80=LZSS(X=1, offset=1B+(flag:3/4bits*0x100), count=(flag:4/3bits)+3)\n"
    "\n"
    "Version 20140922\n";

void printUsage() { std::fputs(kUsage, stdout); }

// Reads the options up to INFILE, then INFILE and OUTFILE.
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
      case 'c':
      case 'C':
        settings.mode = Mode::Compress;
        if (arg[2] == '\0' || arg[2] == '1') settings.type = 1;
        if (arg[2] == '2') settings.type = 2;
        break;
      case 'd':
      case 'D':
        settings.mode = Mode::Decompress;
        break;
      case 'm':
      case 'M':
        settings.padding = arg[2] == '\0' ? 8 : static_cast<uint32_t>(parseDec(arg + 2));
        break;
      case 'p':
      case 'P':
        settings.mode = Mode::P;
        break;
      case 's':
      case 'S':
        if (i + 1 >= argc) fatal("ERROR: expected INFILE parameter\n");
        settings.wanted = static_cast<uint32_t>(parseDec(argv[++i]));
        break;
      default:
        report("ERROR: unknown option %s\n", arg);
        break;
    }
  }
  if (i >= argc) fatal("ERROR: expected INFILE parameter\n");
  settings.inFile = argv[i++];
  if (i < argc) {
    settings.outFile = argv[i];
  } else if (settings.mode != Mode::P) {
    fatal("ERROR: expected OUTNAME parameter\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage();
    return 1;
  }
  parseArguments(argc, argv);
  switch (settings.mode) {
    case Mode::None:
      report("ERROR: expected one of [p|c|d] parameters\n\n");
      printUsage();
      return 1;
    case Mode::P:
      break;
    case Mode::Compress:
      exitOnFailure(cxCompressFile(settings.inFile, settings.outFile, settings.type,
                                   settings.padding, settings.wanted, stderrMessages()));
      break;
    case Mode::Decompress:
      exitOnFailure(cxDecompressFile(settings.inFile, settings.outFile, stderrMessages()));
      break;
  }
  return 0;
}
