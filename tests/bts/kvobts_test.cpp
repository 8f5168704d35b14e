// End-to-end runs of kvobts: exact output, messages, status and files.
#include <gtest/gtest.h>

#include "tests/bts/btsfixtures.h"

namespace {
// Byte codes 10 11 12 are the letters a b c, 01 is a line break "[n]", and 02
// carries one byte shown in hexadecimal; other bytes pass through.
const std::string kTable = "\\x02\\c01=<C\\h01>\r\n\\x01=[n]\r\n\\x10=a\r\n\\x11=b\r\n\\x12=c\r\n";

const std::vector<Bytes> kTexts = {
    {0x10, 0x11, 0x01, 0x12, 0}, {}, {0x02, 0xAB, 0x10, 0}, {0}, {0x41, 0x10, 0}};
const std::string kExported = "ab[n]c" + kSep + "<CAB>a" + kSep + kSep + "Aa" + kSep;

Bytes section0() {
  return concat({Bytes(8, 0x30), le32(16), le32(20), bytesOf("Bob"), {0}, bytesOf("Map"), {0}});
}
Bytes dialog() { return makeDialog(kTexts, {0xFF, 0xFF, 0xFF}); }
Bytes battle(const Bytes& dialogSection) {
  return makeContainer({section0(), std::nullopt, dialogSection, Bytes(6, 0x33), Bytes(12, 0x44)});
}

const char* const kUsage =
    "Usage: kvobts -[p|e|eX|iX|rX] [-s STRING|-sn] [-t TBSFILE] [-o OUTFILE] INFILE [FILENAME|PREFIX]\n"
    "  -p   print information about INFILE to stdout or FILENAME\n"
    "  -e   export all sections, outname will start with PREFIX\n"
    "  -eX  export section at pos X to FILENAME. X is num 0..section count-1\n"
    "  -esX same as '-eX', but silent - dont print error if section not present\n"
    "  -ed  export dialog section (2) with PREFIX.\n"
    "  -iX  import section to pos X from FILENAME. X is num 0..section count-1\n"
    "  -rX  remove section at pos X (removes data, set offset to zero)\n"
    "  -rdX remove texts from dialog section (strip texts to zeroend, X = 2)\n"
    "  -o   import/remove will be done to OUTFILE instead of INFILE\n"
    "  -t   converts dialog section to texts and vice versa with given table\n"
    "  -s   if using '-t', use STRING as dialog separator instead of default\n"
    "       (default \"\\n--------------------------------------------------End--\\n\")\n"
    "  -sn  if using '-t', do not use separator\n"
    "       ('-t' default convert by sections, removes zeroend, add separator\n"
    "        -sn  converts all as one big section (nothing removed, nothing added))\n"
    "  -w   suppres printing warn about trailing data behind last dialog\n"
    "Notes: '-t' converts only dialog sections (2).\n"
    "       Dialog head info (choices count) not recomputed or deleted.\n"
    "\n"
    "Examples:\n"
    "  kvobts -e2 -t kvo.tbs   2044.bt                   2044.txt\n"
    "  kvobts -i2 -t kvo.tbs   2044.bt  -o new\\2044.EV   2044.txt\n"
    "\n"
    "Version 20140516\n";

struct Kvobts : testing::Test {
  TempDir dir;
  void SetUp() override {
    writeBytes(dir.file("a.bt"), battle(dialog()));
    writeText(dir.file("kvo.tbs"), kTable);
  }
  ToolResult run(const std::vector<std::string>& args) {
    return runTool("kvobts", args, dir.path());
  }
  void expectRun(const std::vector<std::string>& args, int status, const std::string& out,
                 const std::string& err) {
    ToolResult r = run(args);
    EXPECT_EQ(r.status, status) << args[0];
    EXPECT_EQ(r.out, out) << args[0];
    EXPECT_EQ(r.err, err) << args[0];
  }
};
}  // namespace

TEST_F(Kvobts, UsageAndCommandLineErrors) {
  expectRun({}, 1, kUsage, "");
  expectRun({"-h"}, 1, kUsage, "ERROR: expected INFILE parameter\n");
  expectRun({"-o"}, 1, "",
            "ERROR: expected parameter after '-o' parameter\nERROR: expected INFILE parameter\n");
  expectRun({"-T"}, 1, "",
            "ERROR: expected parameter after '-t' parameter\nERROR: expected INFILE parameter\n");
  expectRun({"-s"}, 1, "", "ERROR: expected INFILE parameter\n");
  expectRun({"-id"}, 1, "", "ERROR: incomplete parameter '-id'\n");
  expectRun({"-ir"}, 1, "", "ERROR: incomplete parameter '-ir'\n");
  expectRun({"-id2", "a.bt"}, 0, "", "");
  expectRun({"-i", "a.bt"}, 1, "", "ERROR: TODO parameter '-i'\n");
  expectRun({"-ed", "-i", "a.bt"}, 1, "", "ERROR: TODO parameter '-id'\n");
}

