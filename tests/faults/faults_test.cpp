// Fault injection end to end: every program meets a full disk, a file-size
// limit, missing inputs, folders where files are expected and an exhausted
// address space. Each run must end with the program's own message and status
// 1 (never a signal or status 0), and a file that the output would replace
// must keep its bytes, with no temporary file left beside it.
//
// The tests run as root, so a file without read permission is still readable:
// a dangling symbolic link stands in for an unreadable input.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/bts/btsfixtures.h"

namespace {

// Writes past 8 KiB (16 blocks of 512 bytes for dash, 16 KiB for bash) fail
// with "File too large" instead of killing the program.
const char kFileLimit[] = "ulimit -f 16; trap '' XFSZ;";
// About 200 MB of address space: enough to run, too little for a 1 GiB block.
const char kMemoryLimit[] = "ulimit -v 200000;";

const std::string kFull = " : No space left on device\n";
const std::string kTooLarge = " : File too large\n";
const std::string kIsDir = " : Is a directory\n";
const std::string kNoFile = " : No such file or directory\n";

// Bytes that do not compress (a linear congruential sequence).
Bytes noise(size_t size, uint32_t seed = 1) {
  Bytes b(size);
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    b[i] = static_cast<uint8_t>(seed >> 16);
  }
  return b;
}

// A scratch folder with helpers for the fault cases.
struct Scene {
  TempDir dir;
  std::string path(const std::string& name) const { return dir.file(name); }
  void write(const std::string& name, const Bytes& data) const { writeBytes(path(name), data); }
  Bytes read(const std::string& name) const { return readBytes(path(name)); }
  void folder(const std::string& name) const { ASSERT_EQ(mkdir(path(name).c_str(), 0755), 0); }
  void link(const std::string& target, const std::string& name) const {
    ASSERT_EQ(symlink(target.c_str(), path(name).c_str()), 0);
  }
  // The inputs no tool can read: "dangling" (a link to the missing file
  // "gone") and the folder "dir".
  void unreadables() const {
    link("gone", "dangling");
    folder("dir");
  }
  // A file of `size` bytes that takes no room on disc.
  void sparse(const std::string& name, off_t size) const {
    write(name, {});
    ASSERT_EQ(truncate(path(name).c_str(), size), 0);
  }
  ToolResult run(const std::string& tool, const std::vector<std::string>& args) const {
    return runTool(tool, args, dir.path());
  }
  ToolResult limited(const char* prefix, const std::string& tool,
                     const std::vector<std::string>& args) const {
    return runToolLimited(prefix, tool, args, dir.path());
  }
  // Names in the folder that a replaced output leaves behind.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> found;
    DIR* d = opendir(dir.path().c_str());
    if (!d) return found;
    while (dirent* e = readdir(d))
      if (std::string(e->d_name).find(".kvotmp") != std::string::npos) found.push_back(e->d_name);
    closedir(d);
    return found;
  }
};

// Status 1 with exactly these messages.
void expectFails(const ToolResult& r, const std::string& err, const std::string& out = "") {
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, err);
  EXPECT_EQ(r.out, out);
}

// After a failed run: the file has its old bytes and nothing was left beside it.
void expectKept(const Scene& s, const std::string& name, const Bytes& old) {
  EXPECT_EQ(s.read(name), old) << name;
  EXPECT_EQ(s.leftovers(), std::vector<std::string>{}) << name;
}

// ---------------------------------------------------------------- kvocx, kvocxd

// A type 1 file that decodes to 34464 bytes of 'x' (one long run token).
Bytes longRun() { return {1, 0xA0, 0x86, 0, 0, 0x7F, 0xA0, 0x86, 'x'}; }

TEST(FaultKvocx, FullDiskAndFileSizeLimit) {
  Scene s;
  s.write("in", noise(126));
  expectFails(s.run("kvocx", {"-c", "in", "/dev/full"}),
              "ERROR: couldn't write data (134 bytes) to file : /dev/full\n");
  s.write("run.c1", longRun());
  expectFails(s.run("kvocx", {"-d", "run.c1", "/dev/full"}),
              "ERROR: couldn't write data (34464 bytes) to file : /dev/full\n");

  // Compression in place and over an existing output keeps the old bytes.
  // 65536 bytes that do not compress: 524 raw runs, the end token, the header.
  const Bytes data = noise(65536);
  s.write("data", data);
  ASSERT_EQ(s.run("kvocx", {"-c", "data", "whole"}).status, 0);
  const std::string written = "ERROR: couldn't write data (" +
                              std::to_string(s.read("whole").size()) + " bytes) to file : ";
  const Bytes old = bytesOf("an older output");
  s.write("out", old);
  expectFails(s.limited(kFileLimit, "kvocx", {"-c", "data", "out"}), written + "out\n");
  expectKept(s, "out", old);
  expectFails(s.limited(kFileLimit, "kvocx", {"-c", "data", "data"}), written + "data\n");
  expectKept(s, "data", data);
}

// A decompression that fails half-way keeps the file it replaces, even its
// own input: the decoded data goes beside it until complete.
TEST(FaultKvocx, FailedDecompressionKeepsTheOldFile) {
  Scene s;
  s.write("run.c1", longRun());
  const Bytes old = bytesOf("an older output");
  s.write("out", old);
  expectFails(s.limited(kFileLimit, "kvocx", {"-d", "run.c1", "out"}),
              "ERROR: couldn't write data (34464 bytes) to file : out\n");
  expectKept(s, "out", old);
  s.write("self.c1", longRun());
  expectFails(s.limited(kFileLimit, "kvocx", {"-d", "self.c1", "self.c1"}),
              "ERROR: couldn't write data (34464 bytes) to file : self.c1\n");
  expectKept(s, "self.c1", longRun());
  s.write("out", old);
  expectFails(s.limited(kFileLimit, "kvocxd", {"run.c1", "out"}),
              "ERROR: couldn't write data (34464 bytes) to file 'out'\n");
  expectKept(s, "out", old);
  s.write("self.c1", longRun());
  expectFails(s.limited(kFileLimit, "kvocxd", {"self.c1", "self.c1"}),
              "ERROR: couldn't write data (34464 bytes) to file 'self.c1'\n");
  expectKept(s, "self.c1", longRun());
}

