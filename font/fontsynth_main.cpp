// fontsynth FILE: joins the plane files FontA.raw and FontB.raw of the
// current directory into the font file FILE.
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

FILE* openPlane(const char* name, int64_t* size) {
  FILE* fp = platFopen(name, "rb");
  if (!fp) {
    std::printf("Erro ao abrir arquivo %s\n", name);
    std::exit(1);
  }
  if (!fontFileSize(fp, size)) {
    std::printf("Erro ao ler arquivo %s\n", name);
    std::exit(1);
  }
  return fp;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("fontsynth - junta os planos FontA.raw e FontB.raw numa fonte\n");
    stop("Uso: fontsynth ARQUIVO\n");
  }
  int64_t sizeA = 0, sizeB = 0;
  FILE* planeA = openPlane("FontA.raw", &sizeA);
  FILE* planeB = openPlane("FontB.raw", &sizeB);
  if (sizeA != sizeB) stop("Arquivos com tamanhos diferentes...");

  // The font is written beside its place and moved there when complete; a
  // run that stops leaves an old font as it was.
  FILE* font = platReplaceOpen(argv[1], "wb");
  if (!font) stop("Erro ao abrir arquivo\n");
  for (int64_t i = 0; i < sizeA; ++i) {
    int a = std::getc(planeA);
    int b = std::getc(planeB);
    if (a == EOF || b == EOF) stop("Erro ao ler arquivo\n");
    std::putc(fontJoin(static_cast<uint8_t>(a), static_cast<uint8_t>(b)), font);
  }
  std::fclose(planeA);
  std::fclose(planeB);
  if (!platReplaceCommit(font)) stop(fontWriteError("Erro ao gravar arquivo"));
  return 0;
}
