#include "samples/gamedata.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "codec/codec.h"
#include "common/le.h"
#include "lba/lba_image.h"
#include "platform/platform.h"

namespace {

void put32(GameBytes& b, size_t at, uint32_t v) { wr32(b.data() + at, v); }
void put16(GameBytes& b, size_t at, uint32_t v) { wr16(b.data() + at, v); }
void append(GameBytes& b, const GameBytes& more) { b.insert(b.end(), more.begin(), more.end()); }
void padTo(GameBytes& b, size_t multiple, uint8_t fill) {
  while (b.size() % multiple != 0) b.push_back(fill);
}

// A small fast generator for the bytes that only need to differ.
struct Noise {
  uint32_t state;
  explicit Noise(uint32_t seed) : state(seed * 2654435761u + 0x9E3779B9u) {
    if (state == 0) state = 1;
  }
  uint32_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
};

// ---------------------------------------------------------------------------
// Dialog text.

const char* const kPunctuation = " !\"'(),-.:;?0123456789";

struct NameCode {
  const char* text;
  uint8_t code;
};
const NameCode kNames[] = {{"[Hero]", 0x01}, {"[Mira]", 0x02}};

// Lines the texts of the other battle files are made of.
const char* const kLines[] = {
    "[Hero]: Hold the line!",
    "[Mira]: The bridge is out, we go around.",
    "Reinforcements approach from the north.",
    "[Hero]: <wait 10>Did you hear that?",
    "[Mira]: Three more, on the ridge.",
    "Protect the wagon until it crosses the river.",
    "[Hero]: We rest here tonight.",
    "Defeat the captain to win.",
    "[Mira]: Careful, the floor is cracked.",
    "The gate opens slowly...",
    "[Hero]: Is everyone all right?",
    "[Mira]: I can hold two of them. Go!",
};

// ---------------------------------------------------------------------------
// Battle file: identificator, pointer slots, then sections 0-4 (2 = dialogs).

const char* const kDialogs[5] = {
    "[Hero]: We made it to the old fort.\nStay close, [Mira].",
    "[Mira]: <wait 1E>Something is moving in the dark...",
    "[Hero]: Swords ready!",
    "",
    "Ambush! Defeat all enemies.",
};

// Dialog k of a battle: the demo's, or one to three lines of kLines.
std::string dialogText(uint32_t variant, uint32_t k) {
  if (variant == 0) return kDialogs[k];
  const uint32_t lineCount = sizeof kLines / sizeof kLines[0];
  if (k != 4 && (variant + k) % 7 == 3) return "";  // the last text is never empty
  std::string text;
  for (uint32_t i = 0; i <= (variant * 5 + k) % 3; ++i) {
    if (i > 0) text += "\n";
    text += kLines[(variant * 3 + k * 5 + i) % lineCount];
  }
  return text;
}

GameBytes dialogSection(uint32_t variant) {
  GameBytes head(128);
  for (size_t i = 20; i < head.size(); ++i) head[i] = static_cast<uint8_t>(0x40 + i % 29);
  GameBytes texts;
  for (uint32_t k = 0; k < 5; ++k) {
    put16(head, 4 * k, static_cast<uint32_t>(texts.size()));
    put16(head, 4 * k + 2, k == 2 ? 2 : 0);  // head info the tools carry over (choices)
    const std::string text = dialogText(variant, k);
    if (!text.empty()) {
      append(texts, gdEncodeText(text).value);  // our own lines: every character has a code
      texts.push_back(0);
    }
  }
  GameBytes section = head;
  append(section, texts);
  padTo(section, 4, 0xFF);
  return section;
}

GameBytes battleHead(uint32_t variant) {
  GameBytes s0(20, 0);
  put32(s0, 0, 0x2044 + variant);
  put32(s0, 4, 0x00030001);
  const std::string author = "KVO demo team";
  const std::string map = variant == 0 ? "Old fort" : formatText("Field %u", variant);
  put32(s0, 8, static_cast<uint32_t>(s0.size()));
  s0.insert(s0.end(), author.begin(), author.end());
  s0.push_back(0);
  put32(s0, 12, static_cast<uint32_t>(s0.size()));
  s0.insert(s0.end(), map.begin(), map.end());
  s0.push_back(0);
  padTo(s0, 4, 0);
  return s0;
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
GameBytes gamePalette(uint32_t tone) {
  GameBytes pal(1024);
  for (uint32_t i = 0; i < 256; ++i) paletteEntry(tone, i, &pal[4 * gameOrder(i)]);
  return pal;
}

// ---------------------------------------------------------------------------
// Disc image.

const uint32_t kFirstSector = (kLbaTableOffset + kLbaTableBytes) / kLbaSectorBytes;
// An entry's word: the start sector in bits 0-21, then the flags, then the
// unused bytes of its last sector in 8-byte units (255: a sector or more).
const uint32_t kEntryCompressed = 1u << 22, kEntryEmpty = 1u << 23;
const uint32_t kPaddingShift = 24;

uint32_t sectorsFor(const GdDiscFile& f) {
  return f.empty ? 0
                 : static_cast<uint32_t>((f.data.size() + kLbaSectorBytes - 1) / kLbaSectorBytes);
}

void setSizesRecord(GameBytes& sizes, uint32_t entry, uint32_t bytes) {
  const uint32_t record = (bytes + 7) / 8;
  for (uint32_t i = 0; i < 3; ++i) sizes[3 * entry + i] = static_cast<uint8_t>(record >> (8 * i));
}

// Appends the file's bytes and the zeros that fill its last sector.
Status writeSectors(GdImageWriter& w, const GdDiscFile& f) {
  if (f.empty || f.data.empty()) return Status();  // no sectors
  const size_t room = size_t(sectorsFor(f)) * kLbaSectorBytes;
  static const uint8_t zeros[kLbaSectorBytes] = {};
  if (std::fwrite(f.data.data(), 1, f.data.size(), w.file.get()) != f.data.size() ||
      std::fwrite(zeros, 1, room - f.data.size(), w.file.get()) != room - f.data.size())
    return failure("ERROR: cannot write %s\n", w.path.c_str());
  return Status();
}

// Records one entry in the table and the sizes file.
void addEntry(GdImageWriter& w, const GdDiscFile& f) {
  const uint32_t entry = static_cast<uint32_t>(w.table.size());
  const uint32_t unused = sectorsFor(f) * kLbaSectorBytes - static_cast<uint32_t>(f.data.size());
  const uint32_t padding = f.empty ? 0 : (unused >= kLbaSectorBytes ? 255 : unused / 8);
  w.table.push_back(w.nextSector | (f.compressed ? kEntryCompressed : 0) |
                    (f.empty ? kEntryEmpty : 0) | (padding << kPaddingShift));
  uint32_t bytes = static_cast<uint32_t>(f.data.size());
  if (f.compressed) bytes = rd32(f.data.data() + 1);
  setSizesRecord(w.sizes, entry, f.empty ? 0 : bytes);
  w.nextSector += sectorsFor(f);
}

// Room for the sizes file when its entry is next; its records are written
// at the end.
Status addSizesFileIfDue(GdImageWriter& w) {
  if (w.table.size() != kLbaSizesEntry) return Status();
  const GdDiscFile sizes{w.sizes, false, false};
  w.sizesSector = w.nextSector;
  addEntry(w, sizes);
  return writeSectors(w, sizes);
}

}  // namespace

// ---------------------------------------------------------------------------
// Dialog text.

GameBytes gdCharacterTable() {
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
  return GameBytes(t.begin(), t.end());
}

Result<GameBytes> gdEncodeText(const std::string& s) {
  Result<GameBytes> result;
  GameBytes& out = result.value;
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
    } else if (c != '\0' && std::strchr(kPunctuation, c) != nullptr) {
      out.push_back(static_cast<uint8_t>(c));
      ++i;
    } else {
      result.status = failure("ERROR: no game code for '%c'\n", c);
      return result;
    }
  }
  return result;
}