TEST(FaultKvocx, MissingInputsAndFolders) {
  Scene s;
  s.write("in", noise(126));
  s.unreadables();
  for (const char* mode : {"-c", "-d"}) {
    expectFails(s.run("kvocx", {mode, "missing", "out"}),
                "ERROR: file not exist or read error occurred : missing\n");
    expectFails(s.run("kvocx", {mode, "dangling", "out"}),
                "ERROR: file not exist or read error occurred : dangling\n");
  }
  EXPECT_FALSE(fileExists(s.path("out")));
  expectFails(s.run("kvocx", {"-c", "in", "dir"}),
              "ERROR: couldn't write data (134 bytes) to file : dir\n");
  s.write("run.c1", longRun());
  expectFails(s.run("kvocx", {"-d", "run.c1", "dir"}),
              "ERROR: couldn't write data (34464 bytes) to file : dir\n");
  expectFails(s.run("kvocx", {"-d", "run.c1", "nodir/out"}),
              "ERROR: couldn't write data (34464 bytes) to file : nodir/out\n");
  EXPECT_EQ(s.leftovers(), std::vector<std::string>{});
}

TEST(FaultKvocx, MemoryExhaustion) {
#ifdef KVO_ASAN
  GTEST_SKIP() << "AddressSanitizer ignores address-space limits";
#endif
  Scene s;
  s.sparse("big", 1 << 30);
  expectFails(s.limited(kMemoryLimit, "kvocx", {"-c", "big", "out"}),
              "ERROR: cannot allocate 1073745920 bytes of memory : big\n");
  expectFails(s.limited(kMemoryLimit, "kvocx", {"-d", "big", "out"}),
              "ERROR: cannot allocate 1073741824 bytes of memory : big\n");
  EXPECT_FALSE(fileExists(s.path("out")));
}

TEST(FaultKvocxd, FullDiskAndFileSizeLimit) {
  Scene s;
  s.write("run.c1", longRun());
  expectFails(s.run("kvocxd", {"run.c1", "/dev/full"}),
              "ERROR: couldn't write data (34464 bytes) to file '/dev/full'\n");
  expectFails(s.run("kvocxd", {"-l", "run.c1", "/dev/full", "log"}),
              "ERROR: couldn't write data (34464 bytes) to file '/dev/full'\n");
  // The logging mode holds the whole output and replaces the old file only
  // once it is complete.
  const Bytes old = bytesOf("an older output");
  s.write("out", old);
  expectFails(s.limited(kFileLimit, "kvocxd", {"-l", "run.c1", "out", "log"}),
              "ERROR: couldn't write data (34464 bytes) to file 'out'\n");
  expectKept(s, "out", old);
  expectFails(s.limited(kFileLimit, "kvocxd", {"-l", "run.c1", "run.c1", "log"}),
              "ERROR: couldn't write data (34464 bytes) to file 'run.c1'\n");
  expectKept(s, "run.c1", longRun());
}

// A log that cannot be written whole is an error naming the log.
TEST(FaultKvocxd, LogOnFullDisk) {
  Scene s;
  s.write("run.c1", longRun());
  expectFails(s.run("kvocxd", {"-l", "run.c1", "out", "/dev/full"}),
              "ERROR: cannot write file '/dev/full'\n");
}

TEST(FaultKvocxd, MissingInputsAndFolders) {
  Scene s;
  s.unreadables();
  for (const char* input : {"missing", "dangling"}) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{input, "out"}, {"-l", input, "out", "log"}}) {
      expectFails(s.run("kvocxd", args), "ERROR: couldn't load data to memory from file '" +
                                             std::string(input) +
                                             "'\n      (read file error occurred)\n");
    }
  }
  EXPECT_FALSE(fileExists(s.path("out")));
  EXPECT_FALSE(fileExists(s.path("log")));
  s.write("run.c1", longRun());
  expectFails(s.run("kvocxd", {"run.c1", "dir"}),
              "ERROR: couldn't write data (34464 bytes) to file 'dir'\n");
  expectFails(s.run("kvocxd", {"-l", "run.c1", "out", "dir"}), "ERROR: cannot open file 'dir'\n");
  EXPECT_EQ(s.leftovers(), std::vector<std::string>{});
}

TEST(FaultKvocxd, MemoryExhaustion) {
#ifdef KVO_ASAN
  GTEST_SKIP() << "AddressSanitizer ignores address-space limits";
#endif
  Scene s;
  // 1.75 GiB declared: the logging decoder holds the whole output.
  s.write("huge.c2", {2, 0x00, 0x00, 0x00, 0x70, 0x00});
  expectFails(s.limited(kMemoryLimit, "kvocxd", {"-l", "huge.c2", "out"}),
              "ERROR: cannot malloc 1879052288 bytes.\n",
              "Filename          : huge.c2\nFilesize          : 6 (0x6)\n"
              "Compression type  : 2 \nDecompressed size : 1879048192 \n");
  s.sparse("big", 1 << 30);
  expectFails(s.limited(kMemoryLimit, "kvocxd", {"big", "out"}),
              "ERROR: couldn't load data to memory from file 'big'\n"
              "      (memory allocation error occurred)\n");
  EXPECT_FALSE(fileExists(s.path("out")));
}

// ---------------------------------------------------------------- kvolba

const uint32_t kSector = 2048;
const uint32_t kTableAt = 0x8c000;
// The listing's name buffer: room for the 17 characters of a file name.
const uint64_t kLbaNameBytes = 17;

// A disc image: the table at 0x8c000, the given files from sector 344 on (each
// a multiple of 8 bytes, in whole sectors), the sizes file as entry 15 and an
// empty terminator. File index i is entry i below 15 and entry i + 1 above.
struct Disc {
  Bytes image;
  std::vector<uint32_t> starts;  // per entry
};

