// fontextract FILE: splits a font file into the plane files FontA.raw and
// FontB.raw in the current directory.
#include <cstdio>
#include <cstdlib>

#include "font/fontfiles.h"
#include "font/fontplanes.h"
#include "platform/platform.h"
#include "platform/replace.h"

namespace {

[[noreturn]] void stop(const char* message) {
  std::printf("%s", message);
  std::exit(1);
}

// Writes one plane byte for each byte of the font; false when the font
// cannot be read through to its measured size.
bool writePlane(FILE* font, int64_t size, FILE* plane, uint8_t (*split)(uint8_t)) {
  if (platFseek64(font, 0, SEEK_SET) != 0) return false;
  for (int64_t i = 0; i < size; ++i) {
    int c = std::getc(font);
    if (c == EOF) return false;
    std::putc(split(static_cast<uint8_t>(c)), plane);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("fontextract - separa a fonte nos planos FontA.raw e FontB.raw\n");
    stop("Uso: fontextract ARQUIVO\n");
  }
  FILE* font = platFopen(argv[1], "rb");
  if (!font) stop("Erro ao abrir arquivo\n");
  int64_t size = 0;
  if (!fontFileSize(font, &size)) stop("Erro ao ler arquivo\n");

  // Both planes are finished before either replaces an old one; a run that
  // stops leaves old planes as they were.
  FILE* a = platReplaceOpen("FontA.raw", "wb");
  if (!a) stop("Erro ao criar arquivo FontA.raw\n");
  if (!writePlane(font, size, a, fontPlaneA)) stop("Erro ao ler arquivo\n");
  FILE* b = platReplaceOpen("FontB.raw", "wb");
  if (!b) stop("Erro ao criar arquivo FontB.raw\n");
  if (!writePlane(font, size, b, fontPlaneB)) stop("Erro ao ler arquivo\n");
  std::fclose(font);
  // Both planes are on disk before either takes its place, so a failure
  // cannot leave a new plane beside an old one.
  if (std::fflush(a) != 0 || std::ferror(a)) stop("Erro ao gravar arquivo FontA.raw\n");
  if (std::fflush(b) != 0 || std::ferror(b)) stop("Erro ao gravar arquivo FontB.raw\n");
  if (!platReplaceCommit(a)) stop(fontWriteError("Erro ao gravar arquivo FontA.raw"));
  if (!platReplaceCommit(b)) stop(fontWriteError("Erro ao gravar arquivo FontB.raw"));
  return 0;
}