// ---------------------------------------------------------------------------
// Game files.

GameBytes gdBattleFile(uint32_t variant) {
  std::vector<GameBytes> sections(5);
  // Section 0: the battle's head, with the author and map names.
  sections[0] = battleHead(variant);
  // Section 1: enemy formation, records of x, y, kind, level.
  for (uint32_t i = 0; i < 8 + variant % 17; ++i) {
    uint8_t rec[4] = {static_cast<uint8_t>(3 + i * 5), static_cast<uint8_t>(10 + (i % 3) * 4),
                      static_cast<uint8_t>(0x11 + i % 2), static_cast<uint8_t>(5 + i)};
    sections[1].insert(sections[1].end(), rec, rec + 4);
  }
  sections[2] = dialogSection(variant);
  // Sections 3 and 4: event script and rewards, opaque to the tools.
  const uint32_t script = variant == 0 ? 48 : 256 + variant * 389 % 3840;
  Noise noise(variant);
  for (uint32_t i = 0; i < script; ++i) {
    const uint32_t op = i * 37 + 11 + (variant == 0 ? 0 : noise.next() % 8 == 0 ? noise.next() : 0);
    sections[3].push_back(static_cast<uint8_t>(op & 0xFF));
  }
  const uint32_t rewards = variant == 0 ? 96 : 320;
  for (uint32_t i = 0; i < rewards; ++i)
    sections[4].push_back(static_cast<uint8_t>(i < 48 ? i : 0xC0 | (i & 7)));

  const uint32_t slots = 11;  // sections 0-4, the end pointer, unused slots
  GameBytes file(4 + 4 * slots, 0);
  put32(file, 0, 8);
  for (size_t i = 0; i < sections.size(); ++i) {
    put32(file, 4 + 4 * i, static_cast<uint32_t>(file.size()));
    append(file, sections[i]);
  }
  put32(file, 4 + 4 * sections.size(), static_cast<uint32_t>(file.size()));
  return file;
}

