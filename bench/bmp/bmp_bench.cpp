// kvogwh on a 4096 x 4096 picture (16 MiB of pixels), run by hand:
// export to BMP, create from that BMP, import its pixels back, each against
// cp copying the same file, with the peak memory of each run. Loading works
// in the one file buffer, so the peak should stay near one or two copies of
// the picture. Each time is the best of three runs.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/common/childrun.h"

namespace {

// One run of a program that must succeed.
ChildRun runOnce(const std::vector<std::string>& args) {
  const ChildRun run = runChild(args);
  if (run.status != 0) {
    std::fprintf(stderr, "bench: %s failed\n", args[0].c_str());
    std::exit(1);
  }
  return run;
}

ChildRun bestOf3(const std::vector<std::string>& args) {
  ChildRun best = runOnce(args);
  for (int i = 1; i < 3; ++i) {
    ChildRun run = runOnce(args);
    if (run.seconds < best.seconds) best = run;
  }
  return best;
}
}  // namespace

int main() {
  const uint32_t side = 4096;
  char dirTemplate[] = "/tmp/kvo_bmp_bench.XXXXXX";
  if (!mkdtemp(dirTemplate)) return 1;
  // Paths beginning with "/" read as options: the runs work in the folder.
  const std::string dir = dirTemplate;
  if (chdir(dir.c_str()) != 0) return 1;
  const std::string gwh = "big.gwh", bmp = "big.bmp", out = "new.gwh";
  std::vector<uint8_t> file(1040 + side * side);
  for (int i = 0; i < 4; ++i)
    file[i] = static_cast<uint8_t>(side >> (8 * i)), file[4 + i] = file[i];
  for (uint32_t i = 0; i < 256; ++i)
    file[16 + 4 * i] = static_cast<uint8_t>(i), file[19 + 4 * i] = 0x80;
  for (size_t i = 1040; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
  FILE* fp = std::fopen(gwh.c_str(), "wb");
  if (!fp || std::fwrite(file.data(), 1, file.size(), fp) != file.size() || std::fclose(fp))
    return 1;

  const std::string tool = std::string(KVO_BIN_DIR) + "/kvogwh";
  runOnce({tool, "-e", gwh, bmp});  // so that the BMP exists for the baseline
  const ChildRun copy = bestOf3({"cp", bmp, "copy.bmp"});
  std::printf("picture %ux%u, %zu bytes; cp of the BMP: %.3f s\n", side, side, file.size(),
              copy.seconds);
  const struct {
    const char* what;
    std::vector<std::string> args;
  } runs[] = {{"-e export", {tool, "-e", gwh, bmp}},
              {"-c create", {tool, "-c", bmp, out}},
              {"-i import", {tool, "-i", gwh, bmp, out}}};
  for (const auto& r : runs) {
    ChildRun run = bestOf3(r.args);
    std::printf("kvogwh %s: %.3f s (%.1fx cp), peak %ld KiB (%.2fx the picture)\n", r.what,
                run.seconds, run.seconds / copy.seconds, run.peakKiB,
                run.peakKiB * 1024.0 / file.size());
  }
  std::system(("rm -rf " + dir).c_str());
  return 0;
}