TEST_F(Kvobts, PrintsTheListing) {
  const std::string listing =
      "filename  : a.bt\nmapname   : Map\nauthorname: Bob\nfileSize  : 216 (0xD8)\n"
      "helements : 6\npointers  :\n 0 :       1C\n 1 :        0\n 2 :       34\n"
      " 3 :       C4\n 4 :       CC\n 5 :       D8\n";
  expectRun({"a.bt"}, 0, listing, "");
  expectRun({"-x", "/P", "a.bt"}, 0, listing, "ERROR: unknown option -x\n");
  expectRun({"-p", "a.bt", "list.txt"}, 0, "", "");
  EXPECT_EQ(readTextOutput(dir.file("list.txt")), listing);
  // The listing may even replace the file it describes.
  expectRun({"-p", "a.bt", "a.bt"}, 0, "", "");
  EXPECT_EQ(readTextOutput(dir.file("a.bt")), listing);
}

TEST_F(Kvobts, ExportsSections) {
  expectRun({"-e", "-t", "kvo.tbs", "a.bt", "out_"}, 0, "", "");
  EXPECT_EQ(readBytes(dir.file("out_0")), section0());
  EXPECT_FALSE(fileExists(dir.file("out_1")));
  EXPECT_EQ(readBytes(dir.file("out_2")), dialog());
  EXPECT_EQ(readText(dir.file("out_2.txt")), kExported);
  EXPECT_EQ(readBytes(dir.file("out_3")), Bytes({0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0, 0}));
  EXPECT_EQ(readBytes(dir.file("out_4")), Bytes(12, 0x44));

  expectRun({"-e2", "a.bt"}, 0, "", "");
  EXPECT_EQ(readBytes(dir.file("2")), dialog());
  expectRun({"-e2", "-t", "kvo.tbs", "a.bt"}, 0, "", "");
  EXPECT_EQ(readText(dir.file("2.txt")), kExported);
  expectRun({"-e2", "-t", "kvo.tbs", "-s", "\\n==\\n", "a.bt", "named"}, 0, "", "");
  EXPECT_EQ(readText(dir.file("named")), "ab[n]c\r\n==\r\n<CAB>a\r\n==\r\n\r\n==\r\nAa\r\n==\r\n");
  expectRun({"-e2", "-sn", "-t", "kvo.tbs", "a.bt", "whole"}, 0, "", "");
  EXPECT_EQ(readText(dir.file("whole")), std::string("ab[n]c\0<CAB>a\0\0Aa\0", 18));

  expectRun({"-ed", "-t", "kvo.tbs", "a.bt", "d_"}, 0, "", "");
  EXPECT_EQ(readText(dir.file("d_2.txt")), kExported);
  EXPECT_FALSE(fileExists(dir.file("d_2")));
  expectRun({"-ed", "a.bt", "r_"}, 0, "", "");
  EXPECT_EQ(readBytes(dir.file("r_2")), dialog());

  expectRun({"-es1", "a.bt"}, 0, "", "");
  expectRun({"-es7", "a.bt"}, 0, "", "");
  EXPECT_FALSE(fileExists(dir.file("7")));
  expectRun({"-e7", "a.bt"}, 1, "", "ERROR: given index out of sections range : id=7 : a.bt\n");
  expectRun({"-e1", "a.bt"}, 1, "", "ERROR: section with given id=1 not present : a.bt\n");

  writeBytes(dir.file("nodialog.bt"), makeContainer({section0(), Bytes(4, 1)}));
  expectRun({"-ed", "nodialog.bt"}, 0, "",
            "ERROR: dialog section have no valid data for extract : nodialog.bt\n");
  expectRun({"-e2", "-t", "missing.tbs", "a.bt"}, 1, "",
            "ERROR: cant read(find) \"missing.tbs\"\nERROR: TBL init failed : file missing.tbs\n");
}