// Width, height, 8 zero bytes, palette, pixels: a disc on a striped ground.
// The pixels use indexes 16 and up only, so the demo's edit (index 1) shows
// exactly.
GameBytes gdGwhPicture(uint32_t w, uint32_t h, uint32_t variant) {
  GameBytes file(16, 0);
  put32(file, 0, w);
  put32(file, 4, h);
  append(file, gamePalette(1 + variant % 15));
  file.reserve(file.size() + size_t(w) * h);
  const int radius = static_cast<int>(std::min(w, 2 * h) * 3 / 8);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      int dx = static_cast<int>(x) - static_cast<int>(w / 2);
      int dy = static_cast<int>(y) - static_cast<int>(h / 2);
      bool disc = dx * dx + dy * dy * 4 < radius * radius;
      file.push_back(
          static_cast<uint8_t>(disc ? 128 + (x + y) % 64 : 16 + (y * 2 + x % 4 + variant) % 112));
    }
  return file;
}

// Header, YNDT, YNPR and one YNSC section with one drawing entry of one
// bitmap and one palette.
GameBytes gdMapFile(uint32_t bw, uint32_t bh, uint32_t variant) {
  const uint32_t chain = 0x40, list = 1;
  GameBytes b(chain, 0);
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
      b[bitmaps + 48 + y * bw + x] =
          static_cast<uint8_t>(((x / 4 + y / 4) % 2) ? 200 : 40 + x + variant);
  size_t palettes = bitmaps + 32 + bitmapSlot;
  put32(b, palettes + 32, 16);
  put32(b, palettes + 36, 16);
  put32(b, palettes + 40, 1);
  put32(b, palettes + 44, paletteSlot);
  GameBytes pal = gamePalette((2 + variant) % 16);
  std::memcpy(&b[palettes + 64], pal.data(), pal.size());
  padTo(b, 16, 0);
  put32(b, ynsc + 4, static_cast<uint32_t>((b.size() - data) / 16));
  return b;
}

// 32768 bytes whose first byte is not zero (a file of that size starting
// with zero is a 512 x 128 4-bit picture).
GameBytes gdHeaderlessBitmap(uint32_t variant) {
  GameBytes b(256 * 128);
  for (uint32_t y = 0; y < 128; ++y)
    for (uint32_t x = 0; x < 256; ++x)
      b[y * 256 + x] = static_cast<uint8_t>(
          y < 64 ? 1 + y * 2 : 128 + ((x / 16 + y / 16 + variant) % 2) * 64 + x % 32);
  return b;
}

// 64 x 64 entries, each 16 x 16 tile one palette.
GameBytes gdMultiPalette(uint32_t variant) {
  GameBytes b(64 * 64 * 4);
  for (uint32_t n = 0; n < 16; ++n) {
    GameBytes pal = gamePalette((n + variant) % 16);
    for (uint32_t j = 0; j < 256; ++j) {
      uint32_t row = (n / 4) * 16 + j / 16, col = (n % 4) * 16 + j % 16;
      std::memcpy(&b[(row * 64 + col) * 4], &pal[4 * j], 4);
    }
  }
  return b;
}

