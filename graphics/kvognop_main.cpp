// kvognop: headerless bitmaps with multi-palette files, to BMP and back.
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "bmp/palette.h"
#include "common/strutil.h"
#include "frontend/frontend.h"
#include "frontend/numbers.h"
#include "graphics/gnop.h"
#include "graphics/gnopmodes.h"
#include "platform/platform.h"

namespace {
const char kUsage[] =
    "Usage:\n"
    "       kvognop -e  [-n|-na] [-t] [-pb B] [-pp P]  BITMAP   MPALETTES  BMPFILE\n"
    "       kvognop -eX [-n|-na] [-t] [-pb B] [-pp P]  BITMAP   MPALETTES  BMPFILE\n"
    "       kvognop -a  [-n|-na] [-t] [-pb B] [-pp P]  BITMAP   MPALETTES  PREFIX\n"
    "       kvognop -aX [-n|-na] [-t] [-pb B] [-pp P]  BITMAP   MPALETTES  PREFIX\n"
    "       kvognop -i  IMPORT_POSITION  BITMAP   BMPFILE   [OUTNAME]\n"
    "       kvognop -c                   BMPFILE  BITMAP\n"
    "       kvognop -m                   BITMAP   BMPFILE    BMPMASK  [OUTNAME]\n"
    "Converts KVO graphic file with no parameters (w/h/bpp/palette) to BMP.\n"
    "Options:\n"
    "  -e   extract/convert BITMAP to BMPFILE with first palette from MPALETTES\n"
    "  -eX  extract/convert BITMAP to BMPFILE with Xth palette (from 0 to 15)\n"
    "       ('-eX,Y' possible for 4bits\n"
    "  -a   extract BITMAP with all palettes from MPALETTES to PREFIX_NUM.bmp\n"
    "       ('-aX' for 4-bits extract bitmaps for Xth palette)\n"
    "  -i   import bitmap from BMPFILE to IMPORT_POSITION at BITMAP (OUTNAME) file\n"
    "  -c   create BITMAP from BMPFILE (copy bitmap data)\n"
    "  -m   import mask - merge pixel in BMPFILE to BITMAP if pixel in BMPMASK not 0\n"
    "  -n   on export dont change colors in palette, default:\n"
    "       background to magenta, black (RGBA000X,X!=0x80) to greens, remove duples\n"
    "  -na  on export dont convert transparent black (RGBA000X,X!=0x80) to greens\n"
    "  -t4  convert result BMP to 32 bit (import of those not supported)\n"
    "  -ta  on export apply apha to palette colors (as if background was black)\n"
    "  -taR,G,B on export apply apha to palette colors as if background was RGB\n"
    "  -pb  width,height,bpp[,bitmap_offset] - set extract parameters for bitmap\n"
    "       (default 'autodetect', width/height in pixel\n"
    "  -pp  offset[,width,height,noSwapColor,normalAlpha] - set params for palette\n"
    "       (default 'autodetect', w/h - in pixel, must multiple 16, default 16/16)\n"
    "  -sb  on export if 2nd palette color is background (RGBA=0000), set it to green\n"
    "Notes:\n"
    "    Width/height/bpp is based from file size (known sizes, known files)\n"
    "    Palettes are in 'multi palette' file (16 palettes).\n"
    "\n"
    "Examples:\n"
    "      kvognop  -e1   0225  0223  0225.bmp\n"
    "      kvognop  -a    0226  0223  out\\0226\n"
    "      kvognop  -e1 -pb 256,256,8 -pp 0,64,64  0225  0223  0225.bmp\n"
    "\n"
    "Version 20141122\n";

enum class Mode { None, ExtractOne, ExtractAll, Import, Create, MaskMerge };

struct GnopOptions {
  Mode mode = Mode::None;
  uint32_t paletteIndex = 0, subPalette = 0;
  bool onlyGiven = false;
  uint32_t position = 0;
  PictureColourOptions colours;
  uint32_t background[3] = {0, 0, 0};
  GnopParams params;
};

GnopOptions gOptions;

[[noreturn]] void usageExit(int status) {
  std::fputs(kUsage, stdout);
  std::fflush(stdout);
  std::exit(status);
}

// "-eX" or "-eX,Y": palette X and sub-palette Y, decimal.
void parseExtractOne(const char* text) {
  if (!*text) return;
  char* end = nullptr;
  gOptions.paletteIndex = static_cast<uint32_t>(strtolE(text, &end, 10, true));
  if (*end && end[1])
    gOptions.subPalette = static_cast<uint32_t>(strtolE(end + 1, nullptr, 10, true));
}

// Scans the options; returns the index of the first file argument.
int parseOptions(int argc, char** argv) {
  GnopOptions& o = gOptions;
  int i = 1;
  for (; i < argc; ++i) {
    const char* arg = argv[i];
    if (!platIsOption(arg)) break;
    char third = arg[1] ? asciiLower(arg[2]) : '\0';
    switch (asciiLower(arg[1])) {
      case '?':
      case 'h':
        usageExit(0);
      case 'e':
        o.mode = Mode::ExtractOne;
        parseExtractOne(arg + 2);
        break;
      case 'a':
        o.mode = Mode::ExtractAll;
        o.onlyGiven = arg[2] != '\0';
        if (o.onlyGiven)
          o.paletteIndex = static_cast<uint32_t>(strtolE(arg + 2, nullptr, 10, true));
        break;
      case 'i':
        o.mode = Mode::Import;
        if (i + 1 < argc) o.position = static_cast<uint32_t>(parseUIntAuto(argv[++i]));
        break;
      case 'c':
        o.mode = Mode::Create;
        break;
      case 'm':
        o.mode = Mode::MaskMerge;
        break;
      case 'n':
      case 's':
      case 't':
        pictureColourOption(asciiLower(arg[1]), third, &o.colours);
        if (asciiLower(arg[1]) == 't' && third == 'a')
          exitOnFailure(gnopParseNumbers(arg + 3, o.background, 3).status);
        break;
      case 'p':
        if ((third == 'b' || third == 'p') && i + 1 < argc) {
          if (third == 'b')
            exitOnFailure(gnopParseBitmapParams(argv[++i], &o.params));
          else
            exitOnFailure(gnopParsePaletteParams(argv[++i], &o.params));
        }
        break;
      default:
        report("ERROR: unknown option %s\n", arg);
    }
  }
  return i;
}

GnopExportSettings exportSettings() {
  const GnopOptions& o = gOptions;
  GnopExportSettings s;
  s.flags = paletteFlagsOf(o.colours);
  s.output32 = o.colours.output32;
  for (int c = 0; c < 3; ++c) s.background[c] = static_cast<uint8_t>(o.background[c]);
  return s;
}

// The file arguments of the run, missing ones null.
struct Files {
  const char* f[4] = {nullptr, nullptr, nullptr, nullptr};
};

void runCreate(const Files& a) {
  if (!a.f[0]) fatal("ERROR: '-c' : expected BMPFILE parameter\n");
  if (!a.f[1]) fatal("ERROR: '-c' : expected BITMAP parameter\n");
  gnopCreate(a.f[0], a.f[1]);
}

void runImport(const Files& a) {
  if (!a.f[0]) fatal("ERROR: '-i' : expected BITMAP parameter\n");
  if (!a.f[1]) fatal("ERROR: '-i' : expected BMPFILE parameter\n");
  gnopImport(gOptions.position, a.f[0], a.f[1], a.f[2]);
}

void runMaskMerge(const Files& a) {
  if (!a.f[0]) fatal("ERROR: '-m' : expected BITMAP parameter\n");
  if (!a.f[1]) fatal("ERROR: '-m' : expected BMPFILE parameter\n");
  if (!a.f[2]) fatal("ERROR: '-m' : expected BMPMASK parameter\n");
  gnopMaskMerge(a.f[0], a.f[1], a.f[2], a.f[3]);
}

void runExtract(const Files& a) {
  if (!a.f[0]) fatal("ERROR: expected BITMAP parameter\n");
  if (!a.f[1]) fatal("ERROR: expected PALETTE parameter\n");
  if (!a.f[2]) fatal("ERROR: expected BMPFILE parameter\n");
  const GnopOptions& o = gOptions;
  std::unique_ptr<GnopLoaded> loaded = gnopLoad(a.f[0], a.f[1], o.params, exportSettings());
  if (o.mode == Mode::ExtractOne)
    gnopExtractOne(&loaded->gnop, o.paletteIndex, o.subPalette, a.f[2]);
  else
    gnopExtractAll(&loaded->gnop, o.onlyGiven, o.paletteIndex, a.f[2]);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) usageExit(1);
  int first = parseOptions(argc, argv);
  if (gOptions.mode == Mode::None) {
    report("ERROR: expected one of mode ([e|a|c]) parameters\n\n");
    usageExit(1);
  }
  Files files;
  for (int i = first, k = 0; i < argc && k < 4; ++i, ++k) files.f[k] = argv[i];
  switch (gOptions.mode) {
    case Mode::Create:
      runCreate(files);
      break;
    case Mode::Import:
      runImport(files);
      break;
    case Mode::MaskMerge:
      runMaskMerge(files);
      break;
    default:
      runExtract(files);
  }
  return 0;
}
