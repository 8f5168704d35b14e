// The programs on a real file system, as translators name their folders.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "tests/lba/disc_builder.h"

// Arguments, opening, listing and replacing with non-ASCII names.
TEST(FileNames, FoldersInAnyScriptAreReadListedAndWritten) {
  TempDir dir;
  const std::string folder = "日本語 é", input = folder + "\\入力 ü";
  ASSERT_EQ(mkdir(dir.file(folder).c_str(), 0700), 0);
  ASSERT_EQ(mkdir(dir.file(folder + "/入力 ü").c_str(), 0700), 0);
  DiscBuilder builder = listingDisc();
  for (int e = 4; e < 15; ++e) builder.file(filled(2048, uint8_t(e)));
  builder.file(filled(4000, 0x55));
  Bytes image = builder.build();
  writeBytes(dir.file(folder + "/ディスク é.iso"), image);
  writeBytes(dir.file(folder + "/入力 ü/0015.bin"), pattern(3000));

  ToolResult r = runTool("kvolba", {"-i", folder + "\\ディスク é.iso", input}, dir.path());
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(r.status, 0);
  Bytes written = readBytes(dir.file(folder + "/ディスク é.iso"));
  const size_t at = size_t(builder.starts[16]) * 2048;
  ASSERT_GE(written.size(), at + 3000);
  EXPECT_EQ(Bytes(written.begin() + long(at), written.begin() + long(at) + 3000), pattern(3000));

  // A compressed copy, decompressed over the original file.
  r = runTool("kvocx", {"-c", input + "\\0015.bin", folder + "\\圧縮 é.c1"}, dir.path());
  EXPECT_EQ(r.out + r.err, "");
  writeText(dir.file(folder + "/入力 ü/0015.bin"), "old");
  r = runTool("kvocx", {"-d", folder + "\\圧縮 é.c1", input + "\\0015.bin"}, dir.path());
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(readBytes(dir.file(folder + "/入力 ü/0015.bin")), pattern(3000));
}

// Windows will not replace a file that is open: here the program's own
// standard input holds the target open. (POSIX replaces it; the library's
// test provokes the failure there with a folder in the target's way.)
TEST(FailedReplacement, OldFileStaysAndNewDataIsKeptBesideIt) {
  if (!checkingWindowsBuild()) GTEST_SKIP() << "POSIX replaces open files";
  TempDir dir;
  writeBytes(dir.file("in.bin"), pattern(300));
  ASSERT_EQ(runTool("kvocx", {"-c", "in.bin", "in.c1"}, dir.path()).status, 0);
  writeText(dir.file("out.bin"), "old");
  // The Windows command shell opens the redirected input as Windows does.
  const char* bin = std::getenv("KVO_BIN_DIR");
  const char* runner = std::getenv("KVO_RUNNER");
  ASSERT_TRUE(bin && runner) << "the Windows check sets KVO_BIN_DIR and KVO_RUNNER";
  writeBytes(dir.file("kvocx.exe"), readBytes(std::string(bin) + "/kvocx.exe"));
  std::string command = "cd '" + dir.path() + "' && " + runner +
                        " cmd /c \"kvocx.exe -d in.c1 out.bin <out.bin\" 2>err.txt";
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_EQ(readTextOutput(dir.file("err.txt")),
            "ERROR: couldn't write data (300 bytes) to file : out.bin : the new data is kept in "
            "out.bin.kvotmp\n");
  EXPECT_EQ(readText(dir.file("out.bin")), "old");
  EXPECT_EQ(readBytes(dir.file("out.bin.kvotmp")), pattern(300));
}