Disc makeDisc(std::vector<Bytes> files) {
  while (files.size() < 16) files.push_back(Bytes(kSector, static_cast<uint8_t>(files.size())));
  const uint32_t count = static_cast<uint32_t>(files.size()) + 2;  // sizes file, terminator
  files.insert(files.begin() + 15, Bytes(count * 3, 0));
  Disc d;
  uint32_t sector = 344;
  for (const Bytes& f : files) {
    d.starts.push_back(sector);
    sector += std::max<uint32_t>(1, static_cast<uint32_t>((f.size() + kSector - 1) / kSector));
  }
  d.starts.push_back(sector);
  d.image.assign(size_t(sector) * kSector, 0);
  const size_t sizesAt = size_t(d.starts[15]) * kSector;
  for (uint32_t e = 0; e + 1 < count; ++e) {
    const Bytes& f = files[e];
    const uint32_t unused =
        (d.starts[e + 1] - d.starts[e]) * kSector - static_cast<uint32_t>(f.size());
    put32(d.image, kTableAt + 4 * e, d.starts[e] | (unused / 8) << 24);
    std::copy(f.begin(), f.end(), d.image.begin() + size_t(d.starts[e]) * kSector);
  }
  for (uint32_t e = 0; e + 1 < count; ++e) {
    const Bytes& f = files[e];
    const uint32_t record = static_cast<uint32_t>((f.size() + 7) / 8);
    put24(d.image, sizesAt + 3 * e, record);
  }
  put32(d.image, kTableAt + 4 * (count - 1), d.starts[count - 1] | 1u << 23);
  return d;
}

// File index 2 holds 10 bytes of text, index 3 is 64 KiB.
Disc faultDisc() {
  return makeDisc({Bytes(16, 0x11), Bytes(16, 0x22), bytesOf("ABCDEFGH"), noise(65536)});
}

TEST(FaultKvolba, ListingAndExtractionOnAFullDisk) {
  Scene s;
  const Bytes image = faultDisc().image;
  s.write("disc.iso", image);
  expectFails(s.run("kvolba", {"-p", "disc.iso", "/dev/full"}),
              "ERROR: can't close file : /dev/full" + kFull);
  // An extracted file whose name leads to the full device.
  s.link("/dev/full", "0003");
  expectFails(s.run("kvolba", {"-e", "disc.iso", "3"}), "ERROR: can't write to file" + kFull);
  // 8 bytes that only reach the disc when the file is closed.
  s.link("/dev/full", "0002");
  expectFails(s.run("kvolba", {"-e", "disc.iso", "2"}), "ERROR: can't write to file" + kFull);
  expectKept(s, "disc.iso", image);
}

// An extraction that fails half-way keeps the earlier file of that name.
TEST(FaultKvolba, FailedExtractionKeepsTheOldOutput) {
  Scene s;
  s.write("disc.iso", faultDisc().image);
  const Bytes old = bytesOf("an edited extracted file");
  s.write("0003", old);
  expectFails(s.limited(kFileLimit, "kvolba", {"-e", "disc.iso", "3"}),
              "ERROR: can't write to file" + kTooLarge);
  expectKept(s, "0003", old);
}

// A write that fails in the middle of a long list: every file before it is
// complete, and none after it is left, whole or in part.
TEST(FaultKvolba, FailureHalfWayThroughAList) {
  Scene s;
  std::vector<Bytes> files;
  for (uint8_t i = 0; i < 24; ++i) files.push_back(noise(i == 12 ? 65536 : 4096, i));
  const Disc disc = makeDisc(files);
  s.write("disc.iso", disc.image);
  expectFails(s.limited(kFileLimit, "kvolba", {"-e", "disc.iso", "0-14,16-24"}),
              "ERROR: can't write to file" + kTooLarge);
  char name[16];
  for (int i = 0; i <= 24; ++i) {
    std::snprintf(name, sizeof name, "%04d", i);
    if (i < 12) {
      EXPECT_EQ(s.read(name), files[i]) << name;
    } else {
      EXPECT_FALSE(fileExists(s.path(name))) << name;
    }
  }
  EXPECT_EQ(s.leftovers(), std::vector<std::string>{});
}

TEST(FaultKvolba, MissingInputsAndFolders) {
  Scene s;
  const Bytes image = faultDisc().image;
  s.write("disc.iso", image);
  s.unreadables();
  s.folder("in");
  s.write("in/0003.bin", noise(4096, 7));
  for (const char* bad : {"missing.iso", "dangling"})
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-p", bad}, {"-e", bad, "3"}, {"-i", bad, "in"}})
      expectFails(s.run("kvolba", args), "ERROR: can't open file : " + std::string(bad) + kNoFile);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-p", "dir"}, {"-e", "dir", "3"}, {"-i", "dir", "in"}})
    expectFails(s.run("kvolba", args), "ERROR: can't read from file : dir" + kIsDir);

  expectFails(s.run("kvolba", {"-p", "disc.iso", "dir"}), "ERROR: can't open file : dir" + kIsDir);
  expectFails(s.run("kvolba", {"-e", "disc.iso", "3", "nodir/"}),
              "ERROR: can't open file : nodir/0003" + kNoFile);
  s.folder("0003");
  expectFails(s.run("kvolba", {"-e", "disc.iso", "3"}), "ERROR: can't open file : 0003" + kIsDir);
  expectFails(s.run("kvolba", {"-e", "-f", "disc.iso", "missing.txt"}),
              "ERROR: can't open file : missing.txt" + kNoFile);
  expectKept(s, "disc.iso", image);

  // The tool's own rules end this one with status 0: a line that cannot be
  // read ends the index file. An import source that lists no file is refused
  // with status 1. Nothing is extracted or written.
  ToolResult r = s.run("kvolba", {"-e", "-f", "disc.iso", "dir"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "ERROR: error reading line" + kIsDir);
  for (const char* source : {"missing", "dir"}) {
    r = s.run("kvolba", {"-i", "disc.iso", source});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "ERROR: no import, no files found for expresion: " + std::string(source) + "\n");
  }
  // An input file that cannot be read stops the import before it writes.
  s.link("../gone", "in/0002.bin");
  expectFails(s.run("kvolba", {"-i", "disc.iso", "in"}),
              "ERROR: cant get size of file : in\\0002.bin\n");
  expectKept(s, "disc.iso", image);
}

