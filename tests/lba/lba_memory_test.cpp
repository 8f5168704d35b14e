// The library as a long-running caller uses it: damaged images come back as
// errors, and files are read and imported in memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "lba/lba_image.h"
#include "lba/lba_import.h"
#include "lba/lba_names.h"
#include "tests/lba/disc_builder.h"

namespace {
struct Loaded {
  TempDir dir;
  std::string said;
  Messages messages{[this](const std::string& text) { said += text; }};
  Result<LbaImage> load(const Bytes& image, LbaSettings settings = LbaSettings()) {
    writeBytes(dir.file("disc.iso"), image);
    return lbaLoad(dir.file("disc.iso").c_str(), settings, messages);
  }
};
}  // namespace

TEST(LbaLibrary, DamagedImagesComeBackAsErrors) {
  Loaded l;
  Bytes image = listingDisc().build();
  setEntryWord(image, 5, 400);
  Result<LbaImage> r = l.load(image);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.status.message, "ERROR: lba entry 5 : sector start bigger than next : 400 vs 349");

  image = listingDisc().build();
  setEntryWord(image, 15, entryWord(image, 15) | (251u << 24));  // 40 bytes for 48 needed
  r = l.load(image);
  EXPECT_EQ(r.status.message,
            "ERROR: 15th file with filessizes must have at last 48 bytes : have 40\n");
  EXPECT_EQ(l.said, "");
  LbaSettings keep;
  keep.updateSizes = false;
  r = l.load(image, keep);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(l.said, "WARN: 15th file with filessizes must have at last 48 bytes : have 40\n");
  EXPECT_TRUE(r.value.sizes.empty());
}

TEST(LbaLibrary, ReadsFilesAndTheirNames) {
  Loaded l;
  DiscBuilder b = listingDisc();
  Bytes image = b.build();
  image.resize(size_t(b.starts[3]) * 2048 + 4);  // ends inside file 2 (entry 3)
  Result<LbaImage> r = l.load(image, LbaSettings{16, 0, false, 0, 0});
  ASSERT_TRUE(r.ok());
  FILE* fp = std::fopen(l.dir.file("disc.iso").c_str(), "rb");
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(lbaReadFile(r.value, fp, 1, &bytes, l.messages).ok());
  EXPECT_EQ(lbaBaseName(1, true, bytes.data(), uint32_t(bytes.size())), "0001.vvm");
  EXPECT_EQ(lbaCompressionType(bytes.data(), uint32_t(bytes.size())), 1);
  EXPECT_EQ(lbaCompressionType(nullptr, 0), -1);
  l.said.clear();
  EXPECT_TRUE(lbaReadFile(r.value, fp, 2, &bytes, l.messages).ok());
  EXPECT_EQ(bytes, bytesOf("ABCD"));
  EXPECT_EQ(l.said, "WARN: image ends inside the file, copied 4 of 16 bytes : index 2 : " +
                        l.dir.file("disc.iso") + "\n");
  Status out = lbaReadFile(r.value, fp, 99, &bytes, l.messages);
  EXPECT_EQ(out.message, "WARN: index out of range : 99 : " + l.dir.file("disc.iso") + "\n");
  std::fclose(fp);
}

TEST(LbaLibrary, ImportsBytesFromMemory) {
  Loaded l;
  DiscBuilder b = listingDisc();
  Result<LbaImage> r = l.load(b.build());
  ASSERT_TRUE(r.ok());
  LbaImage& image = r.value;
  FILE* fp = std::fopen(l.dir.file("disc.iso").c_str(), "rb+");
  const Bytes text = bytesOf("0123456789abcdefXY");
  EXPECT_TRUE(
      lbaImportBytes(image, fp, 2, text.data(), uint32_t(text.size()), "t", l.messages).ok());
  const Bytes plain = bytesOf("plain");
  EXPECT_EQ(lbaImportBytes(image, fp, 1, plain.data(), 5, "p", l.messages).message,
            "WARN: not importing : unknown compression type (112) for compressed file : p\n");
  EXPECT_EQ(lbaImportBytes(image, fp, 2, plain.data(), 0, "z", l.messages).message,
            "WARN: not importing : file have 'no' size (0 bytes) : z\n");
  EXPECT_TRUE(lbaWriteHeader(image, fp).ok());
  std::fclose(fp);

  Bytes written = readBytes(l.dir.file("disc.iso"));
  Bytes room = text;
  room.resize(24, 0);
  EXPECT_EQ(Bytes(written.begin() + b.starts[3] * 2048, written.begin() + b.starts[3] * 2048 + 24),
            room);
  EXPECT_EQ(entryWord(written, 3) >> 24, 253u);  // 2048 - 24 bytes unused
  EXPECT_EQ(sizesRecord(written, b.sizesOffset, 3), 3u);
  EXPECT_EQ(l.said, "");
}