GameBytes gdFiller(uint32_t size, uint32_t variant, bool compressible) {
  GameBytes b(size);
  Noise noise(variant);
  if (!compressible) {
    size_t i = 0;
    for (; i + 4 <= size; i += 4) wr32(&b[i], noise.next());
    for (; i < size; ++i) b[i] = static_cast<uint8_t>(noise.next());
    return b;
  }
  // A vocabulary of 24 words of 6 to 37 bytes, all within reach of a
  // back-reference.
  GameBytes vocabulary(24 * 40);
  for (uint8_t& v : vocabulary) v = static_cast<uint8_t>(noise.next());
  for (size_t i = 0; i < size;) {
    const uint32_t pick = noise.next();
    uint32_t len = 6 + (pick >> 8) % 32;
    if (pick % 8 < 4) {
      const uint8_t* word = &vocabulary[(pick >> 16) % 24 * 40];
      len = static_cast<uint32_t>(std::min<size_t>(len, size - i));
      std::copy(word, word + len, &b[i]);
    } else if (pick % 8 == 4) {
      len = static_cast<uint32_t>(std::min<size_t>(len, size - i));
      std::fill(&b[i], &b[i] + len, static_cast<uint8_t>(pick >> 24));
    } else {
      len = static_cast<uint32_t>(std::min<size_t>(len, size - i));
      for (uint32_t k = 0; k < len; ++k) b[i + k] = static_cast<uint8_t>(noise.next());
    }
    i += len;
  }
  return b;
}

Result<GameBytes> gdCompress(const GameBytes& data, int type, uint32_t multiple) {
  Result<GameBytes> result;
  GameBytes in(kCxHistory + data.size(), 0);
  std::copy(data.begin(), data.end(), in.begin() + kCxHistory);
  const Result<CxBlock> out = cxCompressBuffer(
      in.data() + kCxHistory, static_cast<uint32_t>(data.size()), type, multiple, 0, Messages());
  result.status = out.status;
  if (out.ok()) result.value.assign(out.value.data(), out.value.data() + out.value.size);
  return result;
}

// ---------------------------------------------------------------------------
// Disc image.

Status gdImageOpen(GdImageWriter& w, const std::string& path, uint32_t fileCount) {
  if (fileCount < kLbaSizesEntry || fileCount + 2 > kLbaMaxEntries)
    return failure("ERROR: an image holds 15 to %u files : %u\n", kLbaMaxEntries - 2, fileCount);
  w.file.reset(platFopen(path.c_str(), "wb"));
  w.path = path;
  if (!w.file) return failure("ERROR: cannot write %s\n", path.c_str());
  w.entryCount = fileCount + 1;
  w.table.clear();
  w.sizes.assign((w.entryCount + 1) * 3, 0);
  w.nextSector = kFirstSector;
  const GameBytes head(size_t(kFirstSector) * kLbaSectorBytes, 0);  // the table comes at the end
  return writeSectors(w, GdDiscFile{head, false, false});
}

Status gdImageAdd(GdImageWriter& w, const GdDiscFile& file) {
  Status status = addSizesFileIfDue(w);
  if (!status.ok()) return status;
  if (w.table.size() >= w.entryCount)
    return failure("ERROR: more files than announced : %s\n", w.path.c_str());
  addEntry(w, file);
  return writeSectors(w, file);
}

Status gdImageClose(GdImageWriter& w) {
  Status status = addSizesFileIfDue(w);
  if (!status.ok()) return status;
  if (w.table.size() != w.entryCount)
    return failure("ERROR: fewer files than announced : %s\n", w.path.c_str());
  w.table.push_back(w.nextSector | kEntryEmpty);  // the terminator
  GameBytes words(w.table.size() * 4);
  for (size_t e = 0; e < w.table.size(); ++e) wr32(&words[4 * e], w.table[e]);
  FILE* fp = w.file.get();
  const bool ok = platFseek64(fp, kLbaTableOffset, SEEK_SET) == 0 &&
                  std::fwrite(words.data(), 1, words.size(), fp) == words.size() &&
                  platFseek64(fp, int64_t(w.sizesSector) * kLbaSectorBytes, SEEK_SET) == 0 &&
                  std::fwrite(w.sizes.data(), 1, w.sizes.size(), fp) == w.sizes.size() &&
                  std::fclose(w.file.release()) == 0;
  if (!ok) return failure("ERROR: cannot write %s\n", w.path.c_str());
  return Status();
}

Status gdWriteImage(const std::string& path, const std::vector<GdDiscFile>& files) {
  GdImageWriter writer;
  Status status = gdImageOpen(writer, path, static_cast<uint32_t>(files.size()));
  for (size_t i = 0; i < files.size() && status.ok(); ++i) status = gdImageAdd(writer, files[i]);
  return status.ok() ? gdImageClose(writer) : status;
}