TEST(FaultKvolba, ImportLeavesTheImageWhenRefusedOrUnwritable) {
  Scene s;
  const Bytes image = faultDisc().image;
  s.write("disc.iso", image);
  s.folder("in");
  // Too big for its room: refused before anything is written.
  s.write("in/0002.bin", noise(2056));
  ToolResult r = s.run("kvolba", {"-i", "disc.iso", "in"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(
      r.err,
      "WARN: not importing : file bigger (2056) than available space (2048) : in\\0002.bin\n");
  expectKept(s, "disc.iso", image);
  // The image lies past the file-size limit: no write reaches it.
  s.write("in/0002.bin", noise(2048));
  expectFails(s.limited(kFileLimit, "kvolba", {"-i", "disc.iso", "in"}),
              "ERROR: can't seek in file : File too large \n");
  expectKept(s, "disc.iso", image);
}

TEST(FaultKvolba, MemoryExhaustion) {
#ifdef KVO_ASAN
  GTEST_SKIP() << "AddressSanitizer ignores address-space limits";
#endif
  Scene s;
  const Bytes image = faultDisc().image;
  s.write("disc.iso", image);
  // A preview of 256 MiB per file: its bytes, their hexadecimal text and a
  // name in one work area.
  expectFails(s.limited(kMemoryLimit, "kvolba", {"-s", "0x10000000", "-p", "disc.iso"}),
              "ERROR: cannot malloc " +
                  std::to_string(kLbaNameBytes + 0x10000001ull + 0x20000001ull) + " bytes.\n");
  expectKept(s, "disc.iso", image);
}

// Too little memory for a second thread (its stack alone is 8 MiB): the
// extraction copies one file after the other and still writes every file.
TEST(FaultKvolba, NoRoomForASecondThread) {
#ifdef KVO_ASAN
  GTEST_SKIP() << "AddressSanitizer ignores address-space limits";
#endif
  Scene s;
  std::vector<Bytes> files;
  for (uint8_t i = 0; i < 15; ++i) files.push_back(noise(8192 + 2048 * i, i));
  s.write("disc.iso", makeDisc(files).image);
  const ToolResult r = s.limited("ulimit -v 9000;", "kvolba", {"-e", "disc.iso", "0-14"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out + r.err, "");
  char name[16];
  for (int i = 0; i < 15; ++i) {
    std::snprintf(name, sizeof name, "%04d", i);
    EXPECT_EQ(s.read(name), files[i]) << name;
  }
}

// ---------------------------------------------------------------- kvobts, kvobtsc

const std::string kTable = "\\x10=a\r\n\\x11=b\r\n";

// Section 4 makes it 64 KiB.
Bytes bigBattle() {
  return makeContainer({Bytes(16, 0x30),
                        {},
                        makeDialog({{0x10, 0x10, 0}, {0x11, 0}, {0}, {0}, {0}}),
                        Bytes(6, 0x33),
                        noise(65536)});
}

TEST(FaultKvobts, FullDiskAndFileSizeLimit) {
  Scene s;
  const Bytes battle = bigBattle();
  s.write("a.bt", battle);
  s.write("kvo.tbs", bytesOf(kTable));
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-p", "a.bt", "/dev/full"},
                                               {"-e4", "a.bt", "/dev/full"},
                                               {"-e2", "-t", "kvo.tbs", "a.bt", "/dev/full"},
                                               {"-r3", "-o", "/dev/full", "a.bt"}})
    expectFails(s.run("kvobts", args), "ERROR: can't write to file : /dev/full" + kFull);

  // Replaced in place or as an existing output: the old bytes stay.
  expectFails(s.limited(kFileLimit, "kvobts", {"-r3", "a.bt"}),
              "ERROR: can't write to file : a.bt" + kTooLarge);
  expectKept(s, "a.bt", battle);
  const Bytes old = bytesOf("an older output");
  s.write("new.bt", old);
  expectFails(s.limited(kFileLimit, "kvobts", {"-r3", "-o", "new.bt", "a.bt"}),
              "ERROR: can't write to file : new.bt" + kTooLarge);
  expectKept(s, "new.bt", old);
  s.write("4", old);
  expectFails(s.limited(kFileLimit, "kvobts", {"-e4", "a.bt"}),
              "ERROR: can't write to file : 4" + kTooLarge);
  expectKept(s, "4", old);
  s.write("big.bin", noise(32768, 3));
  expectFails(s.limited(kFileLimit, "kvobts", {"-i3", "a.bt", "big.bin"}),
              "ERROR: can't write to file : a.bt" + kTooLarge);
  expectKept(s, "a.bt", battle);
}

TEST(FaultKvobts, MissingInputsAndFolders) {
  Scene s;
  const Bytes battle = bigBattle();
  s.write("a.bt", battle);
  s.unreadables();
  for (const char* bad : {"missing", "dangling", "dir"}) {
    expectFails(s.run("kvobts", {"-p", bad}),
                "ERROR: cant get size of file : " + std::string(bad) + "\n");
    expectFails(s.run("kvobts", {"-r3", bad}),
                "ERROR: cant get size of file : " + std::string(bad) + "\n");
    expectFails(s.run("kvobts", {"-i3", "a.bt", bad}),
                "ERROR: cant get size of file : " + std::string(bad) + "\n");
    expectFails(s.run("kvobts", {"-e2", "-t", bad, "a.bt", "out.txt"}),
                "ERROR: cant read(find) \"" + std::string(bad) +
                    "\"\nERROR: TBL init failed : file " + bad + "\n");
  }
  expectFails(s.run("kvobts", {"-p", "a.bt", "dir"}), "ERROR: can't open file : dir" + kIsDir);
  expectFails(s.run("kvobts", {"-e4", "a.bt", "dir"}), "ERROR: can't open file : dir" + kIsDir);
  expectFails(s.run("kvobts", {"-r3", "-o", "dir", "a.bt"}),
              "ERROR: can't open file : dir" + kIsDir);
  expectFails(s.run("kvobts", {"-e4", "a.bt", "nodir/4"}),
              "ERROR: can't open file : nodir/4" + kNoFile);
  expectKept(s, "a.bt", battle);
  EXPECT_FALSE(fileExists(s.path("out.txt")));
}

TEST(FaultKvobts, MemoryExhaustion) {
#ifdef KVO_ASAN
  GTEST_SKIP() << "AddressSanitizer ignores address-space limits";
#endif
  Scene s;
  s.write("a.bt", bigBattle());
  s.sparse("big.bt", 1 << 30);
  s.sparse("big.tbs", 1 << 30);
  expectFails(s.limited(kMemoryLimit, "kvobts", {"-p", "big.bt"}),
              "ERROR: error allocating 1073741824 bytes\n");
  expectFails(s.limited(kMemoryLimit, "kvobts", {"-e2", "-t", "big.tbs", "a.bt", "out.txt"}),
              "ERROR: error allocating 1073741824 bytes\nERROR: TBL init failed : file big.tbs\n");
  EXPECT_FALSE(fileExists(s.path("out.txt")));
}

const size_t kPart = 472;

TEST(FaultKvobtsc, FullDiskAndFileSizeLimit) {
  Scene s;
  const std::string dummies = "WARN: from index 0 using 'dummy' data, file not found : 0000\n";
  expectFails(s.run("kvobtsc", {"-c", "/dev/full", "0", "0"}),
              dummies + "ERROR: can't write to file : /dev/full" + kFull);
  const Bytes old = bytesOf("an older small battle file");
  s.write("old.sbf", old);
  expectFails(s.limited(kFileLimit, "kvobtsc", {"-c", "old.sbf", "0", "0"}),
              dummies + "ERROR: can't write to file : old.sbf" + kTooLarge);
  expectKept(s, "old.sbf", old);

  // Import in place, with battle 0000 present so that part 0 changes.
  const Bytes parts = noise(40 * kPart, 5);
  s.write("in.sbf", parts);
  s.write("0000", makeContainer({Bytes(16, 0x30),
                                 {},
                                 makeDialog({{0x10, 0x10, 0}, {0x11, 0}, {0}, {0}, {0}}),
                                 Bytes(6, 0x33),
                                 Bytes(280, 0x44)}));
  ASSERT_EQ(s.run("kvobtsc", {"-i", "-o", "check.sbf", "in.sbf", "0", "0"}).status, 0);
  EXPECT_NE(s.read("check.sbf"), parts);
  expectFails(s.limited(kFileLimit, "kvobtsc", {"-i", "in.sbf", "0", "0"}),
              "ERROR: can't write to file : in.sbf" + kTooLarge);
  expectKept(s, "in.sbf", parts);
  expectFails(s.limited(kFileLimit, "kvobtsc", {"-i", "-o", "old.sbf", "in.sbf", "0", "0"}),
              "ERROR: can't write to file : old.sbf" + kTooLarge);
  expectKept(s, "old.sbf", old);
  expectFails(s.run("kvobtsc", {"-i", "-o", "/dev/full", "in.sbf", "0", "0"}),
              "ERROR: can't write to file : /dev/full" + kFull);
}

TEST(FaultKvobtsc, MissingInputsAndFolders) {
  Scene s;
  s.unreadables();
  for (const char* bad : {"missing", "dangling", "dir"})
    expectFails(s.run("kvobtsc", {"-i", bad, "0", "0"}),
                "ERROR: cant get size of file : " + std::string(bad) + "\n");
  expectFails(s.run("kvobtsc", {"-c", "dir", "0", "0"}), "ERROR: can't open file : dir" + kIsDir);
  s.write("in.sbf", noise(2 * kPart));
  expectFails(s.run("kvobtsc", {"-i", "-o", "dir", "in.sbf", "0", "0"}),
              "ERROR: can't open file : dir" + kIsDir);
  // A battle file that is a folder is no battle file: dummy parts follow.
  ToolResult r = s.run("kvobtsc", {"-c", "out.sbf", "0", "0", "di", "r"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "WARN: from index 0 using 'dummy' data, file not found : di0000r\n");
  EXPECT_EQ(s.leftovers(), std::vector<std::string>{});
}

TEST(FaultKvobtsc, MemoryExhaustion) {
#ifdef KVO_ASAN
  GTEST_SKIP() << "AddressSanitizer ignores address-space limits";
#endif
  Scene s;
  s.sparse("big.sbf", 1 << 30);
  expectFails(s.limited(kMemoryLimit, "kvobtsc", {"-i", "-o", "out.sbf", "big.sbf", "0", "0"}),
              "ERROR: error allocating 1073741824 bytes\n");
  EXPECT_FALSE(fileExists(s.path("out.sbf")));
}

// ---------------------------------------------------------------- kvomap

// A map file with one section, one entry, one 128 x 128 bitmap and one
// palette (about 18 KiB).
Bytes makeMap() {
  const uint32_t width = 128, height = 128, slot = 16 + width * height;
  Bytes b(0x40, 0);
  b[0] = 'M', b[1] = 'A', b[2] = 'P', b[3] = '1';
  put32(b, 16, 0x40);
  auto section = [&b](const char* tag, uint32_t units) {
    const size_t at = b.size();
    b.resize(at + 16, 0);
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(tag[i]);
    put32(b, at + 4, units);
    return at;
  };
  section("YNDT", 0);
  const size_t ynpr = section("YNPR", 1);
  b.resize(ynpr + 32, 0);
  put32(b, ynpr + 16, 1);
  const size_t head = section("YNSC", 0);
  const size_t dataStart = b.size();
  b.resize(dataStart + 16, 0);
  put32(b, dataStart, 1);
  const size_t at = b.size();
  const size_t length = 240 + 16 + slot + 1040;
  b.resize(at + length, 0);
  put32(b, at + 4, width);
  put32(b, at + 8, height);
  put32(b, at + 144, 1);
  const size_t bg = at + 160 + 16;
  put32(b, bg + 16, width);
  put32(b, bg + 20, height);
  put32(b, bg + 24, 1);
  put32(b, bg + 28, slot);
  const Bytes pixels = noise(width * height, 9);
  std::copy(pixels.begin(), pixels.end(), b.begin() + bg + 48);
  const size_t pg = bg + 32 + slot;
  put32(b, pg + 32, 16);
  put32(b, pg + 36, 16);
  put32(b, pg + 40, 1);
  put32(b, pg + 44, 1040);
  for (uint32_t i = 0; i < 256; ++i) {
    b[pg + 64 + 4 * i] = static_cast<uint8_t>(i);
    b[pg + 64 + 4 * i + 1] = static_cast<uint8_t>(255 - i);
    b[pg + 64 + 4 * i + 3] = 0x80;
  }
  b.resize((b.size() + 15) / 16 * 16, 0);
  put32(b, head + 4, static_cast<uint32_t>((b.size() - dataStart) / 16));
  return b;
}

TEST(FaultKvomap, FullDiskAndFileSizeLimit) {
  Scene s;
  const Bytes map = makeMap();
  s.write("a.map", map);
  ASSERT_EQ(s.run("kvomap", {"-e0", "a.map", "a.bmp"}).status, 0);
  Bytes bmp = s.read("a.bmp");
  bmp.back() ^= 0xFF;  // an edited picture: the import changes the map
  s.write("a.bmp", bmp);
  ASSERT_EQ(s.run("kvomap", {"-i0", "a.map", "a.bmp", "check.map"}).status, 0);
  ASSERT_NE(s.read("check.map"), map);

  expectFails(s.run("kvomap", {"-p", "a.map", "/dev/full"}),
              "ERROR: can't close file : /dev/full" + kFull);
  expectFails(s.run("kvomap", {"-e0", "a.map", "/dev/full"}),
              "ERROR: cannot save data as BMP file : /dev/full\n");
  expectFails(s.run("kvomap", {"-i0", "a.map", "a.bmp", "/dev/full"}),
              "ERROR: can't write to file : /dev/full" + kFull);

  expectFails(s.limited(kFileLimit, "kvomap", {"-i0", "a.map", "a.bmp"}),
              "ERROR: can't write to file : a.map" + kTooLarge);
  expectKept(s, "a.map", map);
  const Bytes old = bytesOf("an older output");
  s.write("old", old);
  expectFails(s.limited(kFileLimit, "kvomap", {"-i0", "a.map", "a.bmp", "old"}),
              "ERROR: can't write to file : old" + kTooLarge);
  expectKept(s, "old", old);
}

TEST(FaultKvomap, MissingInputsAndFolders) {
  Scene s;
  const Bytes map = makeMap();
  s.write("a.map", map);
  s.unreadables();
  for (const char* bad : {"missing", "dangling"}) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-p", bad}, {"-e0", bad, "o.bmp"}, {"-i", bad, "pre"}})
      expectFails(s.run("kvomap", args),
                  "ERROR: file not exist or read error occurred : " + std::string(bad) + "\n");
  }
  expectFails(s.run("kvomap", {"-p", "a.map", "dir"}), "ERROR: can't open file : dir" + kIsDir);
  expectFails(s.run("kvomap", {"-e0", "a.map", "dir"}),
              "ERROR: cannot save data as BMP file : dir\n");
  expectFails(s.run("kvomap", {"-e0", "a.map", "nodir/o.bmp"}),
              "ERROR: cannot save data as BMP file : nodir/o.bmp\n");
  expectKept(s, "a.map", map);
  EXPECT_FALSE(fileExists(s.path("o.bmp")));
}

// A map saved into a folder fails as opening any named output does.
TEST(FaultKvomap, FolderAsOutputOfTheMap) {
  Scene s;
  s.write("a.map", makeMap());
  s.folder("dir");
  expectFails(s.run("kvomap", {"-i", "a.map", "pre", "dir"}),
              "ERROR: can't open file : dir" + kIsDir);
}

TEST(FaultKvomap, MemoryExhaustion) {
#ifdef KVO_ASAN
  GTEST_SKIP() << "AddressSanitizer ignores address-space limits";
#endif
  Scene s;
  s.sparse("big.map", 1 << 30);
  expectFails(s.limited(kMemoryLimit, "kvomap", {"-p", "big.map"}),
              "ERROR: cannot allocate 1073741824 bytes of memory : big.map\n");
}

// ---------------------------------------------------------------- kvognop

// A 256 x 256 8-bit bitmap (found by its size) and one palette.
struct GnopScene : Scene {
  Bytes bitmap = noise(65536, 11);
  GnopScene() {
    write("bm", bitmap);
    Bytes palette(1024);
    for (uint32_t i = 0; i < 256; ++i) palette[4 * i] = uint8_t(i), palette[4 * i + 3] = 0x80;
    write("pal", palette);
  }
};

TEST(FaultKvognop, FullDiskAndFileSizeLimit) {
  GnopScene s;
  ASSERT_EQ(s.run("kvognop", {"-e", "-n", "bm", "pal", "a.bmp"}).status, 0);
  Bytes bmp = s.read("a.bmp");
  bmp.back() ^= 0xFF;
  s.write("a.bmp", bmp);
  s.write("mask.bmp", bmp);
  expectFails(s.run("kvognop", {"-e", "bm", "pal", "/dev/full"}),
              "ERROR: cannot save data as BMP file : /dev/full\n");
  expectFails(s.run("kvognop", {"-c", "a.bmp", "/dev/full"}),
              "ERROR: couldn't write data (65536 bytes) to file : /dev/full\n");
  expectFails(s.run("kvognop", {"-m", "bm", "a.bmp", "mask.bmp", "/dev/full"}),
              "ERROR: couldn't write data (65536 bytes) to file : /dev/full\n");
  expectFails(s.run("kvognop", {"-i", "0", "bm", "a.bmp", "/dev/full"}),
              "ERROR: can't write to file : /dev/full" + kFull);

  // The mask merge replaces its bitmap; create and import replace an output.
  expectFails(s.limited(kFileLimit, "kvognop", {"-m", "bm", "a.bmp", "mask.bmp"}),
              "ERROR: couldn't write data (65536 bytes) to file : bm\n");
  expectKept(s, "bm", s.bitmap);
  const Bytes old = bytesOf("an older output");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-c", "a.bmp", "old"}, {"-m", "bm", "a.bmp", "mask.bmp", "old"}}) {
    s.write("old", old);
    expectFails(s.limited(kFileLimit, "kvognop", args),
                "ERROR: couldn't write data (65536 bytes) to file : old\n");
    expectKept(s, "old", old);
  }
  expectFails(s.limited(kFileLimit, "kvognop", {"-i", "0", "bm", "a.bmp", "old"}),
              "ERROR: can't write to file : old" + kTooLarge);
  expectKept(s, "old", old);
  expectKept(s, "bm", s.bitmap);
}

