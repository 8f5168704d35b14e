// Writes the demo's small game data set into a folder:
//   game.iso  a disc image whose file table holds
//             0000  a compressed battle file (dialog texts in section 2)
//             0001  a .gwh picture (64 x 32, 8-bit, one palette)
//             0002  a map graphics file (one YNSC section, one 32 x 16 bitmap)
//             0003  a headerless 256 x 128 8-bit bitmap
//             0004  the multi-palette file that goes with it (16 palettes)
//             0005  the sizes file (table entry 15)
//   kvo.tbs   the character table for the battle file's dialog texts
// Every byte is computed, so the data set is the same on every run.
// Usage: sampledata FOLDER
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "common/le.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put32(Bytes& b, size_t at, uint32_t v) { wr32(b.data() + at, v); }
void put16(Bytes& b, size_t at, uint32_t v) { wr16(b.data() + at, v); }
void append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
void padTo(Bytes& b, size_t multiple, uint8_t fill) {
  while (b.size() % multiple != 0) b.push_back(fill);
}

void save(const std::string& path, const Bytes& data) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || std::fwrite(data.data(), 1, data.size(), f) != data.size() ||
      std::fclose(f) != 0) {
    std::fprintf(stderr, "ERROR: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

// ---------------------------------------------------------------------------
// Dialog text: the game's byte code and the character table that describes it.
//
// Letters A-Z are 0x80-0x99, a-z are 0xA0-0xB9; the space, digits and
// punctuation keep their usual values. 0x0A breaks the line, 0xF0 nn is a
// character's name and 0x0B nn waits nn frames.

const char* const kPunctuation = " !\"'(),-.:;?0123456789";

struct NameCode {
  const char* text;
  uint8_t code;
};
const NameCode kNames[] = {{"[Hero]", 0x01}, {"[Mira]", 0x02}};

Bytes characterTable() {
  std::string t;
  auto line = [&t](const std::string& s) { t += s + "\r\n"; };
  char buf[32];
  line("Demo character table: game bytes on the left of the equals sign, text on the right.");
  for (const char* p = kPunctuation; *p; ++p) {
    std::snprintf(buf, sizeof buf, "\\x%02X=%c", static_cast<unsigned char>(*p), *p);
    line(buf);
  }
  for (int i = 0; i < 26; ++i) {
    std::snprintf(buf, sizeof buf, "\\x%02X=%c", 0x80 + i, 'A' + i);
    line(buf);
    std::snprintf(buf, sizeof buf, "\\x%02X=%c", 0xA0 + i, 'a' + i);
    line(buf);
  }
  for (const NameCode& n : kNames) {
    std::snprintf(buf, sizeof buf, "\\xF0\\x%02X=%s", n.code, n.text);
    line(buf);
  }
  line("Wait for a number of frames, carried across as two hexadecimal digits:");
  line("\\x0B\\c01=<wait \\h01>");
  line("Line break inside a text box (the backslash keeps the line break as the text):");
  line("\\x0A=\\");  // the escaped line end is the right side; the next one ends the line
  line("");
  return Bytes(t.begin(), t.end());
}

// Encodes a text written with the table's notation into game bytes.
Bytes encodeText(const std::string& s) {
  Bytes out;
  for (size_t i = 0; i < s.size();) {
    bool named = false;
    for (const NameCode& n : kNames) {
      size_t len = std::strlen(n.text);
      if (s.compare(i, len, n.text) == 0) {
        out.push_back(0xF0);
        out.push_back(n.code);
        i += len;
        named = true;
      }
    }
    if (named) continue;
    char c = s[i];
    if (s.compare(i, 6, "<wait ") == 0) {
      out.push_back(0x0B);
      out.push_back(static_cast<uint8_t>(std::strtoul(s.substr(i + 6, 2).c_str(), nullptr, 16)));
      i += 9;
    } else if (c == '\n') {
      out.push_back(0x0A);
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      out.push_back(static_cast<uint8_t>(0x80 + (c - 'A')));
      ++i;
    } else if (c >= 'a' && c <= 'z') {
      out.push_back(static_cast<uint8_t>(0xA0 + (c - 'a')));
      ++i;
    } else if (std::strchr(kPunctuation, c) != nullptr) {
      out.push_back(static_cast<uint8_t>(c));
      ++i;
    } else {
      std::fprintf(stderr, "ERROR: no game code for '%c'\n", c);
      std::exit(1);
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// Battle file: identificator, pointer slots, then sections 0-4 (2 = dialogs).

const char* const kDialogs[5] = {
    "[Hero]: We made it to the old fort.\nStay close, [Mira].",
    "[Mira]: <wait 1E>Something is moving in the dark...",
    "[Hero]: Swords ready!",
    "",
    "Ambush! Defeat all enemies.",
};

Bytes dialogSection() {
  Bytes head(128);
  for (size_t i = 20; i < head.size(); ++i) head[i] = static_cast<uint8_t>(0x40 + i % 29);
  Bytes texts;
  for (int k = 0; k < 5; ++k) {
    put16(head, 4 * k, static_cast<uint32_t>(texts.size()));
    put16(head, 4 * k + 2, k == 2 ? 2 : 0);  // head info the tools carry over (choices)
    if (kDialogs[k][0] != '\0') {
      append(texts, encodeText(kDialogs[k]));
      texts.push_back(0);
    }
  }
  Bytes section = head;
  append(section, texts);
  padTo(section, 4, 0xFF);
  return section;
}

Bytes battleFile() {
  std::vector<Bytes> sections(5);
  // Section 0: the battle's head, with the author and map names.
  Bytes& s0 = sections[0];
  s0.assign(20, 0);
  put32(s0, 0, 0x2044);
  put32(s0, 4, 0x00030001);
  const std::string author = "KVO demo team", map = "Old fort";
  put32(s0, 8, static_cast<uint32_t>(s0.size()));
  s0.insert(s0.end(), author.begin(), author.end());
  s0.push_back(0);
  put32(s0, 12, static_cast<uint32_t>(s0.size()));
  s0.insert(s0.end(), map.begin(), map.end());
  s0.push_back(0);
  padTo(s0, 4, 0);
  // Section 1: enemy formation, eight records of x, y, kind, level.
  for (int i = 0; i < 8; ++i) {
    uint8_t rec[4] = {static_cast<uint8_t>(3 + i * 5), static_cast<uint8_t>(10 + (i % 3) * 4),
                      static_cast<uint8_t>(0x11 + i % 2), static_cast<uint8_t>(5 + i)};
    sections[1].insert(sections[1].end(), rec, rec + 4);
  }
  sections[2] = dialogSection();
  // Sections 3 and 4: event script and rewards, opaque to the tools.
  for (int i = 0; i < 48; ++i) sections[3].push_back(static_cast<uint8_t>((i * 37 + 11) & 0xFF));
  for (int i = 0; i < 96; ++i) sections[4].push_back(static_cast<uint8_t>(i < 48 ? i : 0xC0 | (i & 7)));

  const uint32_t slots = 11;  // sections 0-4, the end pointer, unused slots
  Bytes file(4 + 4 * slots, 0);
  put32(file, 0, 8);
  for (size_t i = 0; i < sections.size(); ++i) {
    put32(file, 4 + 4 * i, static_cast<uint32_t>(file.size()));
    append(file, sections[i]);
  }
  put32(file, 4 + 4 * sections.size(), static_cast<uint32_t>(file.size()));
  return file;
}

Bytes compressType1(const Bytes& data) {
  Bytes in(kCxHistory + data.size(), 0);
  std::copy(data.begin(), data.end(), in.begin() + kCxHistory);
  const Result<CxBlock> out = cxCompressBuffer(in.data() + kCxHistory,
                                               static_cast<uint32_t>(data.size()), 1, 8, 0, Messages());
  if (!out.ok()) {
    std::fputs(out.status.message.c_str(), stderr);
    std::exit(1);
  }
  return Bytes(out.value.data(), out.value.data() + out.value.size);
}

// ---------------------------------------------------------------------------
// Pictures. Game palettes are red, green, blue, alpha (0x80 opaque); within
// every block of 32 entries the game stores entries 8-15 and 16-23 exchanged.

uint32_t gameOrder(uint32_t i) {
  uint32_t inBlock = i % 32;
  if (inBlock >= 8 && inBlock < 16) return i + 8;
  if (inBlock >= 16 && inBlock < 24) return i - 8;
  return i;
}

// Entry i of palette `tone`: entry 0 is the transparent background, the
// others distinct opaque colours (the red value is the entry's own number).
void paletteEntry(uint32_t tone, uint32_t i, uint8_t* rgba) {
  if (i == 0) {
    rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0;
    return;
  }
  rgba[0] = static_cast<uint8_t>(i);
  rgba[1] = static_cast<uint8_t>((i * 3 + tone * 40) & 0xFF);
  rgba[2] = static_cast<uint8_t>(255 - i / 2 - tone * 8);
  rgba[3] = 0x80;
}

// 256 entries in game order.
Bytes gamePalette(uint32_t tone) {
  Bytes pal(1024);
  for (uint32_t i = 0; i < 256; ++i) paletteEntry(tone, i, &pal[4 * gameOrder(i)]);
  return pal;
}

// A .gwh picture: width, height, 8 zero bytes, palette, pixels. The pixels
// use indexes 16 and up only, so the demo's edit (index 1) shows exactly.
Bytes gwhPicture() {
  const uint32_t w = 64, h = 32;
  Bytes file(16, 0);
  put32(file, 0, w);
  put32(file, 4, h);
  append(file, gamePalette(1));
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      int dx = static_cast<int>(x) - 32, dy = static_cast<int>(y) - 16;
      bool disc = dx * dx + dy * dy * 4 < 24 * 24;
      file.push_back(static_cast<uint8_t>(disc ? 128 + (x + y) % 64 : 16 + y * 2 + x % 4));
    }
  return file;
}

// A MAP1 file: header, YNDT, YNPR and one YNSC section with one drawing
// entry of one 32 x 16 bitmap and one palette.
Bytes mapFile() {
  const uint32_t chain = 0x40, bw = 32, bh = 16, list = 1;
  Bytes b(chain, 0);
  std::memcpy(b.data(), "MAP1", 4);
  put32(b, 16, chain);
  for (size_t i = 20; i < chain; ++i) b[i] = static_cast<uint8_t>(i);
  auto section = [&b](const char* tag, uint32_t units) {
    size_t at = b.size();
    b.resize(at + 16, 0);
    std::memcpy(&b[at], tag, 4);
    put32(b, at + 4, units);
    return at;
  };
  section("YNDT", 0);
  size_t ynpr = section("YNPR", 1);
  b.resize(ynpr + 32, 0);
  put32(b, ynpr + 16, 1);  // one YNSC section
  size_t ynsc = section("YNSC", 0);
  size_t data = b.size();
  b.resize(data + 16, 0);
  put32(b, data, 1);  // one entry

  const uint32_t bitmapSlot = 16 + bw * bh, paletteSlot = 16 + 1024;
  const uint32_t listBytes = (4 * list + 15) / 16 * 16;
  size_t entry = b.size();
  b.resize(entry + 240 + listBytes + bitmapSlot + paletteSlot, 0);
  put32(b, entry + 4, 320);  // draw width and height, position
  put32(b, entry + 8, 240);
  put32(b, entry + 12, static_cast<uint32_t>(-16));
  put32(b, entry + 16, 48);
  put32(b, entry + 144, list);
  put32(b, entry + 160, 0x1234);
  size_t bitmaps = entry + 160 + listBytes;
  put32(b, bitmaps + 16, bw);
  put32(b, bitmaps + 20, bh);
  put32(b, bitmaps + 24, 1);
  put32(b, bitmaps + 28, bitmapSlot);
  for (uint32_t y = 0; y < bh; ++y)
    for (uint32_t x = 0; x < bw; ++x)
      b[bitmaps + 48 + y * bw + x] = static_cast<uint8_t>(((x / 4 + y / 4) % 2) ? 200 : 40 + x);
  size_t palettes = bitmaps + 32 + bitmapSlot;
  put32(b, palettes + 32, 16);
  put32(b, palettes + 36, 16);
  put32(b, palettes + 40, 1);
  put32(b, palettes + 44, paletteSlot);
  Bytes pal = gamePalette(2);
  std::memcpy(&b[palettes + 64], pal.data(), pal.size());
  padTo(b, 16, 0);
  put32(b, ynsc + 4, static_cast<uint32_t>((b.size() - data) / 16));
  return b;
}

// A headerless 256 x 128 8-bit bitmap: 32768 bytes whose first byte is not
// zero (a file of that size starting with zero is a 512 x 128 4-bit picture).
Bytes headerlessBitmap() {
  Bytes b(256 * 128);
  for (uint32_t y = 0; y < 128; ++y)
    for (uint32_t x = 0; x < 256; ++x)
      b[y * 256 + x] = static_cast<uint8_t>(y < 64 ? 1 + y * 2 : 128 + ((x / 16 + y / 16) % 2) * 64 + x % 32);
  return b;
}

// A multi-palette file: 64 x 64 entries, each 16 x 16 tile one palette.
Bytes multiPalette() {
  Bytes b(64 * 64 * 4);
  for (uint32_t n = 0; n < 16; ++n) {
    Bytes pal = gamePalette(n);
    for (uint32_t j = 0; j < 256; ++j) {
      uint32_t row = (n / 4) * 16 + j / 16, col = (n % 4) * 16 + j % 16;
      std::memcpy(&b[(row * 64 + col) * 4], &pal[4 * j], 4);
    }
  }
  return b;
}

// ---------------------------------------------------------------------------
// Disc image: the file table at byte 0x8c000 (64 sectors), files from sector
// 344 on, each in whole sectors. Entries 5-14 are 'empty', entry 15 is the
// sizes file (one 3-byte record per entry: size in 8-byte units, rounded
// up; the decompressed size for compressed files) and entry 16 the 'empty'
// terminator.

const uint32_t kSector = 2048, kTableAt = 0x8c000, kFirstSector = 344;
const uint32_t kSizesEntry = 15, kEntries = 17;

struct DiscFile {
  Bytes data;
  bool compressed = false;
  bool empty = false;
};

uint32_t sectorsFor(const DiscFile& f) {
  return f.empty ? 0 : static_cast<uint32_t>((f.data.size() + kSector - 1) / kSector);
}

Bytes discImage(std::vector<DiscFile> files) {
  files[kSizesEntry].data.assign(kEntries * 3, 0);
  std::vector<uint32_t> start(kEntries);
  uint32_t sector = kFirstSector;
  for (uint32_t e = 0; e + 1 < kEntries; ++e) {
    start[e] = sector;
    sector += sectorsFor(files[e]);
  }
  start[kEntries - 1] = sector;
  Bytes image(size_t(sector) * kSector, 0);
  Bytes& sizes = files[kSizesEntry].data;
  for (uint32_t e = 0; e + 1 < kEntries; ++e) {
    const DiscFile& f = files[e];
    uint32_t bytes = static_cast<uint32_t>(f.data.size());
    if (f.compressed) bytes = rd32(f.data.data() + 1);
    uint32_t record = f.empty ? 0 : (bytes + 7) / 8;
    sizes[3 * e] = static_cast<uint8_t>(record);
    sizes[3 * e + 1] = static_cast<uint8_t>(record >> 8);
    sizes[3 * e + 2] = static_cast<uint8_t>(record >> 16);
  }
  for (uint32_t e = 0; e + 1 < kEntries; ++e) {
    const DiscFile& f = files[e];
    uint32_t unused = sectorsFor(f) * kSector - static_cast<uint32_t>(f.data.size());
    uint32_t padding = f.empty ? 0 : (unused >= kSector ? 255 : unused / 8);
    put32(image, kTableAt + 4 * e,
          start[e] | (f.compressed ? 1u << 22 : 0) | (f.empty ? 1u << 23 : 0) | (padding << 24));
    std::copy(f.data.begin(), f.data.end(), image.begin() + size_t(start[e]) * kSector);
  }
  put32(image, kTableAt + 4 * (kEntries - 1), start[kEntries - 1] | (1u << 23));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: sampledata FOLDER\n");
    return 1;
  }
  const std::string dir = std::string(argv[1]) + "/";
  std::vector<DiscFile> files(kEntries - 1);
  for (DiscFile& f : files) f.empty = true;
  Bytes battle = battleFile();
  files[0] = {compressType1(battle), true, false};
  files[1] = {gwhPicture(), false, false};
  files[2] = {mapFile(), false, false};
  files[3] = {headerlessBitmap(), false, false};
  files[4] = {multiPalette(), false, false};
  files[kSizesEntry].empty = false;
  Bytes image = discImage(files);
  Bytes table = characterTable();
  save(dir + "game.iso", image);
  save(dir + "kvo.tbs", table);
  std::printf("game.iso  %zu bytes, a disc image with these files:\n", image.size());
  std::printf("  0000  battle file, %zu bytes, compressed to %zu (dialogs in section 2)\n",
              battle.size(), files[0].data.size());
  std::printf("  0001  .gwh picture 64 x 32, %zu bytes\n", files[1].data.size());
  std::printf("  0002  map graphics file, one 32 x 16 bitmap, %zu bytes\n", files[2].data.size());
  std::printf("  0003  headerless bitmap 256 x 128 8-bit, %zu bytes\n", files[3].data.size());
  std::printf("  0004  multi-palette file (16 palettes), %zu bytes\n", files[4].data.size());
  std::printf("  0005  sizes file (table entry 15)\n");
  std::printf("kvo.tbs   %zu bytes, the character table of the dialog texts\n", table.size());
  return 0;
}
