// End-to-end runs of kvobtsc over synthetic battle files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <map>

#include "tests/bts/btsfixtures.h"

namespace {
Bytes hex(const std::string& text) {
  Bytes bytes;
  for (size_t i = 0; i + 1 < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    bytes.push_back(uint8_t(std::stoi(text.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return bytes;
}

const Bytes kInitialTextArea = hex(
    "5C 7E 7D 82 83 74 81 3A 30 00 02 00 17 16 0E 5C 17 17 00 00 00 00 00 00 02 00 82 02 1C 8B 02 00"
    "17 16 30 78 02 00 00 00 63 00 02 00 82 02 5C 03 17 16 00 00 63 00 30 78 02 00 04 00 5C 03 1C 8B");

Bytes dummyPart() {
  std::string run =
      "65 80 65 80 64 80 64 80 63 80 63 80 63 80 63 80 6D 80 6D 80 6C 80 6C 80 6B 80 6B 80 6B 80 6B 80 ";
  std::string text =
      "00 00 07 00 02 00 0A 00 04 00 07 00 06 00 0A 00 08 00 07 00 01 00 00 00 01 00 00 00 01 00 00 00 "
      "01 00 00 00 00 0F 00 00 00 00 19 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 14 14 14 00 00 "
      "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 " +
      std::string(64, '0') + " " +
      "00 00 2D 01 0B 30 14 03 FF 00 2E 10 00 00 00 00 00 00 40 1F 40 1F 00 00 FF 00 FF FF 43 20 35 20 "
      "00 00 00 00 01 01 00 00 43 20 35 20 00 00 00 00 02 02 00 00 29 20 40 20 04 01 00 00 00 0E 01 03 "
      "10 32 ";
  for (int i = 0; i < 7; ++i) text += run;
  text +=
      "03 00 70 17 00 00 47 00 7A 7D 7E 86 7D 00 00 00 00 7E 00 7B 00 00 74 7E 7D 00 00 00 00 00 "
      "02 00 82 02 1C 8B 02 00 17 16 30 78 02 00 00 00 63 00 02 00 82 02 5C 03 17 16 00 00 63 00 30 78 "
      "02 00 04 00 5C 03 1C 8B";
  return hex(text);
}

// Battle i: text lengths vary with i, text 1 is empty (so the four non-empty
// texts counted for the text base are texts 0 to 3, text 4 excluded).
struct Battle {
  std::vector<Bytes> texts;
  Bytes section4;
  Bytes file;
};

Battle makeBattle(uint32_t i) {
  Battle b;
  Bytes text0(1 + i % 50, uint8_t(0x40 + i % 20));
  text0.back() = 0;
  b.texts = {text0, {}, Bytes(2 + i % 7, 0x51), Bytes(1 + i % 3, 0x52), Bytes(3, 0x53)};
  for (Bytes& t : b.texts)
    if (!t.empty()) t.back() = 0;
  b.section4.resize(300);
  for (uint32_t j = 0; j < 300; ++j) b.section4[j] = uint8_t(i * 7 + j);
  b.file = makeContainer(
      {Bytes(24, 1), std::nullopt, makeDialog(b.texts, {0xFF}), Bytes(4, 3), b.section4});
  return b;
}

// What the part for a battle holds, over the previous contents of the buffer.
void expectedPart(Bytes& part, const Battle& b, uint32_t textBase) {
  Bytes head = makeDialog(b.texts);
  std::copy(head.begin(), head.begin() + 128, part.begin());
  uint32_t offset = 0;
  for (uint32_t k = 0; k < 5; ++k) {
    put16(part, 4 * k, offset + textBase);
    offset += uint32_t(b.texts[k].size());
  }
  size_t copied = std::min<size_t>(b.section4.size(), 280);
  std::copy(b.section4.begin(), b.section4.begin() + copied, part.begin() + 128);
  size_t text = std::min<size_t>(b.texts[0].size(), 64);
  std::copy(b.texts[0].begin(), b.texts[0].begin() + text, part.begin() + 408);
}

uint32_t textSum(const Battle& b) {
  return uint32_t(b.texts[0].size() + b.texts[1].size() + b.texts[2].size() + b.texts[3].size());
}

Bytes partOf(const Bytes& file, uint32_t p) {
  return Bytes(file.begin() + 472 * p, file.begin() + 472 * (p + 1));
}

struct Kvobtsc : testing::Test {
  TempDir dir;
  std::map<uint32_t, Battle> battles;
  void SetUp() override { mkdir(dir.file("bts").c_str(), 0755); }
  void writeBattles(uint32_t first, uint32_t last) {
    for (uint32_t i = first; i <= last; ++i) {
      battles[i] = makeBattle(i);
      char name[32];
      std::snprintf(name, sizeof name, "bts/%04u.bts", i);
      writeBytes(dir.file(name), battles[i].file);
    }
  }
  ToolResult run(const std::vector<std::string>& args) {
    return runTool("kvobtsc", args, dir.path());
  }
};

const char* const kUsage =
    "Usage:\n"
    "kvobtsc -c [-z]             OUTFILE  START_INDEX  END_INDEX  [PREFIX] [SUFFIX]\n"
    "kvobtsc -i [-z] [-o OUTFILE] INFILE  START_INDEX  END_INDEX  [PREFIX] [SUFFIX]\n"
    "  -c   create small battle file from battle files (.BTS).\n"
    "       input names PREFIXINDEXSUFFIX, where INDEX is START_INDEX to END_INDEX\n"
    "       rest to size 172752 (to 366 parts) filled with 'dummy' parts\n"
    "  -i   import data from existing battle files (.BTS), no pointers are updated.\n"
    "       update parts based on existing files in START-END range, others unchanged\n"
    "  -z   clear buffer instead of using 'original' uninitialized\n"
    "  -o   import will be done to OUTFILE instead of INFILE\n"
    "\n"
    "Examples:\n"
    "  kvobtsc -c              0170   2043  2403  bts\\   .bts\n"
    "  kvobtsc -i -o 0170.out  0170   2043  2403  bts\\   .bts\n"
    "\n"
    "Version 20140524\n";
}  // namespace

TEST_F(Kvobtsc, CommandLine) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  } cases[] = {
      {{}, 1, kUsage, ""},
      {{"out", "1", "2"}, 1, kUsage, "ERROR: expected one of [c|e|i] parameters\n\n"},
      {{"-c"}, 1, "", "ERROR: expected INFILE parameter\n"},
      {{"-c", "out"}, 1, "", "ERROR: expected START_INDEX parameter\n"},
      {{"-c", "out", "1"}, 1, "", "ERROR: expected END_INDEX parameter\n"},
      {{"-c", "out", "x1", "2"}, 1, "", "ERROR: given INDEX is not number : str = 'x1'\n"},
      {{"-c", "out", "1", "-3"}, 1, "", "ERROR: given INDEX is negative : num = -3 : str = '-3'\n"},
      {{"-c", "out", "99999999999", "2"},
       1,
       "",
       "ERROR: given INDEX is out of range : str = '99999999999'\n"},
      {{"-o"},
       1,
       "",
       "ERROR: expected parameter after '-o' parameter\nERROR: expected INFILE parameter\n"},
      {{"-t"},
       1,
       "",
       "ERROR: expected parameter after '-t' parameter\nERROR: expected INFILE parameter\n"},
      {{"-s"}, 1, "", "ERROR: expected INFILE parameter\n"},
      {{"-q", "-h", "-e", "-sn", "-t", "x", "out", "12abc", "3"},
       0,
       kUsage,
       "ERROR: unknown option -q\n"},
      {{"-e", "-s", std::string(129, 's'), "out", "1", "2"},
       0,
       "",
       "WARN: given separator size is bigger than maximum : 129 (max 128)\n"},
  };
  for (const Case& c : cases) {
    ToolResult r = run(c.args);
    std::string what = c.args.empty() ? "(none)" : c.args.back();
    EXPECT_EQ(r.status, c.status) << what;
    EXPECT_EQ(r.out, c.out) << what;
    EXPECT_EQ(r.err, c.err) << what;
  }
  EXPECT_FALSE(fileExists(dir.file("out")));
}

// The model of the small battle file: parts built over the previous buffer
// contents, the text base restarting after parts 100 and 180, then dummies.
Bytes expectedFile(const std::map<uint32_t, Battle>& battles, uint32_t start, uint32_t built,
                   bool clear) {
  Bytes file, part(472, 0);
  if (!clear) std::copy(kInitialTextArea.begin(), kInitialTextArea.end(), part.begin() + 408);
  uint32_t base = 0;
  for (uint32_t p = 0; p < built; ++p) {
    if (clear) part.assign(472, 0);
    const Battle& b = battles.at(start + p);
    expectedPart(part, b, base);
    base += textSum(b);
    file.insert(file.end(), part.begin(), part.end());
    if (p == 100 || p == 180) base = 0;
  }
  Bytes dummy = dummyPart();
  for (uint32_t p = built; p < 366; ++p) {
    for (uint32_t k = 0; k < 5; ++k) put16(dummy, 4 * k, 2 * k + base + 10 * (p - built));
    file.insert(file.end(), dummy.begin(), dummy.end());
  }
  return file;
}

void expectParts(const Bytes& actual, const Bytes& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (uint32_t p = 0; p < actual.size() / 472; ++p)
    ASSERT_EQ(partOf(actual, p), partOf(expected, p)) << "part " << p;
}

TEST_F(Kvobtsc, CreatesPartsThenDummies) {
  writeBattles(2043, 2403);
  // A short section 4 keeps the previous part's bytes behind it; a long
  // first text is cut to 64 bytes.
  battles[2050].section4.resize(100);
  battles[2050].file =
      makeContainer({Bytes(24, 1), std::nullopt, makeDialog(battles[2050].texts, {0xFF}),
                     Bytes(4, 3), battles[2050].section4});
  writeBytes(dir.file("bts/2050.bts"), battles[2050].file);
  battles[2060].texts[0] = Bytes(70, 0x61);
  battles[2060].texts[0].back() = 0;
  battles[2060].file =
      makeContainer({Bytes(24, 1), std::nullopt, makeDialog(battles[2060].texts, {0xFF, 0xFF}),
                     Bytes(4, 3), battles[2060].section4});
  writeBytes(dir.file("bts/2060.bts"), battles[2060].file);

  ToolResult r = run({"-c", "out", "2043", "2403", "bts\\", ".bts"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "WARN: section with index 4 should have at least 280 bytes : bts\\2050.bts\n"
            "WARN: first text is longer than max size : 70 > 64 : bts\\2060.bts\n ");
  Bytes out = readBytes(dir.file("out"));
  EXPECT_EQ(out.size(), 172752u);
  expectParts(out, expectedFile(battles, 2043, 361, false));
  // The part after the second reset carries its battle's own text offsets.
  Bytes ownHead = makeDialog(battles[2224].texts);
  EXPECT_EQ(Bytes(out.begin() + 181 * 472, out.begin() + 181 * 472 + 20),
            Bytes(ownHead.begin(), ownHead.begin() + 20));

  // A missing battle file ends the series: dummies from there on, also with -z.
  std::remove(dir.file("bts/2100.bts").c_str());
  r = run({"-c", "-z", "out", "2043", "2403", "bts\\", ".bts"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARN: section with index 4 should have at least 280 bytes : bts\\2050.bts\n"
            "WARN: first text is longer than max size : 70 > 64 : bts\\2060.bts\n "
            "WARN: from index 2100 using 'dummy' data, file not found : bts\\2100.bts\n");
  expectParts(readBytes(dir.file("out")), expectedFile(battles, 2043, 57, true));
}

TEST_F(Kvobtsc, ImportRefreshesExistingParts) {
  writeBattles(7, 20);
  std::remove(dir.file("bts/0009.bts").c_str());
  writeBytes(dir.file("bts/0010.bts"), {});  // empty: left alone
  Bytes small(4720);
  for (size_t j = 0; j < small.size(); ++j) small[j] = uint8_t(j * 13);
  writeBytes(dir.file("small"), small);

  ToolResult r = run({"-i", "-o", "new", "small", "7", "30", "bts\\", ".bts"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  Bytes expected = small;
  for (uint32_t p = 0; p < 10; ++p) {
    if (p == 2 || p == 3) continue;
    Bytes part = partOf(small, p);
    expectedPart(part, battles[7 + p], 0);
    std::copy(part.begin(), part.end(), expected.begin() + 472 * p);
  }
  expectParts(readBytes(dir.file("new")), expected);
  EXPECT_EQ(readBytes(dir.file("small")), small);

  r = run({"-i", "-z", "small", "7", "8", "bts\\", ".bts"});
  EXPECT_EQ(r.status, 0);
  expected = small;
  for (uint32_t p = 0; p < 2; ++p) {
    Bytes part(472, 0);
    expectedPart(part, battles[7 + p], 0);
    std::copy(part.begin(), part.end(), expected.begin() + 472 * p);
  }
  expectParts(readBytes(dir.file("small")), expected);
}

TEST_F(Kvobtsc, LongIndexUsesItsFirstFourDigits) {
  battles[12345] = makeBattle(1234);
  writeBytes(dir.file("1234.bts"), battles[12345].file);
  ToolResult r = run({"-c", "out", "12345", "12345", "", ".bts"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  expectParts(readBytes(dir.file("out")), expectedFile(battles, 12345, 1, false));
}

TEST_F(Kvobtsc, BadBattleFilesStopCleanly) {
  ToolResult r = run({"-c", "out", "0", "366"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARN: there is more part than maximum expected : 367 > 366 : out\n"
            "WARN: from index 0 using 'dummy' data, file not found : 0000\n");
  expectParts(readBytes(dir.file("out")), expectedFile(battles, 0, 0, false));

  Bytes old = readBytes(dir.file("out"));
  writeBytes(dir.file("bts/0001.bts"),
             makeContainer({Bytes(24, 1), std::nullopt, makeDialog(makeBattle(1).texts)}));
  r = run({"-c", "out", "1", "2", "bts/", ".bts"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: not valid data for index 4 : bts/0001.bts\n");
  EXPECT_EQ(readBytes(dir.file("out")), old);

  writeBytes(dir.file("bts/0001.bts"), makeContainer({Bytes(24, 1), std::nullopt, Bytes{0, 0, 0, 0},
                                                      Bytes(4, 3), Bytes(8, 4)}));
  r = run({"-i", "out", "1", "2", "bts/", ".bts"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: dialog section is too small to be valid : 4 (min 6) : bts/0001.bts\n");
  EXPECT_EQ(readBytes(dir.file("out")), old);
}