TEST(FaultKvognop, MissingInputsAndFolders) {
  GnopScene s;
  s.unreadables();
  ASSERT_EQ(s.run("kvognop", {"-e", "bm", "pal", "a.bmp"}).status, 0);
  for (const char* bad : {"missing", "dangling"}) {
    const std::string name(bad);
    expectFails(s.run("kvognop", {"-e", bad, "pal", "o.bmp"}),
                "ERROR: file not exist or read error occurred : " + name + "\n");
    expectFails(s.run("kvognop", {"-e", "bm", bad, "o.bmp"}),
                "ERROR: file not exist or read error occurred : " + name + "\n");
    expectFails(s.run("kvognop", {"-m", bad, "a.bmp", "a.bmp"}),
                "ERROR: file not exist or read error occurred : " + name + "\n");
  }
  expectFails(s.run("kvognop", {"-e", "bm", "pal", "dir"}),
              "ERROR: cannot save data as BMP file : dir\n");
  expectFails(s.run("kvognop", {"-c", "a.bmp", "dir"}),
              "ERROR: couldn't write data (65536 bytes) to file : dir\n");
  expectFails(s.run("kvognop", {"-i", "0", "bm", "a.bmp", "dir"}),
              "ERROR: can't open file : dir" + kIsDir);
  expectFails(s.run("kvognop", {"-i", "0", "missing", "a.bmp", "out"}),
              "ERROR: can't open file : missing" + kNoFile);
  expectKept(s, "bm", s.bitmap);
  EXPECT_FALSE(fileExists(s.path("o.bmp")));
  EXPECT_FALSE(fileExists(s.path("out")));
}

