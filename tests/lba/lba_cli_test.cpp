// The kvolba command line, and an image whose files lie beyond 4 GiB.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/lba/disc_builder.h"

namespace {
const std::string kUsage =
    "Usage: kvolba -[p|p1|p2] [-s NUM] KVOISOFILE [FILENAME]\n"
    "       kvolba -e                  KVOISOFILE INDEX_LIST    [PREFIX]\n"
    "       kvolba -e -{f|fs]          KVOISOFILE INDEXES_FILE  [PREFIX]\n"
    "       kvolba -i [-acX]  [-ns]    KVOISOFILE [DIR|FILE|EXPR]\n"
    "Options:\n"
    "  -p  print header information from KVOISOFILE to stdout or FILENAME\n"
    "      (-p1 = without 'empty', -p2 = KVO uni.ext. format, -p3 commands like)\n"
    "  -e  extract files from KVOISOFILE, files will starts with PREFIX (dir name...)\n"
    "      INDEX_LIST - comma and hyphen separated values (i.e. 1,0015-0017,19)\n"
    "  -i  import files to KVOISOFILE, files must start with index (as printed names)\n"
    "      header and 16th file in header (index 0014, files sizes) will be updated\n"
    "  -f  for extract indexs are read from file, one per line, ;/# for comment line\n"
    "  -fs as '-f', but string after index used as suffix for filename\n"
    "      (usually extension, extension for compression still appended if needed)\n"
    "  -ns on import, dont write sizes to 'sizes file' (16th head file, index 0014)\n"
    "  -s  setting NUM size for preview/search data, default 16 bytes\n"
    "  -a, -aX, -ac, -acX, -au, -auX  adds 1 or X zero padding bytes to imported file\n"
    "      (on import adds 1 or X bytes to files sizes (all/compressed/uncompressed))\n"
    "\n"
    "Notes: LBA start at 0x8c000, size max 64 sectors = 131072B\n"
    "       LBA entry 4B {startSector:22, compressed:1, empty:1, paddingDiv8:8}\n"
    "       SIZESFILE entry 3B {uncompressed size of file div8}\n"
    "\n"
    "Version 20140629\n";

struct Cli {
  TempDir dir;
  Cli() {
    writeBytes(dir.file("disc.iso"), listingDisc().build());
    EXPECT_EQ(std::system(("mkdir " + dir.file("out")).c_str()), 0);
  }
  ToolResult run(const std::vector<std::string>& args) {
    return runTool("kvolba", args, dir.path());
  }
  std::string listing(const std::vector<std::string>& options) {
    std::vector<std::string> args = options;
    args.push_back("disc.iso");
    return run(args).out;
  }
};
}  // namespace

