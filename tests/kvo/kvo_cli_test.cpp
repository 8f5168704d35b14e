// kvo end to end: the demo's disc image made into a project, edited, checked
// and packed; what comes out of the new image is read back with kvolba,
// kvocx, kvobts and kvogwh.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "bts/btsc.h"
#include "common/le.h"
#include "kvo/sha256.h"
#include "samples/gamedata.h"
#include "tests/support/testsupport.h"

namespace {
const std::string kMissingBmp =
    "proj/pics/0001.bmp: missing (the unpack wrote it; restore it or unpack again)\n";
const std::string kPackHeader = "file             kind         bytes       room  result\n";

void expectRun(const ToolResult& r, int status, const std::string& out, const std::string& err) {
  EXPECT_EQ(r.status, status);
  EXPECT_EQ(r.out, out);
  EXPECT_EQ(r.err, err);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// game.iso (0000 a compressed battle file, 0001 a .gwh picture, 0002 a map,
// 0003 a headerless bitmap, 0004 its palettes) and kvo.tbs, made into the
// project proj/ by kvo init and kvo unpack.
struct Project {
  TempDir dir;
  Project() {
    std::vector<GdDiscFile> files(15, GdDiscFile{{}, false, true});
    Result<GameBytes> battle = gdCompress(gdBattleFile(0), 1, 8);
    files[0] = {battle.value, true, false};
    files[1] = {gdGwhPicture(64, 32, 0), false, false};
    files[2] = {gdMapFile(32, 16, 0), false, false};
    files[3] = {gdHeaderlessBitmap(0), false, false};
    files[4] = {gdMultiPalette(0), false, false};
    EXPECT_TRUE(gdWriteImage(dir.file("game.iso"), files).ok());
    writeBytes(dir.file("kvo.tbs"), gdCharacterTable());
    expectRun(
        runTool("kvo", {"init", "game.iso", "--table", "kvo.tbs", "--dir", "proj"}, dir.path()), 0,
        "kvo init: project written to proj/kvo.toml (image game.iso, 763904 bytes)\n", "");
    expectRun(kvo({"unpack"}), 0, "kvo unpack: 6 files into proj (9 artefacts)\n", "");
  }
  ToolResult kvo(std::vector<std::string> args) {
    args.insert(args.end(), {"--dir", "proj"});
    return runTool("kvo", args, dir.path());
  }
  std::string at(const std::string& name) const { return dir.file("proj/" + name); }
  void edit(const std::string& name, const std::string& from, const std::string& to) {
    writeText(at(name), replaced(readText(at(name)), from, to));
  }
  void translate(const std::string& id, const std::string& text) {
    edit("text/0000.po", "msgid \"" + id + "\"\nmsgstr \"\"",
         "msgid \"" + id + "\"\nmsgstr \"" + text + "\"");
  }
  // Files 0-4 of an image, out/0000.bt decompressed, out/0000.txt its
  // dialog texts and out/0001.bmp its picture.
  void readBack(const std::string& image) {
    const std::string& d = dir.path();
    EXPECT_EQ(mkdir(dir.file("out").c_str(), 0777), 0);
    EXPECT_EQ(runTool("kvolba", {"-e", image, "0-4", "out/"}, d).status, 0);
    EXPECT_EQ(runTool("kvocx", {"-d", "out/0000.bt.c1", "out/0000.bt"}, d).status, 0);
    EXPECT_EQ(runTool("kvobts", {"-e2", "-t", "kvo.tbs", "out/0000.bt", "out/0000.txt"}, d).status,
              0);
    EXPECT_EQ(runTool("kvogwh", {"-e", "out/0001", "out/0001.bmp"}, d).status, 0);
  }
};
}  // namespace

TEST(KvoCli, PackWithoutEditsGivesTheOriginalImage) {
  Project p;
  // Files saved again unchanged (a new time) are no change.
  for (const char* name : {"files/0004", "files/0000.bt"})
    writeBytes(p.at(name), readBytes(p.at(name)));
  expectRun(p.kvo({"status"}), 0,
            "kvo status: 0 of 4 entries translated (0 fuzzy) in 0 of 1 PO files; 0 pictures and 0 "
            "files changed; 0 missing\n",
            "");
  expectRun(p.kvo({"check"}), 0, "kvo check: 0 changed files, 0 over their room, 0 problems\n", "");
  expectRun(p.kvo({"pack", "-o", "new.iso"}), 0,
            kPackHeader + "kvo pack: 0 changed files written to new.iso and verified\n", "");
  EXPECT_EQ(readBytes(p.dir.file("new.iso")), readBytes(p.dir.file("game.iso")));
}

TEST(KvoCli, EditsComeOutOfTheNewImageAsMeant) {
  Project p;
  p.translate("[Hero]: Swords ready!", "[Hero]: Blades out!");
  Bytes picture = readBytes(p.at("pics/0001.bmp"));
  picture[rd32(picture.data() + 10)] ^= 1;  // the first pixel
  writeBytes(p.at("pics/0001.bmp"), picture);
  Bytes raw = readBytes(p.at("files/0003"));
  raw[100] ^= 0xFF;
  writeBytes(p.at("files/0003"), raw);
  expectRun(p.kvo({"status"}), 0,
            "proj/text/0000.po: 1 of 4 translated\nproj/pics/0001.bmp: changed\n"
            "proj/files/0003: changed\nkvo status: 1 of 4 entries translated (0 fuzzy) in 1 of "
            "1 PO files; 1 pictures and 1 files changed; 0 missing\n",
            "");
  const std::string fits =
      "0000.bt: 406 of 2048 bytes, fits\n0001: 3088 of 4096 bytes, fits\n"
      "0003: 32768 of 32768 bytes, fits\n";
  expectRun(p.kvo({"check"}), 0,
            fits + "kvo check: 3 changed files, 0 over their room, 0 problems\n", "");
  expectRun(p.kvo({"pack", "-o", "new.iso"}), 0,
            fits + kPackHeader +
                "0000.bt          dialog         406       2048  verified\n"
                "0001             gwh           3088       4096  verified\n"
                "0003             raw          32768      32768  verified\n"
                "kvo pack: 3 changed files written to new.iso and verified\n",
            "");

  ASSERT_EQ(
      runTool("kvobts", {"-e2", "-t", "kvo.tbs", "proj/files/0000.bt", "before.txt"}, p.dir.path())
          .status,
      0);
  p.readBack("new.iso");
  EXPECT_EQ(readText(p.dir.file("out/0000.txt")),
            replaced(readText(p.dir.file("before.txt")), "Swords ready!", "Blades out!"));
  EXPECT_EQ(readBytes(p.dir.file("out/0001.bmp")), picture);
  EXPECT_EQ(readBytes(p.dir.file("out/0003")), raw);
  for (const char* same : {"0002.map", "0004"})
    EXPECT_EQ(readBytes(p.dir.file(std::string("out/") + same)),
              readBytes(p.at(std::string("files/") + same)));
}

TEST(KvoCli, CheckReportsWhatTheTableCannotEncodeAndWhatDoesNotFit) {
  Project p;
  p.translate("[Hero]: Swords ready!", "[Hero]: Blädes out!");
  Bytes raw = readBytes(p.at("files/0003"));
  raw.push_back(0);
  writeBytes(p.at("files/0003"), raw);
  const std::string fit =
      "0000.bt: 406 of 2048 bytes, fits\n0003: 32769 of 32768 bytes, over by 1\n";
  const std::string noCode = "proj/text/0000.po:24:19: the table has no code for 'ä'\n";
  expectRun(p.kvo({"check"}), 1, fit + "kvo check: 2 changed files, 1 over their room, 1 problem\n",
            noCode);
  expectRun(p.kvo({"pack", "-o", "new.iso"}), 1, fit,
            noCode + "ERROR: nothing written: 1 over their room, 1 problem\n");
  EXPECT_FALSE(fileExists(p.dir.file("new.iso")));
  EXPECT_FALSE(fileExists(p.dir.file("new.iso.kvo-partial")));
}

TEST(KvoCli, ProblemsOfTheProjectAreClearErrors) {
  Project p;
  const std::string toml = readText(p.at("kvo.toml"));
  const std::string state = readText(p.at(".kvo/state"));
  // A table that is not there.
  p.edit("kvo.toml", "path = \"../kvo.tbs\"", "path = \"../none.tbs\"");
  expectRun(p.kvo({"check"}), 1, "",
            "ERROR: the project's character table is missing ([table] path in kvo.toml) : "
            "proj/../none.tbs\n");
  // A damaged project file.
  p.edit("kvo.toml", "size = ", "size = -");
  expectRun(p.kvo({"check"}), 1, "",
            "ERROR: proj/kvo.toml:5:8: 'size' must be a whole number from 0 to "
            "9223372036854775807\n");
  p.edit("kvo.toml", "size = -", "size = \"");
  expectRun(p.kvo({"status"}), 1, "",
            "ERROR: proj/kvo.toml:5:15: Error while parsing string: unescaped control characters "
            "other than TAB (U+0009) are explicitly prohibited\n");
  writeText(p.at("kvo.toml"), toml);
  // A damaged state.
  p.edit(".kvo/state", "\nfile 1 ", "\nfiel 1 ");
  expectRun(p.kvo({"check"}), 1, "",
            "ERROR: proj/.kvo/state:4: damaged project state: unexpected line\n"
            "       (run kvo unpack again to rebuild it)\n");
  writeText(p.at(".kvo/state"), state);
  // A missing artefact.
  Bytes picture = readBytes(p.at("pics/0001.bmp"));
  std::remove(p.at("pics/0001.bmp").c_str());
  expectRun(p.kvo({"check"}), 1, "kvo check: 0 changed files, 0 over their room, 1 problem\n",
            kMissingBmp);
  expectRun(p.kvo({"pack", "-o", "new.iso"}), 1, "",
            kMissingBmp + "ERROR: nothing written: 0 over their room, 1 problem\n");
  writeBytes(p.at("pics/0001.bmp"), picture);
  // Another image: other bytes of the same size, then another size.
  Bytes image = readBytes(p.dir.file("game.iso"));
  const std::string sha = sha256HexOf(image.data(), image.size());
  image.back() ^= 1;
  writeBytes(p.dir.file("game.iso"), image);
  expectRun(p.kvo({"check"}), 1, "",
            "ERROR: the disc image is not the one this project was made from (its SHA-256 is " +
                sha256HexOf(image.data(), image.size()) + ", kvo.toml says " + sha +
                ") : proj/../game.iso\n");
  image.push_back(0);
  writeBytes(p.dir.file("game.iso"), image);
  expectRun(p.kvo({"pack", "-o", "new.iso"}), 1, "",
            "ERROR: the disc image is not the one this project was made from (763905 bytes, "
            "kvo.toml says 763904) : proj/../game.iso\n");
  EXPECT_FALSE(fileExists(p.dir.file("new.iso")));
}

TEST(KvoCli, UsageErrorsAndUnpackingAgain) {
  Project p;
  const std::string help = "Run with --help for more information.\n";
  expectRun(p.kvo({"check", "--bogus"}), 2, "",
            "The following argument was not expected: --bogus\n" + help);
  expectRun(p.kvo({"pack"}), 2, "", "--output is required\n" + help);
  expectRun(runTool("kvo", {}, p.dir.path()), 2, "", "A subcommand is required\n" + help);

  p.translate("Ambush! Defeat all enemies.", "Ambush!");
  expectRun(p.kvo({"unpack"}), 1, "",
            "ERROR: the project is unpacked already; unpacking again would replace your work (kvo "
            "status shows it; --force unpacks anyway) : proj\n");
  EXPECT_NE(readText(p.at("text/0000.po")).find("msgstr \"Ambush!\""), std::string::npos);
  expectRun(p.kvo({"unpack", "--force"}), 0, "kvo unpack: 6 files into proj (9 artefacts)\n", "");
  EXPECT_EQ(readText(p.at("text/0000.po")).find("msgstr \"Ambush!\""), std::string::npos);
}

// Battles 0000-0002 and the small battle file 0003 made from them: a
// translated battle's part is refreshed in the new image, the others stay.
TEST(KvoCli, PackRefreshesTheSmallBattleFile) {
  TempDir dir;
  std::vector<GdDiscFile> files(15, GdDiscFile{{}, false, true});
  std::vector<uint8_t> small(3 * 472, 0);
  for (uint32_t b = 0; b < 3; ++b) {
    const GameBytes battle = gdBattleFile(b);
    files[b] = {gdCompress(battle, 1, 8).value, true, false};
    ASSERT_TRUE(btscRefreshPart(small, b, battle, "b", true, Messages()).ok());
  }
  files[3] = {small, false, false};
  ASSERT_TRUE(gdWriteImage(dir.file("game.iso"), files).ok());
  writeBytes(dir.file("kvo.tbs"), gdCharacterTable());
  const std::string d = dir.path();
  EXPECT_EQ(runTool("kvo", {"init", "game.iso", "--table", "kvo.tbs", "--dir", "p"}, d).status, 0);
  writeText(dir.file("p/kvo.toml"), readText(dir.file("p/kvo.toml")) +
                                        "[small_battle]\nindex = 3\nfirst_battle = 0\n"
                                        "last_battle = 2\n");
  EXPECT_EQ(runTool("kvo", {"unpack", "--dir", "p"}, d).status, 0);
  const std::string po = readText(dir.file("p/text/0001.po"));
  const size_t at = po.find("msgstr \"\"", po.find("msgctxt \"0001:0\""));
  ASSERT_NE(at, std::string::npos);
  writeText(dir.file("p/text/0001.po"), std::string(po).replace(at, 9, "msgstr \"Hi\""));

  const ToolResult pack = runTool("kvo", {"pack", "--dir", "p", "-o", "new.iso"}, d);
  EXPECT_EQ(pack.status, 0) << pack.err;
  EXPECT_NE(pack.out.find("0003: 1416 of 2048 bytes, fits (small battle file, parts refreshed)\n"),
            std::string::npos)
      << pack.out;
  ASSERT_EQ(runTool("kvolba", {"-e", "new.iso", "1,3", "./"}, d).status, 0);
  ASSERT_EQ(runTool("kvocx", {"-d", "0001.bt.c1", "0001.bt"}, d).status, 0);
  std::vector<uint8_t> expected = small;
  ASSERT_TRUE(
      btscRefreshPart(expected, 1, readBytes(dir.file("0001.bt")), "b", true, Messages()).ok());
  EXPECT_NE(expected, small);
  EXPECT_EQ(readBytes(dir.file("0003")), expected);
}