TEST(FaultKvognop, MemoryExhaustion) {
#ifdef KVO_ASAN
  GTEST_SKIP() << "AddressSanitizer ignores address-space limits";
#endif
  GnopScene s;
  s.sparse("big", 1 << 30);
  expectFails(s.limited(kMemoryLimit, "kvognop", {"-e", "big", "pal", "o.bmp"}),
              "ERROR: cannot allocate 1073741824 bytes of memory : big\n");
  expectFails(s.limited(kMemoryLimit, "kvognop", {"-e", "bm", "big", "o.bmp"}),
              "ERROR: cannot allocate 1073741824 bytes of memory : big\n");
  EXPECT_FALSE(fileExists(s.path("o.bmp")));
}

// ---------------------------------------------------------------- kvogwh

// A 128 x 128 picture (about 17 KiB).
Bytes makeGwh() {
  Bytes file(16, 0);
  put32(file, 0, 128);
  put32(file, 4, 128);
  for (uint32_t i = 0; i < 256; ++i)
    file.insert(file.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0x80});
  const Bytes pixels = noise(128 * 128, 13);
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

TEST(FaultKvogwh, FullDiskAndFileSizeLimit) {
  Scene s;
  const Bytes gwh = makeGwh();
  s.write("a.gwh", gwh);
  ASSERT_EQ(s.run("kvogwh", {"-e", "a.gwh", "a.bmp"}).status, 0);
  Bytes bmp = s.read("a.bmp");
  bmp.back() ^= 0xFF;
  s.write("a.bmp", bmp);
  expectFails(s.run("kvogwh", {"-e", "a.gwh", "/dev/full"}),
              "ERROR: cannot save data as BMP file : /dev/full\n");
  expectFails(s.run("kvogwh", {"-c", "a.bmp", "/dev/full"}),
              "ERROR: can't write to file : /dev/full" + kFull);
  expectFails(s.run("kvogwh", {"-p", "a.gwh", "/dev/full"}),
              "ERROR: can't close file : /dev/full" + kFull);
  expectFails(s.run("kvogwh", {"-i", "a.gwh", "a.bmp", "/dev/full"}),
              "ERROR: couldn't write data (17424 bytes) to file '/dev/full'\n");

  expectFails(s.limited(kFileLimit, "kvogwh", {"-i", "a.gwh", "a.bmp"}),
              "ERROR: couldn't write data (17424 bytes) to file 'a.gwh'\n");
  expectKept(s, "a.gwh", gwh);
  const Bytes old = bytesOf("an older output");
  s.write("old", old);
  expectFails(s.limited(kFileLimit, "kvogwh", {"-i", "a.gwh", "a.bmp", "old"}),
              "ERROR: couldn't write data (17424 bytes) to file 'old'\n");
  expectKept(s, "old", old);
}

