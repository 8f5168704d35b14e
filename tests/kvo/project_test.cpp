#include "kvo/project.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string errorOf(const std::string& text) {
  Result<Project> r = projectParse(text, "p/kvo.toml");
  return r.ok() ? "parsed" : r.status.message;
}
}  // namespace

TEST(ProjectFile, WrittenProjectReadsBackTheSame) {
  Project p;
  p.imagePath = "disc\\Jeu \xC3\xA9t\xC3\xA9 \"1\".iso";
  p.imageSize = 5000000000ULL;
  p.imageSha256 = std::string(64, 'a');
  p.tablePath = "kvo.tbs";
  p.tableFormat = "hex";
  p.dialogExtensions = {".bt"};
  p.detectGwh = false;
  FileRule gnop{120, FileKind::Gnop, GnopRule{256, 128, 4, 121, 3, 16, 32}};
  p.files = {{7, FileKind::Skip, {}}, gnop};
  p.smallBattle = SmallBattleRule{400, 401, 766};
  std::string text = projectWrite(p);
  Result<Project> back = projectParse(text, "kvo.toml");
  ASSERT_TRUE(back.ok()) << back.status.message;
  EXPECT_EQ(projectWrite(back.value), text);
  EXPECT_EQ(back.value.imagePath, p.imagePath);
  EXPECT_EQ(back.value.imageSize, p.imageSize);
  ASSERT_NE(projectRuleFor(back.value, 120), nullptr);
  EXPECT_EQ(projectRuleFor(back.value, 120)->gnop.paletteNumber, 3u);
  EXPECT_EQ(projectRuleFor(back.value, 8), nullptr);
  EXPECT_EQ(back.value.smallBattle->lastBattle, 766u);
}

TEST(ProjectFile, CharactersBeyondAsciiAreReadAsTheyAre) {
  // U+FB50 (Arabic) and U+FE00 (a variation selector): in a value, a
  // comment and where no character may stand.
  const std::string arabic = "\xEF\xAD\x90", selector = "\xEF\xB8\x80";
  Result<Project> p = projectParse(
      "# " + selector + "\n[image]\npath = \"" + arabic + ".iso\" # " + arabic + "\n", "k");
  ASSERT_TRUE(p.ok()) << p.status.message;
  EXPECT_EQ(p.value.imagePath, arabic + ".iso");
  EXPECT_FALSE(projectParse(arabic + "[image]\npath = \"x\"\n", "k").ok());
  EXPECT_FALSE(projectParse("\xCE\xAB", "k").ok());  // Greek, where no character may stand
  EXPECT_EQ(projectParse("[image]\npath = \"\xF3\xB0\x80\x80\"\n", "k").status.message,
            "k: characters of the private use plane U+F0000 to U+FFFFF cannot be read in a project "
            "file\n");
}

TEST(ProjectFile, MistakesNameTheirPlace) {
  const std::string image = "[image]\npath = \"g.iso\"\n";
  EXPECT_EQ(errorOf("[table]\npath = \"t\"\n"),
            "p/kvo.toml:1:1: the project file needs an [image] table\n");
  EXPECT_EQ(errorOf("[image]\npath = 3\n"), "p/kvo.toml:2:8: 'path' must be a string\n");
  EXPECT_EQ(errorOf(image + "sise = 3\n"), "p/kvo.toml:3:8: unknown key 'sise' in [image]\n");
  EXPECT_EQ(errorOf(image + "size = -1\n"),
            "p/kvo.toml:3:8: 'size' must be a whole number from 0 to 9223372036854775807\n");
  EXPECT_EQ(errorOf(image + "[[file]]\nindex = 4\nkind = \"picture\"\n"),
            "p/kvo.toml:5:8: 'kind' must be one of dialog, map, gwh, gnop, raw, skip\n");
  EXPECT_EQ(errorOf(image + "[[file]]\nindex = 4\nkind = \"gnop\"\nwidth = 8\n"),
            "p/kvo.toml:3:1: a gnop [[file]] needs 'height'\n");
  EXPECT_EQ(errorOf(image + "[[file]]\nindex = 4\nkind = \"raw\"\n[[file]]\nindex = 4\nkind = "
                            "\"map\"\n"),
            "p/kvo.toml:7:9: file index 4 is given twice\n");
  EXPECT_EQ(errorOf(image + "[small_battle]\nindex = 1\nfirst_battle = 9\nlast_battle = 2\n"),
            "p/kvo.toml:6:15: 'last_battle' comes before 'first_battle'\n");
  EXPECT_EQ(errorOf(image + "[table]\nformat = \"csv\"\n"),
            "p/kvo.toml:4:10: 'format' must be \"tbs\" or \"hex\"\n");
  EXPECT_EQ(errorOf("[image\n"),
            "p/kvo.toml:1:7: Error while parsing table header: expected ']', saw '\\n'\n");
}