TEST_F(Kvobts, ImportsRemovesAndStrips) {
  const Bytes original = readBytes(dir.file("a.bt"));
  writeBytes(dir.file("s3.bin"), Bytes(9, 0x99));
  expectRun({"-i3", "-o", "new.bt", "a.bt", "s3.bin"}, 0, "", "");
  EXPECT_EQ(readBytes(dir.file("new.bt")),
            makeContainer({section0(), std::nullopt, dialog(), Bytes(9, 0x99), Bytes(12, 0x44)}));
  EXPECT_EQ(readBytes(dir.file("a.bt")), original);
  // An absent slot takes a section too; the source name defaults to the index.
  writeBytes(dir.file("1"), {1, 2, 3, 4});
  expectRun({"-i1", "-o", "new.bt", "a.bt"}, 0, "", "");
  EXPECT_EQ(readBytes(dir.file("new.bt")), makeContainer({section0(), Bytes{1, 2, 3, 4}, dialog(),
                                                          Bytes(6, 0x33), Bytes(12, 0x44)}));
  writeBytes(dir.file("empty"), {});
  expectRun({"-i4", "-o", "new.bt", "a.bt", "empty"}, 0, "", "");
  EXPECT_EQ(readBytes(dir.file("new.bt")),
            makeContainer({section0(), std::nullopt, dialog(), Bytes(6, 0x33), std::nullopt}));
  expectRun({"-i3", "a.bt", "nothere"}, 1, "", "ERROR: cant get size of file : nothere\n");
  // Options after INFILE are not options: "-o" is the text file's name here.
  expectRun({"-i2", "-t", "kvo.tbs", "a.bt", "-o", "new.bt"}, 1, "",
            "ERROR: cant get size of file : -o\n");
  expectRun({"-i9", "a.bt", "s3.bin"}, 1, "", "ERROR: not valid index for import : 9 : a.bt\n");
  expectRun({"-i1", "-t", "kvo.tbs", "a.bt", "x.txt"}, 1, "",
            "ERROR: not valid dialog section at id=1, cannot import dialog text: 0x0 : a.bt\n");

  // The file itself as the new section: it is read before it is replaced.
  expectRun({"-i3", "a.bt", "a.bt"}, 0, "", "");
  EXPECT_EQ(readBytes(dir.file("a.bt")),
            makeContainer({section0(), std::nullopt, dialog(), original, Bytes(12, 0x44)}));
  writeBytes(dir.file("a.bt"), original);

  expectRun({"-r", "a.bt"}, 1, "", "ERROR: not valid index for remove : 2147483647 : a.bt\n");
  expectRun({"-rd3", "a.bt"}, 1, "",
            "ERROR: not valid dialog section at id=3, cannot remove dialog text: 0xc4 : a.bt\n");
  expectRun({"-rd2", "-o", "strip.bt", "a.bt"}, 0, "", "");
  Bytes stripped = makeDialog({{0}, {}, {0}, {0}, {0}});
  EXPECT_EQ(readBytes(dir.file("strip.bt")),
            makeContainer({section0(), std::nullopt, stripped, Bytes(6, 0x33), Bytes(12, 0x44)}));
  expectRun({"-r0", "a.bt"}, 0, "", "");
  EXPECT_EQ(readBytes(dir.file("a.bt")),
            makeContainer({std::nullopt, std::nullopt, dialog(), Bytes(6, 0x33), Bytes(12, 0x44)}));
}

TEST_F(Kvobts, DialogTextRoundTripAndEdits) {
  const Bytes original = readBytes(dir.file("a.bt"));
  writeText(dir.file("2.txt"), kExported);
  expectRun({"-i2", "-t", "kvo.tbs", "a.bt"}, 0, "", "");
  EXPECT_EQ(readBytes(dir.file("a.bt")), original);

  // A longer first text moves the others; the head bytes stay as they were.
  writeText(dir.file("edit.txt"), "abcabc" + kSep + "<C0F>" + kSep + kSep + "A" + kSep);
  expectRun({"-i2", "-t", "kvo.tbs", "-o", "new.bt", "a.bt", "edit.txt"}, 0, "", "");
  Bytes edited =
      makeDialog({{0x10, 0x11, 0x12, 0x10, 0x11, 0x12, 0}, {}, {0x02, 0x0F, 0}, {0}, {0x41, 0}},
                 {0xFF, 0xFF, 0xFF});
  EXPECT_EQ(readBytes(dir.file("new.bt")), battle(edited));

  writeText(dir.file("whole.txt"), std::string("ab[n]c\0<CAB>a\0\0Aa\0", 18));
  expectRun({"-i2", "-sn", "-t", "kvo.tbs", "-o", "new.bt", "a.bt", "whole.txt"}, 0, "", "");
  EXPECT_EQ(readBytes(dir.file("new.bt")), original);
}

