// kvocx and kvocxd run end to end: exact standard output, standard error,
// exit status and output bytes.
#include <gtest/gtest.h>

#include "tests/codec/codec_testutil.h"

namespace {

const char kKvocxUsage[] =
    "kvocx is tool for (de)compression of Quabrith files\n"
    "Usage: \n"
    "       kvocx  -d                          INFILE OUTFILE\n"
    "       kvocx  -c[1|2] [-mX] [-s FILESIZE] INFILE OUTFILE\n"
    "Options:\n"
    "  -c   compress INFILE to OUTFILE, compress with type 1 compression\n"
    "  -c2  compress INFILE to OUTFILE, compress with type 2 compression\n"
    "  -d   decompress INFILE to OUTFILE\n"
    "  -m   compressed OUTFILE will have size multiple 8 (adding zero bytes padding)\n"
    "  -mX  compressed OUTFILE will have size multiple X (adding zero bytes padding)\n"
    "  -s   on compress, try get size of OUTFILE to FILESIZE by worse compression\n"
    "       (result size diff if FILESIZE too big or lower than normal output size)\n"
    "\n"
    "File format: \n"
    "  1B type, 4B decompressed size, rest compressed data\n"
    "  Compressed data : 1B flag, XB data\n"
    "  Flags/data:\n"
    "     0=end, <0x7E=raw(X=flag, direct copy),\n"
    "     0x7E=RLE(X=2B, 1B count-4, 1B value), 0x7F=RLE(X=3B, 2B count, 1B value)\n"
    "     >=0x80=LZSS(X=1, offset=1B+(flag:3/4bits*0x100), count=(flag:4/3bits)+3)\n"
    "\n"
    "Version 20140922\n";

const char kKvocxdUsage[] =
    "kvocx is tool for decompression of Quabrith files\n"
    "Usage: \n"
    "       kvocxd      INFILE   OUTFILE\n"
    "       kvocxd  -l  INFILE   OUTFILE [LOGFILE]\n"
    "Options:\n"
    "  -l   decompress and log INFILE to OUTFILE, write log to stdout or LOGFILE \n"
    "\n"
    "Version 20140916\n";

void expectRun(const ToolResult& r, int status, const std::string& out, const std::string& err) {
  EXPECT_EQ(r.status, status);
  EXPECT_EQ(r.out, out);
  EXPECT_EQ(r.err, err);
}

Bytes distinct126() {
  Bytes b;
  for (int i = 1; i <= 126; ++i) b.push_back(static_cast<uint8_t>(i));
  return b;
}

TEST(Kvocx, UsageAndArgumentErrors) {
  TempDir dir;
  writeBytes(dir.file("in"), distinct126());
  expectRun(runTool("kvocx", {}, dir.path()), 1, kKvocxUsage, "");
  expectRun(runTool("kvocx", {"-h"}, dir.path()), 1, kKvocxUsage,
            "ERROR: expected INFILE parameter\n");
  expectRun(runTool("kvocx", {"-c", "-s"}, dir.path()), 1, "",
            "ERROR: expected INFILE parameter\n");
  expectRun(runTool("kvocx", {"-c", "in"}, dir.path()), 1, "",
            "ERROR: expected OUTNAME parameter\n");
  expectRun(runTool("kvocx", {"in", "out"}, dir.path()), 1, kKvocxUsage,
            "ERROR: expected one of [p|c|d] parameters\n\n");
  expectRun(runTool("kvocx", {"-c", "-m-8", "in", "out"}, dir.path()), 1, "",
            "ERROR: strtol: number expected positive : num = -8 : str = '-8'\n");
  expectRun(runTool("kvocx", {"-p", "in"}, dir.path()), 0, "", "");
  expectRun(runTool("kvocx", {"-p", "in", "out"}, dir.path()), 0, "", "");
  EXPECT_FALSE(fileExists(dir.file("out")));
}

TEST(Kvocx, OptionsChooseTypePaddingAndSize) {
  TempDir dir;
  const Bytes data = distinct126();
  writeBytes(dir.file("in"), data);
  expectRun(runTool("kvocx", {"-x", "-d", "-c", "in", "c1"}, dir.path()), 0, "",
            "ERROR: unknown option -x\n");
  const Bytes c1 = readBytes(dir.file("c1"));
  ASSERT_EQ(c1.size(), 134u);
  EXPECT_EQ(Bytes(c1.begin(), c1.begin() + 6), Bytes({1, 126, 0, 0, 0, 125}));
  expectRun(runTool("kvocx", {"-c2", "-C3", "-m", "in", "c2"}, dir.path()), 0, "", "");
  const Bytes c2 = readBytes(dir.file("c2"));
  ASSERT_EQ(c2.size(), 136u);
  EXPECT_EQ(c2[0], 2);
  runTool("kvocx", {"-c", "-m0", "in", "m0"}, dir.path());
  runTool("kvocx", {"-c", "-M1", "in", "m1"}, dir.path());
  EXPECT_EQ(readBytes(dir.file("m0")), c1);
  EXPECT_EQ(readBytes(dir.file("m1")), c1);
  // wish too big: 1-byte raw runs (258 bytes), then padded to a multiple of 16
  expectRun(runTool("kvocx", {"-c2", "-m16", "-s", "4000", "in", "big"}, dir.path()), 0, "", "");
  EXPECT_EQ(readBytes(dir.file("big")).size(), 272u);
  // an option after INFILE is OUTFILE
  expectRun(runTool("kvocx", {"-c", "in", "-d"}, dir.path()), 0, "", "");
  EXPECT_EQ(readBytes(dir.file("-d")), c1);
  // every output decodes back
  for (const char* name : {"c1", "c2", "big"}) {
    expectRun(runTool("kvocx", {"-d", name, "back"}, dir.path()), 0, "", "");
    EXPECT_EQ(readBytes(dir.file("back")), data) << name;
  }
}

TEST(Kvocx, FileErrors) {
  TempDir dir;
  writeText(dir.file("empty"), "");
  expectRun(runTool("kvocx", {"-c", "missing", "out"}, dir.path()), 1, "",
            "ERROR: file not exist or read error occurred : missing\n");
  expectRun(runTool("kvocx", {"-d", "empty", "out"}, dir.path()), 1, "",
            "ERROR: file size expected bigger than zero : empty\n");
  writeBytes(dir.file("t3"), {3, 1, 0, 0, 0, 'A'});
  expectRun(runTool("kvocx", {"-d", "t3", "out"}, dir.path()), 1, "",
            "ERROR: Unknown compression type 3 : t3\n");
  writeBytes(dir.file("hdr"), {1, 1, 0});
  expectRun(runTool("kvocx", {"-d", "hdr", "out"}, dir.path()), 1, "",
            "ERROR: file is too short for the 5-byte compressed file header (3 bytes) : hdr\n");
  writeBytes(dir.file("t0"), {0, 3, 0, 0, 0, 'a', 'b'});
  expectRun(runTool("kvocx", {"-d", "t0", "out"}, dir.path()), 1, "",
            "ERROR: decoding type 0, filesize is lower than expected 7 < 8 : t0\n");
  writeBytes(dir.file("huge0"), {0, 0xFF, 0xFF, 0xFF, 0xFF, 'a'});
  expectRun(runTool("kvocx", {"-d", "huge0", "out"}, dir.path()), 1, "",
            "ERROR: decoding type 0, filesize is lower than expected 6 < 4294967300 : huge0\n");
  writeBytes(dir.file("huge1"), {1, 0xFF, 0xFF, 0xFF, 0xFF, 0x00});
  expectRun(runTool("kvocx", {"-d", "huge1", "out"}, dir.path()), 1, "",
            "ERROR: cannot malloc 4294971391 bytes.\n");
  EXPECT_FALSE(fileExists(dir.file("out")));
  writeText(dir.file("in"), "0123456789");
  expectRun(runTool("kvocx", {"-c", "-m2147483647", "in", "out"}, dir.path()), 1, "",
            "ERROR: cannot malloc 2147483664 bytes.\n");
}

TEST(Kvocx, DecompressesStoredAndShortFiles) {
  TempDir dir;
  writeBytes(dir.file("t0"), {0, 3, 0, 0, 0, 'a', 'b', 'c', 'd'});
  expectRun(runTool("kvocx", {"-d", "t0", "out"}, dir.path()), 0, "", "");
  EXPECT_EQ(readText(dir.file("out")), "abc");
  writeBytes(dir.file("t1"), {1, 0, 0, 0, 0});
  expectRun(runTool("kvocx", {"-d", "t1", "out"}, dir.path()), 0, "", "");
  EXPECT_EQ(readBytes(dir.file("out")).size(), 0u);
  writeBytes(dir.file("short"), {2, 4, 0, 0, 0, 0x01, 'z', 0x00});
  expectRun(runTool("kvocx", {"-d", "short", "out"}, dir.path()), 0, "",
            "WARN: not all decoded to output file\n");
  EXPECT_EQ(readBytes(dir.file("out")), Bytes({'z', 0, 0, 0}));
}

TEST(Kvocxd, UsageAndArguments) {
  TempDir dir;
  writeBytes(dir.file("in"), {1, 4, 0, 0, 0, 0x01, 'A', 0x80, 0x00});
  expectRun(runTool("kvocxd", {}, dir.path()), 1, kKvocxdUsage, "");
  expectRun(runTool("kvocxd", {"/?"}, dir.path()), 1, kKvocxdUsage,
            "ERROR: expected INFILE parameter\n");
  expectRun(runTool("kvocxd", {"in"}, dir.path()), 1, "", "ERROR: expected OUTNAME parameter\n");
  expectRun(runTool("kvocxd", {"-x", "in", "out", "log"}, dir.path()), 0, "",
            "ERROR: unknown option -x\n");
  EXPECT_EQ(readText(dir.file("out")), "AAAA");
  EXPECT_FALSE(fileExists(dir.file("log")));
}

TEST(Kvocxd, LogsEveryToken) {
  TempDir dir;
  writeBytes(dir.file("in.c1"), {1, 0x0E, 1, 0, 0, 0x01, 'A', 0x90, 0x00, 0x7E, 0x01, 'B', 0x7F,
                                 0x00, 0x01, 'C', 0x00, 0x00});
  const std::string log =
      "Filename          : in.c1\n"
      "Filesize          : 18 (0x12)\n"
      "Compression type  : 1 \n"
      "Decompressed size : 270 \n"
      "Flag = 01  (RAW/data length 1)\n"
      "Decoded : 41 \n"
      "Flag = 90, data 00 (LZSS length 5, offset 1)\n"
      "Decoded : 41 41 41 41 41 \n"
      "Flag = 7E, data 0142 (RLE length 5, value 66)\n"
      "Flag = 7F, data 000143 (RLE length 256, value 67)\n"
      "Flag = 0  (end flag, compression data end)\n";
  expectRun(runTool("kvocxd", {"-l", "in.c1", "out"}, dir.path()), 0, log,
            "WARN: not all decoded to output file\n");
  const Bytes expected =
      concat({repeatByte('A', 6), repeatByte('B', 5), repeatByte('C', 256), repeatByte(0, 3)});
  EXPECT_EQ(readBytes(dir.file("out")), expected);
  expectRun(runTool("kvocxd", {"-L", "in.c1", "out2", "log.txt"}, dir.path()), 0, "",
            "WARN: not all decoded to output file\n");
  EXPECT_EQ(readTextOutput(dir.file("log.txt")), log);
  EXPECT_EQ(readBytes(dir.file("out2")), expected);
  // a complete stream stops at the declared size: no end-token line
  writeBytes(dir.file("t2.c2"), {2, 2, 0, 0, 0, 0xFF, 0xFF, 0x00});
  expectRun(runTool("kvocxd", {"-l", "t2.c2", "out"}, dir.path()), 0,
            "Filename          : t2.c2\nFilesize          : 8 (0x8)\nCompression type  : 2 \n"
            "Decompressed size : 2 \nFlag = FF, data FF (LZSS length 10, offset 4096)\n"
            "Decoded : 00 00 \n",
            "");
  writeBytes(dir.file("t0"), {0, 2, 0, 0, 0, 'o', 'k', '!'});
  expectRun(runTool("kvocxd", {"-l", "t0", "out"}, dir.path()), 0,
            "Filename          : t0\nFilesize          : 8 (0x8)\nCompression type  : 0 \n"
            "Decompressed size : 2 \n",
            "");
  EXPECT_EQ(readText(dir.file("out")), "ok");
}

TEST(Kvocxd, FileErrors) {
  TempDir dir;
  expectRun(runTool("kvocxd", {"missing", "out"}, dir.path()), 1, "",
            "ERROR: couldn't load data to memory from file 'missing'\n"
            "      (read file error occurred)\n");
  writeText(dir.file("empty"), "");
  expectRun(runTool("kvocxd", {"empty", "out"}, dir.path()), 1, "",
            "ERROR: couldn't load data to memory from file 'empty'\n"
            "      (file size expected greater than zero bytes)\n");
  writeBytes(dir.file("t9"), {9});
  expectRun(runTool("kvocxd", {"t9", "out"}, dir.path()), 1, "",
            "ERROR: Unknown compression type 9 : t9\n");
  writeBytes(dir.file("ok"), {1, 1, 0, 0, 0, 0x01, 'A'});
  expectRun(runTool("kvocxd", {"-l", "ok", "out", "nodir/log"}, dir.path()), 1, "",
            "ERROR: cannot open file 'nodir/log'\n");
  expectRun(runTool("kvocxd", {"ok", "nodir/out"}, dir.path()), 1, "",
            "ERROR: couldn't write data (1 bytes) to file 'nodir/out'\n");
  writeBytes(dir.file("huge"), {2, 0x00, 0xF0, 0xFF, 0xFF, 0x00});
  expectRun(runTool("kvocxd", {"-l", "huge", "out"}, dir.path()), 1,
            "Filename          : huge\nFilesize          : 6 (0x6)\nCompression type  : 2 \n"
            "Decompressed size : 4294963200 \n",
            "ERROR: cannot malloc 4294967296 bytes.\n");
}

}  // namespace
