#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "frontend/streams.h"
#include "tests/support/testsupport.h"

TEST(NamedStreams, SlotsAreReusedAndNamesKept) {
  TempDir dir;
  std::vector<std::string> paths;
  for (const char* name : {"a", "b", "c", "d"}) {
    paths.push_back(dir.file(name));
    writeText(paths.back(), name);
  }
  FILE* a = fopenE(paths[0].c_str(), "rb");
  FILE* b = fopenE(paths[1].c_str(), "rb");
  FILE* c = fopenE(paths[2].c_str(), "rb");
  EXPECT_STREQ(fpToNameGet(a), paths[0].c_str());
  fcloseE(a);
  FILE* d = fopenE(paths[3].c_str(), "rb");
  EXPECT_STREQ(fpToNameGet(b), paths[1].c_str());
  EXPECT_STREQ(fpToNameGet(c), paths[2].c_str());
  EXPECT_STREQ(fpToNameGet(d), paths[3].c_str());
  char buffer[100];
  EXPECT_EQ(freadE(buffer, 1, 100, d), 1u);  // short read at end of file is fine
  EXPECT_EQ(fcloseReport(b), 0);
  fcloseE(c);
  fcloseE(d);
  FILE* unknown = std::fopen(paths[0].c_str(), "rb");
  EXPECT_STREQ(fpToNameGet(unknown), "ErrorNameNotSet");
  fpToNameRemove(unknown);  // unknown stream: nothing happens
  std::fclose(unknown);
}

TEST(NamedStreams, TableHoldsAtMost128Names) {
  TempDir dir;
  std::string path = dir.file("f");
  writeText(path, "x");
  EXPECT_EXIT(
      {
        std::vector<FILE*> open;
        for (int i = 0; i < 129; ++i) open.push_back(fopenE(path.c_str(), "rb"));
        std::fprintf(stderr, "[%s]", fpToNameGet(open[128]));
        std::exit(1);
      },
      testing::ExitedWithCode(1),
      exactly("WARN: TODO fpToNameAdd : enable more than 128 files\n[ErrorNameNotSet]"));
}

TEST(NamedStreams, FailuresNameTheFile) {
  TempDir dir;
  std::string missing = dir.file("missing");
  EXPECT_EXIT(
      fopenE(missing.c_str(), "rb"), testing::ExitedWithCode(1),
      exactly("ERROR: can't open file : " + missing + " : " + std::strerror(ENOENT) + "\n"));
  EXPECT_EXIT(
      {
        FILE* full = fopenE("/dev/full", "wb");
        std::setvbuf(full, nullptr, _IONBF, 0);
        fwriteE("abc", 1, 3, full);
      },
      testing::ExitedWithCode(1),
      exactly(std::string("ERROR: can't write to file : /dev/full : ") + std::strerror(ENOSPC) +
              "\n"));
  std::string path = dir.file("s");
  writeText(path, "abc");
  EXPECT_EXIT(
      {
        FILE* fp = fopenE(path.c_str(), "rb");
        fseekE(fp, -10, SEEK_SET);
      },
      testing::ExitedWithCode(1),
      exactly("ERROR: can't seek -10B in file : " + path + " : " + std::strerror(EINVAL) + " \n"));
  EXPECT_EXIT(
      {
        FILE* fp = fopenE(dir.path().c_str(), "rb");  // a directory cannot be read
        char buffer[4];
        freadE(buffer, 1, 4, fp);
      },
      testing::ExitedWithCode(1),
      exactly("ERROR: can't read from file : " + dir.path() + " : " + std::strerror(EISDIR) +
              "\n"));
}

TEST(UnnamedStreams, MessagesCarryOnlyTheReason) {
  TempDir dir;
  std::string path = dir.file("s");
  writeText(path, "abc");
  EXPECT_EXIT(
      {
        FILE* fp = fopenU(path.c_str(), "rb");
        fseekU(fp, -10, SEEK_SET);
      },
      testing::ExitedWithCode(1),
      exactly(std::string("ERROR: can't seek in file : ") + std::strerror(EINVAL) + " \n"));
  EXPECT_EXIT(
      {
        FILE* fp = fopenU("/dev/full", "wb");
        std::setvbuf(fp, nullptr, _IONBF, 0);
        fwriteU("abc", 1, 3, fp);
      },
      testing::ExitedWithCode(1),
      exactly(std::string("ERROR: can't write to file : ") + std::strerror(ENOSPC) + "\n"));
  FILE* fp = fopenU(path.c_str(), "rb");
  EXPECT_EQ(fseekU(fp, 5000000000LL, SEEK_SET), 0);  // beyond 4 GiB is a valid position
  std::fclose(fp);
}
