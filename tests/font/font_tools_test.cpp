#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/testsupport.h"

namespace {

Bytes allByteValues() {
  Bytes font(256);
  for (int i = 0; i < 256; ++i) font[i] = static_cast<uint8_t>(i);
  return font;
}

std::vector<std::string> filesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

const char kSizeMessage[] = "Arquivos com tamanhos diferentes...";

}  // namespace

TEST(FontTools, SplitAndJoinEveryByte) {
  TempDir dir;
  writeBytes(dir.file("font.bin"), allByteValues());
  ToolResult split = runTool("fontextract", {"font.bin"}, dir.path());
  EXPECT_EQ(split.status, 0);
  EXPECT_EQ(split.out, "");
  Bytes a = readBytes(dir.file("FontA.raw"));
  Bytes b = readBytes(dir.file("FontB.raw"));
  ASSERT_EQ(a.size(), 256u);
  ASSERT_EQ(b.size(), 256u);
  EXPECT_EQ(a[0xE4], 0x20);
  EXPECT_EQ(b[0xE4], 0x31);
  EXPECT_EQ(a[0xFF], 0x33);
  EXPECT_EQ(b[0xFF], 0x33);
  EXPECT_EQ(a[0x00], 0x00);
  EXPECT_EQ(b[0x00], 0x00);
  EXPECT_EQ(a[0x9C], 0x10);  // nibbles 1001 and 1100
  EXPECT_EQ(b[0x9C], 0x23);

  ToolResult join = runTool("fontsynth", {"joined.bin"}, dir.path());
  EXPECT_EQ(join.status, 0);
  EXPECT_EQ(join.out, "");
  EXPECT_EQ(readBytes(dir.file("joined.bin")), allByteValues());
  EXPECT_EQ(filesIn(dir.path()),
            (std::vector<std::string>{"FontA.raw", "FontB.raw", "font.bin", "joined.bin"}));
}

TEST(FontTools, EmptyFilesAndStrayPlaneBits) {
  TempDir dir;
  writeBytes(dir.file("empty.bin"), {});
  EXPECT_EQ(runTool("fontextract", {"empty.bin"}, dir.path()).status, 0);
  EXPECT_EQ(readBytes(dir.file("FontA.raw")), Bytes{});
  EXPECT_EQ(readBytes(dir.file("FontB.raw")), Bytes{});
  EXPECT_EQ(runTool("fontsynth", {"out.bin"}, dir.path()).status, 0);
  EXPECT_TRUE(fileExists(dir.file("out.bin")));
  EXPECT_EQ(readBytes(dir.file("out.bin")), Bytes{});

  // Edited planes are joined as the sum comes out, carries and all.
  writeBytes(dir.file("FontA.raw"), {0xFF, 0x04, 0x33});
  writeBytes(dir.file("FontB.raw"), {0xFF, 0x40, 0x33});
  EXPECT_EQ(runTool("fontsynth", {"out.bin"}, dir.path()).status, 0);
  EXPECT_EQ(readBytes(dir.file("out.bin")), (Bytes{0xFB, 0x04, 0xFF}));
}

TEST(FontTools, FontsynthWritesNothingWhenItCannotGoOn) {
  TempDir dir;
  writeBytes(dir.file("FontA.raw"), Bytes(100, 0x11));
  writeBytes(dir.file("FontB.raw"), Bytes(101, 0x22));
  ToolResult r = runTool("fontsynth", {"new.bin"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kSizeMessage);
  EXPECT_FALSE(fileExists(dir.file("new.bin")));

  // An existing font stays as it was.
  writeBytes(dir.file("old.bin"), {1, 2, 3});
  r = runTool("fontsynth", {"old.bin"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kSizeMessage);
  EXPECT_EQ(readBytes(dir.file("old.bin")), (Bytes{1, 2, 3}));

  std::filesystem::remove(dir.file("FontB.raw"));
  r = runTool("fontsynth", {"old.bin"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Erro ao abrir arquivo FontB.raw\n");
  EXPECT_EQ(readBytes(dir.file("old.bin")), (Bytes{1, 2, 3}));

  // The font cannot be created (a folder of that name): no leftovers.
  writeBytes(dir.file("FontB.raw"), Bytes(100, 0x22));
  std::filesystem::create_directory(dir.file("folder"));
  r = runTool("fontsynth", {"folder"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Erro ao abrir arquivo\n");
  r = runTool("fontsynth", {"nowhere/x.bin"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Erro ao abrir arquivo\n");
  EXPECT_EQ(filesIn(dir.path()),
            (std::vector<std::string>{"FontA.raw", "FontB.raw", "folder", "old.bin"}));
}

TEST(FontTools, ReplacesOldFilesAndLeavesOthersAlone) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("sub"));
  writeBytes(dir.file("FontA.raw"), {0x20, 0x33});
  writeBytes(dir.file("FontB.raw"), {0x31, 0x33});
  writeBytes(dir.file("sub/font.bin"), Bytes(50, 0x77));
  writeBytes(dir.file("sub/font.bin.kvotmp"), {9, 9});  // somebody's file, not ours to take
  ToolResult r = runTool("fontsynth", {"sub\\font.bin"}, dir.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(readBytes(dir.file("sub/font.bin")), (Bytes{0xE4, 0xFF}));
  EXPECT_EQ(readBytes(dir.file("sub/font.bin.kvotmp")), (Bytes{9, 9}));
  EXPECT_EQ(filesIn(dir.file("sub")), (std::vector<std::string>{"font.bin", "font.bin.kvotmp"}));

  // A font that is itself named FontA.raw is read whole before it is replaced.
  writeBytes(dir.file("FontA.raw"), {0xE4});
  r = runTool("fontextract", {"FontA.raw"}, dir.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(readBytes(dir.file("FontA.raw")), Bytes{0x20});
  EXPECT_EQ(readBytes(dir.file("FontB.raw")), Bytes{0x31});
}

TEST(FontTools, UsageAndMissingFont) {
  TempDir dir;
  const std::string extractUsage =
      "fontextract - separa a fonte nos planos FontA.raw e FontB.raw\nUso: fontextract ARQUIVO\n";
  const std::string synthUsage =
      "fontsynth - junta os planos FontA.raw e FontB.raw numa fonte\nUso: fontsynth ARQUIVO\n";
  for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"a", "b"}}) {
    ToolResult r = runTool("fontextract", args, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, extractUsage);
    r = runTool("fontsynth", args, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, synthUsage);
  }
  ToolResult r = runTool("fontextract", {"missing.bin"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Erro ao abrir arquivo\n");
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(filesIn(dir.path()).empty());
}
