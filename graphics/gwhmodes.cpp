// The four things kvogwh does: list, export to BMP, create from BMP, import
// the pixels of a BMP.
#include <cerrno>
#include <cstring>
#include <utility>

#include "common/safeout.h"
#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "graphics/gwh.h"
#include "graphics/gwhmodes.h"
#include "platform/platform.h"

namespace {
GwhFile gwhLoad(const char* path) {
  Result<std::vector<uint8_t>> file = loadFile(path, FileWording::Quoted);
  exitOnFailure(file.status);
  return valueOrExit(gwhRead(std::move(file.value), path, stderrMessages()));
}

// A BMP file that cannot be read ends the process with kvogwh's own message.
std::vector<uint8_t> bmpBytesOrExit(const char* path) {
  Result<std::vector<uint8_t>> file = loadFile(path, FileWording::Plain);
  if (!file.ok())
    fatal("ERROR: cannot load file to memory : %s : %s\n", std::strerror(errno), path);
  return std::move(file.value);
}

// The "-p" listing.
void gwhPrint(const GwhFile& gwh, FILE* stream) {
  const uint32_t size = static_cast<uint32_t>(gwh.data.size());
  std::fprintf(stream, "filename: %s\n", gwh.name.c_str());
  std::fprintf(stream, "fileSize: %u (0x%x)\n", size, size);
  std::fprintf(stream, "width : %u\n", gwh.width);
  std::fprintf(stream, "height: %u\n", gwh.height);
}

GwhColours coloursOf(const GwhOptions& opt) { return GwhColours{opt.noChange, opt.green}; }
}  // namespace

void gwhPrintMode(const GwhOptions& opt) {
  GwhFile gwh = gwhLoad(opt.first);
  FILE* out = stdout;
  if (opt.second) {
    out = platFopen(opt.second, "w");
    if (!out) fatal("ERROR: couldnt open file for output : %s\n", opt.second);
  }
  gwhPrint(gwh, out);
  if (out != stdout) {
    fpToNameAdd(out, opt.second);
    fcloseE(out);  // a full disk shows here
  }
}

void gwhExport(const GwhOptions& opt) {
  std::vector<uint8_t> bmp =
      valueOrExit(gwhToBmp(gwhLoad(opt.first), coloursOf(opt), opt.second, stderrMessages()));
  if (fileSave(opt.second, bmp.data(), static_cast<uint32_t>(bmp.size())) < bmp.size())
    fatal("ERROR: cannot save data as BMP file : %s%s\n", opt.second, outKeptNote());
}

void gwhCreate(const GwhOptions& opt) {
  std::vector<uint8_t> gwh = valueOrExit(
      gwhFromBmp(bmpBytesOrExit(opt.first), opt.first, coloursOf(opt), stderrMessages()));
  // An existing picture is replaced only by a complete one.
  exitOnFailure(saveOutput(opt.second, gwh.data(), static_cast<uint32_t>(gwh.size())));
}

void gwhImport(const GwhOptions& opt) {
  const char* outPath = opt.third ? opt.third : opt.first;
  GwhFile gwh = gwhLoad(opt.first);
  exitOnFailure(
      gwhImportBmp(gwh, bmpBytesOrExit(opt.second), opt.second, opt.mask, stderrMessages()));
  // The output is often the input itself: it is replaced only once the new
  // data is completely written.
  fileSaveQ(outPath, gwh.data.data(), static_cast<uint32_t>(gwh.data.size()));
}
