#include "kvo/state.h"

#include <gtest/gtest.h>

#include <string>

TEST(ProjectState, WrittenStateReadsBackTheSame) {
  ProjectState s;
  s.imageSize = 3221225472ULL;
  s.imageModified = 1765000000000000001LL;
  s.imageSha256 = std::string(64, 'f');
  s.files = {{15, 16, 0x8000, 4096, 3001, -1, FileKind::Raw, 3001, 0x1234},
             {16, 17, 5ULL << 32, 2048, 700, 2, FileKind::Dialog, 1800, ~0ULL}};
  s.artefacts = {{16, "text/0016.po", 99, 1700000000123456789LL, 42},
                 {16, "pics/0016/a b.bmp", 0, 0, 0}};
  const std::string text = stateWrite(s);
  EXPECT_EQ(text,
            "kvo-state 1\n"
            "image 3221225472 1765000000000000001 "
            "ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff\n"
            "file 15 16 32768 4096 3001 - raw 3001 0000000000001234\n"
            "file 16 17 21474836480 2048 700 2 dialog 1800 ffffffffffffffff\n"
            "artefact 16 99 1700000000123456789 000000000000002a text/0016.po\n"
            "artefact 16 0 0 0000000000000000 pics/0016/a b.bmp\n");
  Result<ProjectState> back = stateParse(text, "s");
  ASSERT_TRUE(back.ok()) << back.status.message;
  EXPECT_EQ(stateWrite(back.value), text);
  EXPECT_EQ(back.value.artefacts[1].path, "pics/0016/a b.bmp");
}

TEST(ProjectState, DamageIsReportedWithItsLine) {
  const std::string head = "kvo-state 1\nimage 1 2 " + std::string(64, '0') + "\n";
  auto error = [](const std::string& text) {
    Result<ProjectState> r = stateParse(text, ".kvo/state");
    return r.ok() ? "parsed" : r.status.message;
  };
  EXPECT_EQ(error(""), ".kvo/state:0: damaged project state: no image line\n");
  EXPECT_EQ(error("kvo-state 2\n"), ".kvo/state:1: damaged project state: unexpected line\n");
  EXPECT_EQ(error(head + "file 1 2 3 4 5 3 raw 1 0\n"),
            ".kvo/state:3: damaged project state: unexpected line\n");
  EXPECT_EQ(error(head + "file 4294967296 2 3 4 5 - raw 1 0\n"),
            ".kvo/state:3: damaged project state: unexpected line\n");
  EXPECT_EQ(error(head + "file 2 2 3 4 5 - raw 1 0\nfile 1 2 3 4 5 - raw 1 0\n"),
            ".kvo/state:4: damaged project state: unexpected line\n");
  for (const char* path : {"../x", "files/../../x", "/etc/x", "C:x", "a\\b", "a//b"})
    EXPECT_EQ(error(head + "artefact 1 2 3 4 " + path + "\n"),
              ".kvo/state:3: damaged project state: unexpected line\n");
  EXPECT_EQ(error(head + "artefact 1 2 3 4"),
            ".kvo/state:3: damaged project state: the last line is cut short\n");
  EXPECT_NE(contentHash("abcdefgh1", 9), contentHash("abcdefgh2", 9));
  EXPECT_NE(contentHash("", 0), contentHash("\0", 1));
}
