// kvomap: lists, extracts and imports the pictures of map graphics files.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bmp/palette.h"
#include "common/strutil.h"
#include "frontend/frontend.h"
#include "frontend/numbers.h"
#include "frontend/streams.h"
#include "graphics/map1.h"
#include "graphics/mapmodes.h"
#include "platform/platform.h"

namespace {
const char kUsage[] =
    "Extract/import from YNSC sections KVO map graphic file to BMP.\n"
    "Usage:\n"
    "       kvomap -p       MAPFILE   [OUTFILE]\n"
    "       kvomap -pg|-pe  MAPFILE   [PREFIX]  [OUTFILE]\n"
    "       kvomap -e       MAPFILE   [PREFIX]\n"
    "       kvomap -eX      MAPFILE    OUTFILE\n"
    "       kvomap -i       MAPFILE   [PREFIX]  [OUTFILE]\n"
    "       kvomap -iX      MAPFILE    BMPFILE  [OUTFILE]\n"
    "Options:\n"
    "  -p   print info about MAPFILE to stdout or OUTFILE\n"
    "  -pg  print kvognop commands for extract for MAPFILE to stdout or OUTFILE\n"
    "  -pe  prinf kvomap commands to extract files after one\n"
    "  -e   extract all bitmaps from MAPFILE to BMP files with given PREFIX\n"
    "  -eX  extract one bitmap from given position to OUTFILE\n"
    "       X is comma separated list of indexes, X=YNSC,entry,bitmap[,palette]\n"
    "       X posible variants : E or E,B or Y,E,B or Y,E,B,P (unset default zero)\n"
    "  -i   import found BMPs with PREFIX to MAPFILE/OUTFILE, palette not imported\n"
    "  -ip  import found BMPs (same as '-i') and import updated palette\n"
    "  -iX  import BMPFILE to given position to MAPFILE/OUTFILE, format as '-eX'\n"
    "  -ipX import one BMP (same as '-iX') and import updated palette\n"
    "  -o   specify OUTFILE with parameter ('-o OUTFILE')\n"
    "Export options:\n"
    "  -n   on export dont change colors in palette, default:\n"
    "       background to magenta, black (RGBA000X,X!=0x80) to greens, remove duples\n"
    "  -na  on export dont convert transparent black (RGBA000X,X!=0x80) to greens\n"
    "  -t4  convert result BMP to 32 bit (import of those not supported)\n"
    "  -ta  on export apply apha to palette colors (as if background was black)\n"
    "  -sb  on export if 2nd palette color is background(RGBA=0000), set it to green\n"
    "Import options:\n"
    "  -n   on import, if importing palette, dont change colors in palette, default:\n"
    "       first to transparent (aplha = 0x0), others to opaque (alpha = 0x80)\n"
    "Export/import options:\n"
    "  -r   specify range of imported/extracted files ('-r RANGE')\n"
    "       RANGE posible variants : E or E,B or Y,E,B (not given use max range)\n"
    "\n"
    "Examples:\n"
    "      kvomap  -e   3650.map   out\\3650_\n"
    "      kvomap  -i   3650.map   out\\3650_  new.map\n"
    "      kvomap  -e  -r  3,5-10  3650.map   out\\3650_\n"
    "      kvomap  -e0,3,26  -n    3650.map   out\\3650_03_26.bmp\n"
    "\n"
    "Version 20140930\n";

enum class Mode { None, Print, ExtractOne, ExtractAll, ImportOne, ImportAll };
enum class Listing { Info, Gnop, Map };

struct MapOptions {
  Mode mode = Mode::None;
  Listing listing = Listing::Info;
  const char* mapFile = nullptr;
  const char* outFile = nullptr;
  const char* prefix = nullptr;
  const char* bmpFile = nullptr;
  MapIndex index;
  PictureColourOptions colours;
  bool importPalette = false;
  bool rangeGiven = false;
  IndexRange ynscRange, entryRange, bitmapRange;
};

MapOptions gOptions;

[[noreturn]] void usageExit(int status) {
  std::fputs(kUsage, stdout);
  std::fflush(stdout);
  std::exit(status);
}

// "E", "E,B", "Y,E,B" or "Y,E,B,P" with any one character between numbers.
void parseIndexList(const char* text, MapIndex* at) {
  uint32_t v[4] = {0, 0, 0, 0};
  uint32_t count = 0;
  while (*text && count < 4) {
    char* end = nullptr;
    v[count++] = static_cast<uint32_t>(parseUIntAutoEnd(text, &end));
    text = *end ? end + 1 : end;
  }
  MapIndex i;
  if (count == 1) i.entry = v[0];
  if (count == 2) i.entry = v[0], i.bitmap = v[1];
  if (count >= 3) i.ynsc = v[0], i.entry = v[1], i.bitmap = v[2];
  i.palette = count == 4 ? v[3] : i.bitmap;
  *at = i;
}

const char* skipBlanks(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

// One item "N" or "N-M"; false (nothing read) when it is not one.
bool parseRangeItem(const char** text, IndexRange* range) {
  const char* p = skipBlanks(*text);
  if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
  char* end = nullptr;
  unsigned long first = std::strtoul(p, &end, 10);
  unsigned long last = first;
  p = skipBlanks(end);
  if (*p == '-') {
    p = skipBlanks(p + 1);
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    last = std::strtoul(p, &end, 10);
    p = skipBlanks(end);
  }
  range->first = first > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(first);
  range->last = last > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(last);
  *text = p;
  return true;
}

void parseRanges(const char* text) {
  IndexRange items[3];
  uint32_t count = 0;
  const char* p = text;
  IndexRange item;
  while (parseRangeItem(&p, &item)) {
    if (count < 3) items[count] = item;
    ++count;
    if (!*p) break;
    ++p;  // the separator
  }
  if (count == 0) fatal("ERROR: invalid range values after '-r' parameter: %s\n", text);
  MapOptions& o = gOptions;
  o.rangeGiven = true;
  if (count == 1) o.entryRange = items[0];
  if (count == 2) o.entryRange = items[0], o.bitmapRange = items[1];
  if (count >= 3) o.ynscRange = items[0], o.entryRange = items[1], o.bitmapRange = items[2];
}

// Scans the options; returns the index of the first file argument.
int parseOptions(int argc, char** argv) {
  MapOptions& o = gOptions;
  int i = 1;
  for (; i < argc; ++i) {
    const char* arg = argv[i];
    if (!platIsOption(arg)) break;
    char third = arg[1] ? asciiLower(arg[2]) : '\0';
    switch (asciiLower(arg[1])) {
      case '?':
      case 'h':
        usageExit(0);
      case 'p':
        o.mode = Mode::Print;
        o.listing = third == 'g' ? Listing::Gnop : third == 'e' ? Listing::Map : Listing::Info;
        break;
      case 'e':
        o.mode = arg[2] ? Mode::ExtractOne : Mode::ExtractAll;
        if (arg[2]) parseIndexList(arg + 2, &o.index);
        break;
      case 'i': {
        const char* list = arg + 2;
        o.importPalette = asciiLower(*list) == 'p';
        if (o.importPalette) ++list;
        o.mode = *list ? Mode::ImportOne : Mode::ImportAll;
        if (*list) parseIndexList(list, &o.index);
        break;
      }
      case 'o':
        if (i + 1 >= argc) {
          report("ERROR: expected parameter after '-o' parameter\n");
          return argc;
        }
        o.outFile = argv[++i];
        break;
      case 'r':
        if (i + 1 >= argc) {
          report("ERROR: expected parameter after '-r' parameter\n");
          return argc;
        }
        parseRanges(argv[++i]);
        break;
      case 'n':
      case 's':
      case 't':
        pictureColourOption(asciiLower(arg[1]), third, &o.colours);
        break;
      default:
        report("ERROR: unknown option %s\n", arg);
    }
  }
  return i;
}

// Takes the file arguments of the chosen mode; ends the process when a
// required one is missing.
void takeFiles(int argc, char** argv, int first) {
  MapOptions& o = gOptions;
  const char* files[3] = {nullptr, nullptr, nullptr};
  for (int i = first, k = 0; i < argc && k < 3; ++i, ++k) files[k] = argv[i];
  const char* mapMissing = "ERROR: '-p' : expected MAPFILE parameter\n";
  if (o.mode == Mode::ExtractAll) mapMissing = "ERROR: '-e' : expected MAPFILE parameter\n";
  if (o.mode == Mode::ExtractOne) mapMissing = "ERROR: '-eX' : expected MAPFILE parameter\n";
  if (o.mode == Mode::ImportAll) mapMissing = "ERROR: '-i' : expected MAPFILE parameter\n";
  if (o.mode == Mode::ImportOne) mapMissing = "ERROR: '-iX' : expected MAPFILE parameter\n";
  if (!files[0]) fatal("%s", mapMissing);
  o.mapFile = files[0];
  switch (o.mode) {
    case Mode::Print:
      if (o.listing == Listing::Info) {
        if (files[1]) o.outFile = files[1];
      } else {
        o.prefix = files[1];
        if (files[2]) o.outFile = files[2];
      }
      break;
    case Mode::ExtractAll:
      o.prefix = files[1];
      break;
    case Mode::ExtractOne:
      if (files[1]) o.outFile = files[1];
      if (!o.outFile) fatal("ERROR: '-eX' : expected OUTFILE parameter\n");
      break;
    case Mode::ImportAll:
      o.prefix = files[1];
      if (files[2]) o.outFile = files[2];
      break;
    case Mode::ImportOne:
      o.bmpFile = files[1];
      if (!o.bmpFile) fatal("ERROR: '-iX' : expected BMPFILE parameter\n");
      if (files[2]) o.outFile = files[2];
      break;
    case Mode::None:
      break;
  }
}

MapSettings settingsOf(const MapOptions& o) {
  MapSettings s;
  s.output32 = o.colours.output32;
  s.importPalette = o.importPalette;
  s.rangeGiven = o.rangeGiven;
  s.ynscRange = o.ynscRange;
  s.entryRange = o.entryRange;
  s.bitmapRange = o.bitmapRange;
  s.paletteFlags = paletteFlagsOf(o.colours);
  return s;
}

// The index of a single-bitmap mode; an index out of range is reported.
bool indexInRange(const MapFile& map, const MapIndex& at) {
  Status checked = mapCheckIndex(map, at);
  if (checked.failed) report("%s", checked.message.c_str());
  return checked.ok();
}

void runPrint(const MapFile& map) {
  const MapOptions& o = gOptions;
  FILE* out = o.outFile ? fopenE(o.outFile, "w") : stdout;
  if (o.listing == Listing::Info) mapPrintInfo(map, out);
  if (o.listing == Listing::Gnop) mapPrintGnopLines(map, o.prefix, out);
  if (o.listing == Listing::Map) mapPrintMapLines(map, o.prefix, out);
  if (o.outFile) fcloseE(out);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    report("ERROR: expected at last two parameters parameters\n\n");
    usageExit(1);
  }
  int first = parseOptions(argc, argv);
  MapOptions& o = gOptions;
  if (o.mode == Mode::None) {
    report("ERROR: expected one of mode (-p|-e|-i) parameters\n\n");
    usageExit(1);
  }
  takeFiles(argc, argv, first);
  MapFile map = mapLoad(o.mapFile);
  const MapSettings settings = settingsOf(o);
  switch (o.mode) {
    case Mode::Print:
      runPrint(map);
      break;
    case Mode::ExtractAll:
      mapExtractAll(map, settings, o.prefix);
      break;
    case Mode::ExtractOne:
      if (indexInRange(map, o.index)) mapExtractBitmap(map, o.index, settings, o.outFile);
      break;
    case Mode::ImportAll:
      mapImportAll(map, settings, o.prefix);
      mapSave(map, o.outFile ? o.outFile : o.mapFile);
      break;
    case Mode::ImportOne:
      if (indexInRange(map, o.index)) mapImportBitmap(map, o.index, settings, o.bmpFile);
      mapSave(map, o.outFile ? o.outFile : o.mapFile);
      break;
    case Mode::None:
      break;
  }
  return 0;
}