// Creating a picture over an existing one keeps it when the write fails.
TEST(FaultKvogwh, FailedCreateKeepsTheOldPicture) {
  Scene s;
  s.write("a.gwh", makeGwh());
  ASSERT_EQ(s.run("kvogwh", {"-e", "a.gwh", "a.bmp"}).status, 0);
  const Bytes old = bytesOf("an older picture");
  s.write("old.gwh", old);
  expectFails(s.limited(kFileLimit, "kvogwh", {"-c", "a.bmp", "old.gwh"}),
              "ERROR: can't write to file : old.gwh" + kTooLarge);
  expectKept(s, "old.gwh", old);
}

TEST(FaultKvogwh, MissingInputsAndFolders) {
  Scene s;
  const Bytes gwh = makeGwh();
  s.write("a.gwh", gwh);
  ASSERT_EQ(s.run("kvogwh", {"-e", "a.gwh", "a.bmp"}).status, 0);
  s.unreadables();
  for (const char* bad : {"missing", "dangling"}) {
    const std::string name(bad);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-p", bad}, {"-e", bad, "o.bmp"}, {"-i", bad, "a.bmp"}})
      expectFails(s.run("kvogwh", args), "ERROR: couldn't load data to memory from file '" + name +
                                             "'\n      (read file error occurred)\n");
  }
  expectFails(s.run("kvogwh", {"-c", "missing", "o.gwh"}),
              "ERROR: cannot load file to memory : No such file or directory : missing\n");
  expectFails(s.run("kvogwh", {"-c", "dangling", "o.gwh"}),
              "ERROR: cannot load file to memory : No such file or directory : dangling\n");
  expectFails(s.run("kvogwh", {"-i", "a.gwh", "missing"}),
              "ERROR: cannot load file to memory : No such file or directory : missing\n");
  expectFails(s.run("kvogwh", {"-e", "a.gwh", "dir"}),
              "ERROR: cannot save data as BMP file : dir\n");
  expectFails(s.run("kvogwh", {"-c", "a.bmp", "dir"}), "ERROR: can't open file : dir" + kIsDir);
  expectFails(s.run("kvogwh", {"-i", "a.gwh", "a.bmp", "dir"}),
              "ERROR: couldn't write data (17424 bytes) to file 'dir'\n");
  expectKept(s, "a.gwh", gwh);
  EXPECT_FALSE(fileExists(s.path("o.bmp")));
  EXPECT_FALSE(fileExists(s.path("o.gwh")));
}

