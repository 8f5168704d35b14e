#include <gtest/gtest.h>

#include <string>

#include "bmp/bmp.h"
#include "tests/bmp/bmpbuild.h"

namespace {
struct Checked {
  int result;
  std::string messages;
};

// Runs the buffer and header checks on `file`: what they report, in order.
Checked check(Bytes file) {
  Checked out{0, ""};
  Messages collect{[&](const std::string& line) { out.messages += line; }};
  Status status =
      bmpCheckBuffer(file.data(), static_cast<uint32_t>(file.size()), "pic.bmp", collect);
  out.result = status.failed ? 1 : 0;
  out.messages += status.message;
  return out;
}

// A 4 x 2 8-bit picture with a full palette: 54 + 1024 + 8 = 1086 bytes.
Bytes goodBmp() {
  BmpLayout s;
  s.width = 4;
  s.height = 2;
  s.palette = rampPalette(256);
  s.rows = {{1, 2, 3, 4}, {5, 6, 7, 8}};
  return buildBmp(s);
}
}  // namespace

TEST(BmpCheck, RefusesBrokenHeadersWithTheirMessages) {
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    const char* message;
  };
  const Case cases[] = {
      {"bfSize", 2, 53, "ERROR: BMP size lower than header size : 53 < 54 : pic.bmp\n "},
      {"bfOffBits", 10, 1087,
       "ERROR: BMP size lower than bitmap offset : 1086 < 1087 : pic.bmp\n "},
      {"bfOffBits", 10, 50,
       "ERROR: BMP bitmap offset lower then header size : 50 < 54 : pic.bmp\n "},
      {"biSize", 14, 1073, "ERROR: BMP size lower than header size : 1086 < 1087 : pic.bmp\n "},
      {"biSize", 14, 12,
       "ERROR: BMP infoheader size lower than expected minimum : 12 < 40 : pic.bmp\n "},
      {"biHeight", 22, 3,
       "ERROR: BMP size lower than bitmap offset plus bitmap size : 1086 < 1090 : pic.bmp\n "},
      {"biCompression", 30, 3,
       "ERROR: program limitation : BMP must be uncompressed = BI_RGB = 0, is 3 : pic.bmp\n "},
  };
  for (const Case& c : cases) {
    Bytes file = goodBmp();
    put32(file, c.at, c.value);
    Checked got = check(file);
    EXPECT_EQ(got.result, 1) << c.what;
    EXPECT_EQ(got.messages, c.message) << c.what;
  }
  // A compression the library cannot read is named before any size check;
  // RLE8 is only for 8-bit pictures.
  Bytes file = goodBmp();
  put32(file, 30, 2);
  put32(file, 22, 3);
  file.pop_back();
  EXPECT_EQ(check(file).messages,
            "ERROR: program limitation : BMP must be uncompressed = BI_RGB = 0, is 2 : pic.bmp\n ");
  // A palette (after a larger info header) that runs past the file's end.
  file = goodBmp();
  put32(file, 14, 1040);
  EXPECT_EQ(check(file).messages,
            "ERROR: BMP size lower than expected minimum size : 1086 < 2078 : pic.bmp\n ");
}

TEST(BmpCheck, BufferSizeAgainstDeclaredSize) {
  Bytes file = goodBmp();
  Checked shortFile = check(Bytes(file.begin(), file.end() - 1));
  EXPECT_EQ(shortFile.result, 1);
  EXPECT_EQ(shortFile.messages,
            "ERROR: BMP size (bfSize) bigger than actual BMP file size : 1086 > 1085 : pic.bmp\n ");
  Checked tiny = check(Bytes(file.begin(), file.begin() + 53));
  EXPECT_EQ(tiny.messages,
            "ERROR: BMP data size lower than expected header size : 53 < 54 : pic.bmp\n ");
  file.push_back(0xAA);  // longer than bfSize is fine
  EXPECT_EQ(check(file).result, 0);
}

TEST(BmpCheck, WarningsDoNotRefuse) {
  Bytes file = goodBmp();
  file[0] = 'X';
  put32(file, 34, 100);  // biSizeImage past the end
  Checked got = check(file);
  EXPECT_EQ(got.result, 0);
  EXPECT_EQ(got.messages,
            "WARN: expected '0x4D42' at start, got '0x4D58' : pic.bmp\n "
            "ERROR: BMP size lower than bitmap offset plus bitmap size (biSizeImage) : 1086 < "
            "1178 : pic.bmp\n ");
}

// Sizes that wrap around in 32 bits must not slip through.
TEST(BmpCheck, HugeFieldsAreRefusedNotWrapped) {
  Bytes file = goodBmp();
  put32(file, 18, 0x40000000);  // stride 0x40000000 x 4 rows wraps to 0
  put32(file, 22, 4);
  EXPECT_EQ(check(file).result, 1);
  file = goodBmp();
  put32(file, 18, 0x80000000);  // the most negative width
  EXPECT_EQ(check(file).result, 1);
  file = goodBmp();
  put32(file, 14, 0xFFFFFFF8);  // biSize + 14 wraps to 6 in 32 bits
  EXPECT_EQ(check(file).messages,
            "ERROR: BMP size lower than header size : 1086 < 4294967302 : pic.bmp\n ");
  file = goodBmp();
  put16(file, 28, 0xFFFF);
  put32(file, 18, 0x7FFFFFFF);
  EXPECT_EQ(check(file).result, 1);
}

// An editor's 16-colour 8-bit file is shorter than a full palette would be;
// a declared palette larger than 256 entries is read as 256.
TEST(BmpCheck, PaletteSizeFollowsBiClrUsed) {
  BmpLayout s;
  s.width = 2;
  s.height = 1;
  s.clrUsed = 16;
  s.palette = rampPalette(16);
  s.rows = {{1, 15}};
  EXPECT_EQ(check(buildBmp(s)).result, 0);
  s.clrUsed = 18;  // two entries more than the file holds
  EXPECT_EQ(check(buildBmp(s)).messages,
            "ERROR: BMP size lower than expected minimum size : 122 < 126 : pic.bmp\n ");
}
