// Writes the demo's small game data set into a folder:
//   game.iso  a disc image whose file table holds
//             0000  a compressed battle file (dialog texts in section 2)
//             0001  a .gwh picture (64 x 32, 8-bit, one palette)
//             0002  a map graphics file (one YNSC section, one 32 x 16 bitmap)
//             0003  a headerless 256 x 128 8-bit bitmap
//             0004  the multi-palette file that goes with it (16 palettes)
//             0005  the sizes file (table entry 15)
//   kvo.tbs   the character table for the battle file's dialog texts
// Every byte is computed, so the data set is the same on every run.
// Usage: sampledata FOLDER
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "samples/gamedata.h"

namespace {

void save(const std::string& path, const GameBytes& data) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || std::fwrite(data.data(), 1, data.size(), f) != data.size() ||
      std::fclose(f) != 0) {
    std::fprintf(stderr, "ERROR: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

template <class T>
T valueOrExit(const Result<T>& result) {
  if (!result.ok()) {
    std::fputs(result.status.message.c_str(), stderr);
    std::exit(1);
  }
  return result.value;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: sampledata FOLDER\n");
    return 1;
  }
  const std::string dir = std::string(argv[1]) + "/";
  // Entries 0-4 hold the files, 5-14 are 'empty'; the writer adds the sizes
  // file (entry 15) and the terminator.
  std::vector<GdDiscFile> files(15);
  for (GdDiscFile& f : files) f.empty = true;
  const GameBytes battle = gdBattleFile(0);
  files[0] = {valueOrExit(gdCompress(battle, 1, 8)), true, false};
  files[1] = {gdGwhPicture(64, 32, 0), false, false};
  files[2] = {gdMapFile(32, 16, 0), false, false};
  files[3] = {gdHeaderlessBitmap(0), false, false};
  files[4] = {gdMultiPalette(0), false, false};
  const std::string image = dir + "game.iso";
  const Status written = gdWriteImage(image, files);
  if (!written.ok()) {
    std::fputs(written.message.c_str(), stderr);
    return 1;
  }
  const GameBytes table = gdCharacterTable();
  save(dir + "kvo.tbs", table);
  FILE* fp = std::fopen(image.c_str(), "rb");
  long imageSize = -1;
  if (fp != nullptr && std::fseek(fp, 0, SEEK_END) == 0) imageSize = std::ftell(fp);
  if (fp != nullptr) std::fclose(fp);
  std::printf("game.iso  %ld bytes, a disc image with these files:\n", imageSize);
  std::printf("  0000  battle file, %zu bytes, compressed to %zu (dialogs in section 2)\n",
              battle.size(), files[0].data.size());
  std::printf("  0001  .gwh picture 64 x 32, %zu bytes\n", files[1].data.size());
  std::printf("  0002  map graphics file, one 32 x 16 bitmap, %zu bytes\n", files[2].data.size());
  std::printf("  0003  headerless bitmap 256 x 128 8-bit, %zu bytes\n", files[3].data.size());
  std::printf("  0004  multi-palette file (16 palettes), %zu bytes\n", files[4].data.size());
  std::printf("  0005  sizes file (table entry 15)\n");
  std::printf("kvo.tbs   %zu bytes, the character table of the dialog texts\n", table.size());
  return 0;
}