// A text file that does not hold one text per dialog text is refused, and
// neither INFILE nor OUTFILE changes.
TEST_F(Kvobts, RefusesTextFilesWithTheWrongNumberOfTexts) {
  const Bytes original = readBytes(dir.file("a.bt"));
  writeBytes(dir.file("new.bt"), {1, 2, 3});
  auto refused = [&](const std::string& text, const std::string& err) {
    writeText(dir.file("t.txt"), text);
    expectRun({"-i2", "-t", "kvo.tbs", "a.bt", "t.txt"}, 1, "", err);
    expectRun({"-i2", "-t", "kvo.tbs", "-o", "new.bt", "a.bt", "t.txt"}, 1, "", err);
    EXPECT_EQ(readBytes(dir.file("a.bt")), original);
    EXPECT_EQ(readBytes(dir.file("new.bt")), Bytes({1, 2, 3}));
  };
  const std::string less = "WARN: dialog has less sections than expected : 3 (vs 4) : a.bt\n";
  const std::string more =
      "WARN: dialog has more sections than expected or trailing data : expected 4 : a.bt\n";
  // A deleted separator merges two texts.
  refused("ab[n]c<CAB>a" + kSep + kSep + "Aa" + kSep,
          less + "ERROR: found 3 texts, expected 4: nothing written : t.txt\n");
  refused("ab[n]c" + kSep + "<CAB>a" + kSep + kSep + "Aa",
          more + less + "ERROR: found 3 texts, expected 4: nothing written : t.txt\n");
  refused(kExported + "extra",
          more + "ERROR: found 5 texts, expected 4: nothing written : t.txt\n");
  refused(kExported + "e" + kSep,
          more + "ERROR: found 5 texts, expected 4: nothing written : t.txt\n");

  std::string lfOnly = kExported;
  for (size_t at; (at = lfOnly.find("\r\n")) != std::string::npos;) lfOnly.erase(at, 1);
  refused(lfOnly,
          more +
              "WARN: dialog has less sections than expected : 0 (vs 4) : a.bt\n"
              "ERROR: found 0 texts, expected 4: the file has LF line ends, separator lines must "
              "end with CR LF: nothing written : t.txt\n");
}

TEST_F(Kvobts, WarnsAboutATableWithLfLineEnds) {
  // The whole file is one entry: 10 stands for everything after its "=", unescaped.
  writeText(dir.file("lf.tbs"), "\\x10=a\n\\x11=b\n");
  expectRun({"-e2", "-t", "lf.tbs", "a.bt", "lf.txt"}, 0, "",
            "WARN: table file uses LF line ends; entries are separated by CR LF : lf.tbs\n");
  const std::string a = "a\n\x11=b\n";
  EXPECT_EQ(readText(dir.file("lf.txt")),
            a + "\x11\x01\x12" + kSep + "\x02\xAB" + a + kSep + kSep + "A" + a + kSep);
  // Lone LFs beside a CR LF are ordinary bytes of an entry.
  writeText(dir.file("mixed.tbs"), "\\x10=a\r\n\\x11=b\n");
  expectRun({"-e2", "-t", "mixed.tbs", "a.bt", "lf.txt"}, 0, "", "");
}

TEST_F(Kvobts, BrokenDialogSectionsStopCleanly) {
  writeBytes(dir.file("tiny.bt"), makeContainer({section0(), std::nullopt, Bytes{1, 2, 3, 4}}));
  expectRun({"-e2", "-t", "kvo.tbs", "tiny.bt"}, 1, "",
            "ERROR: dialog section is too small to be valid : 4 (min 6) : tiny.bt\n");
  expectRun({"-rd2", "tiny.bt"}, 1, "",
            "ERROR: dialog section is too small to be valid : 4 (min 6) : tiny.bt\n");
  writeText(dir.file("2.txt"), "a" + kSep);
  expectRun({"-i2", "-t", "kvo.tbs", "tiny.bt"}, 1, "",
            "ERROR: dialog section is too small to be valid : 4 (min 6) : tiny.bt\n");
  EXPECT_EQ(readBytes(dir.file("tiny.bt")),
            makeContainer({section0(), std::nullopt, Bytes{1, 2, 3, 4}}));

  Bytes trailing = makeDialog(kTexts, {0x12, 0x34, 0xFF});
  writeBytes(dir.file("t.bt"), battle(trailing));
  expectRun({"-e2", "-t", "kvo.tbs", "t.bt", "t.txt"}, 0, "",
            "WARN: trailing data after last dialog endchar : 3 bytes : t.bt\n");
  expectRun({"-e2", "-w", "-t", "kvo.tbs", "t.bt", "t.txt"}, 0, "", "");
  EXPECT_EQ(readText(dir.file("t.txt")), kExported);
}