TEST(FaultKvogwh, MemoryExhaustion) {
#ifdef KVO_ASAN
  GTEST_SKIP() << "AddressSanitizer ignores address-space limits";
#endif
  Scene s;
  s.sparse("big.gwh", 1 << 30);
  expectFails(s.limited(kMemoryLimit, "kvogwh", {"-p", "big.gwh"}),
              "ERROR: couldn't load data to memory from file 'big.gwh'\n"
              "      (memory allocation error occurred)\n");
}

// ---------------------------------------------------------------- shared faults

// A BMP export that fails half-way keeps the picture it would replace.
TEST(FaultBmpExport, FailedExportKeepsTheOldPicture) {
  Scene s;
  s.write("a.map", makeMap());
  GnopScene g;
  s.write("bm", g.bitmap);
  s.write("pal", g.read("pal"));
  s.write("a.gwh", makeGwh());
  const Bytes old = bytesOf("an edited picture");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"kvomap", "-e0", "a.map", "old"},
        {"kvognop", "-e", "bm", "pal", "old"},
        {"kvogwh", "-e", "a.gwh", "old"}}) {
    s.write("old", old);
    expectFails(
        s.limited(kFileLimit, args[0], std::vector<std::string>(args.begin() + 1, args.end())),
        "ERROR: cannot save data as BMP file : old\n");
    expectKept(s, "old", old);
  }
}

// A folder given as an input file is reported as a file that cannot be read.
TEST(FaultFolderInput, LoadFamilyReportsAReadError) {
  Scene s;
  s.folder("dir");
  s.write("pal", Bytes(1024, 0));
  s.write("bm", noise(65536));
  const std::string notRead = "ERROR: file not exist or read error occurred : dir\n";
  const std::string quoted =
      "ERROR: couldn't load data to memory from file 'dir'\n      (read file error occurred)\n";
  expectFails(s.run("kvocx", {"-c", "dir", "out"}), notRead);
  expectFails(s.run("kvocx", {"-d", "dir", "out"}), notRead);
  expectFails(s.run("kvomap", {"-p", "dir"}), notRead);
  expectFails(s.run("kvomap", {"-e0", "dir", "o.bmp"}), notRead);
  expectFails(s.run("kvognop", {"-e", "dir", "pal", "o.bmp"}), notRead);
  expectFails(s.run("kvognop", {"-e", "bm", "dir", "o.bmp"}), notRead);
  expectFails(s.run("kvognop", {"-m", "dir", "a.bmp", "a.bmp"}), notRead);
  expectFails(s.run("kvocxd", {"dir", "out"}), quoted);
  expectFails(s.run("kvocxd", {"-l", "dir", "out"}), quoted);
  expectFails(s.run("kvogwh", {"-p", "dir"}), quoted);
  expectFails(s.run("kvogwh", {"-e", "dir", "o.bmp"}), quoted);
  expectFails(s.run("kvogwh", {"-c", "dir", "o.gwh"}),
              "ERROR: cannot load file to memory : Is a directory : dir\n");
}

// ---------------------------------------------------------------- font tools
// Their messages are their own (on standard output). They stream the files
// and allocate nothing that grows with them, so there is no memory case.

TEST(FaultFontTools, FullDiskAndFileSizeLimit) {
  Scene s;
  const Bytes font = noise(32768, 17);
  s.write("font", font);
  s.link("/dev/full", "FontA.raw");
  expectFails(s.run("fontextract", {"font"}), "", "Erro ao gravar arquivo FontA.raw\n");
  ASSERT_EQ(unlink(s.path("FontA.raw").c_str()), 0);
  s.link("/dev/full", "FontB.raw");
  expectFails(s.run("fontextract", {"font"}), "", "Erro ao gravar arquivo FontB.raw\n");
  ASSERT_EQ(unlink(s.path("FontB.raw").c_str()), 0);

  const Bytes oldA = bytesOf("old plane A"), oldB = bytesOf("old plane B");
  s.write("FontA.raw", oldA);
  s.write("FontB.raw", oldB);
  expectFails(s.limited(kFileLimit, "fontextract", {"font"}), "",
              "Erro ao gravar arquivo FontA.raw\n");
  expectKept(s, "FontA.raw", oldA);
  expectKept(s, "FontB.raw", oldB);

  ASSERT_EQ(s.run("fontextract", {"font"}).status, 0);
  expectFails(s.run("fontsynth", {"/dev/full"}), "", "Erro ao gravar arquivo\n");
  expectFails(s.limited(kFileLimit, "fontsynth", {"font"}), "", "Erro ao gravar arquivo\n");
  expectKept(s, "font", font);
}

TEST(FaultFontTools, MissingInputsAndFolders) {
  Scene s;
  s.unreadables();
  expectFails(s.run("fontextract", {"missing"}), "", "Erro ao abrir arquivo\n");
  expectFails(s.run("fontextract", {"dangling"}), "", "Erro ao abrir arquivo\n");
  expectFails(s.run("fontextract", {"dir"}), "", "Erro ao ler arquivo\n");
  EXPECT_FALSE(fileExists(s.path("FontA.raw")));
  expectFails(s.run("fontsynth", {"font"}), "", "Erro ao abrir arquivo FontA.raw\n");
  s.write("FontA.raw", Bytes(8, 1));
  expectFails(s.run("fontsynth", {"font"}), "", "Erro ao abrir arquivo FontB.raw\n");
  // A folder has no size of its own: the sizes differ.
  ASSERT_EQ(mkdir(s.path("FontB.raw").c_str(), 0755), 0);
  expectFails(s.run("fontsynth", {"font"}), "", "Arquivos com tamanhos diferentes...");
  ASSERT_EQ(rmdir(s.path("FontB.raw").c_str()), 0);
  s.write("FontB.raw", Bytes(8, 2));
  expectFails(s.run("fontsynth", {"dir"}), "", "Erro ao abrir arquivo\n");
  s.folder("FontA.raw.d");
  ASSERT_EQ(unlink(s.path("FontA.raw").c_str()), 0);
  ASSERT_EQ(rename(s.path("FontA.raw.d").c_str(), s.path("FontA.raw").c_str()), 0);
  s.write("font", Bytes(8, 3));
  expectFails(s.run("fontextract", {"font"}), "", "Erro ao criar arquivo FontA.raw\n");
  EXPECT_EQ(s.leftovers(), std::vector<std::string>{});
}

}  // namespace