TEST(LbaCli, UsageAndMissingArguments) {
  Cli cli;
  ToolResult r = cli.run({});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kUsage);
  EXPECT_EQ(r.err, "");
  r = cli.run({"-h", "disc.iso"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kUsage + cli.listing({}));
  r = cli.run({"/?"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kUsage);
  EXPECT_EQ(r.err, "ERROR: expected KVOISOFILE parameter\n");
}

TEST(LbaCli, OptionsChooseFormAndMode) {
  Cli cli;
  std::string p2 = cli.listing({"-p2"});
  EXPECT_EQ(linesOf(p2)[0], "00000000FE000158|00000000000AC000|00000800|0000.elf");
  EXPECT_EQ(cli.listing({"-p2", "-p"}), p2);
  EXPECT_EQ(cli.listing({"/P2"}), p2);
  EXPECT_EQ(cli.listing({"-p2", "-p7"}), p2);
  EXPECT_EQ(cli.listing({"-p3", "-n", "-p0"}), cli.listing({}));
  std::string wide = linesOf(cli.listing({"-p1", "-s", "0x20"}))[0];
  EXPECT_EQ(wide.substr(wide.find('\t') + 1, 67),
            "7F454C46000102030405060708090A0B00000000000000000000000000000000   ");
  EXPECT_EQ(cli.listing({"-s", "010", "-p1"}).find("\t7F454C4600010203   .ELF....   0000.elf"),
            53u);  // 010 is octal: 8 bytes

  ToolResult r = cli.run({"-x", "-", "disc.iso"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "ERROR: unknown option -x\nERROR: unknown option -\n");
  EXPECT_EQ(r.out, cli.listing({}));

  // A "/" option holds no further "/": an absolute path is a file name.
  if (!checkingWindowsBuild()) {
    EXPECT_EQ(cli.listing({"/p3", "-p1"}), cli.run({"-p1", cli.dir.file("disc.iso")}).out);
  }

  r = cli.run({"-P", "-E", "disc.iso", "0", "out\\", "-s", "4"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_TRUE(fileExists(cli.dir.file("out/0000.elf")));
}

TEST(LbaCli, PreviewSizeMustBeAWholeNumber) {
  Cli cli;
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  for (const Case& c : {
           Case{{"-s", "12x", "disc.iso"},
                "ERROR: expected positive number after '-s', got: 12x\n"},
           Case{{"-s", "-1", "disc.iso"}, "ERROR: expected positive number after '-s', got: -1\n"},
           Case{{"-s", "", "disc.iso"}, "ERROR: expected positive number after '-s', got: \n"},
           Case{{"-s", "4294967296", "disc.iso"},
                "ERROR: expected positive number after '-s', got: 4294967296\n"},
           Case{{"-s"}, "ERROR: expected positive number after '-s' parameter\n"},
           Case{{"-s", "4"}, "ERROR: expected KVOISOFILE parameter\n"},
       }) {
    ToolResult r = cli.run(c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
  }
}

// The listing disc moved 4 GiB further into a sparse file.
TEST(LbaLargeImage, FilesBeyondFourGiB) {
  const uint32_t shift = 0x200000;  // sectors: 4 GiB
  DiscBuilder b = listingDisc();
  Bytes small = b.build();
  TempDir dir;
  std::string path = dir.file("big.iso");
  int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  Bytes table(small.begin() + 0x8c000, small.begin() + 0x8c000 + 17 * 4);
  for (int e = 0; e < 17; ++e) table[4 * e + 2] += 0x20;  // start sector + 0x200000
  off_t dataAt = off_t(344) * 2048;
  size_t dataBytes = small.size() - dataAt;
  ASSERT_EQ(pwrite(fd, table.data(), table.size(), 0x8c000), ssize_t(table.size()));
  ASSERT_EQ(pwrite(fd, small.data() + dataAt, dataBytes, dataAt + off_t(shift) * 2048),
            ssize_t(dataBytes));
  close(fd);

  ToolResult r = runTool("kvolba", {"-p3", "big.iso"}, dir.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(linesOf(r.out)[0], "#  0000.elf      0x1000AC000  0x00000010");
  EXPECT_EQ(linesOf(r.out)[1], "#  0001.vvm.c1   0x1000AC800  0x00000010");

  r = runTool("kvolba", {"-e", "big.iso", "0,2"}, dir.path());
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(readBytes(dir.file("0000.elf")),
            Bytes(small.begin() + dataAt, small.begin() + dataAt + 16));
  EXPECT_EQ(readText(dir.file("0002")), std::string("ABCDEFGHIJ\0\0\0\0\0\0", 16));

  // Import into index 3 (entry 4) and read back the room, entry and record.
  writeBytes(dir.file("0003.bin"), Bytes(1000, 0x5A));
  r = runTool("kvolba", {"-i", "big.iso", "0003.bin"}, dir.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  fd = open(path.c_str(), O_RDONLY);
  Bytes room(2048);
  ASSERT_EQ(pread(fd, room.data(), room.size(), (off_t(shift) + b.starts[4]) * 2048), 2048);
  uint8_t entry[4];
  ASSERT_EQ(pread(fd, entry, 4, 0x8c000 + 4 * 4), 4);
  uint8_t record[3];
  ASSERT_EQ(pread(fd, record, 3, off_t(shift) * 2048 + b.sizesOffset + 3 * 4), 3);
  close(fd);
  Bytes wantRoom(2048, 0);
  std::fill(wantRoom.begin(), wantRoom.begin() + 1000, 0x5A);
  EXPECT_EQ(room, wantRoom);
  EXPECT_EQ(Bytes(entry, entry + 4), (Bytes{0x5B, 0x01, 0x20, 131}));  // 1048 unused: 131 units
  EXPECT_EQ(Bytes(record, record + 3), (Bytes{125, 0, 0}));
}
