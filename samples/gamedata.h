// Builders of the game's kinds of files and a disc image writer, for the
// demo's data set and the benchmarks. Every byte is computed from the
// arguments, so a call gives the same file on every run; `variant` makes
// files of one kind differ, and variant 0 is always the demo's file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/outcome.h"

using GameBytes = std::vector<uint8_t>;

// ---------------------------------------------------------------------------
// Dialog text. Letters A-Z are 0x80-0x99, a-z are 0xA0-0xB9; the space,
// digits and punctuation keep their usual values. 0x0A breaks the line,
// 0xF0 nn is a character's name ("[Hero]", "[Mira]") and "<wait NN>" (0x0B nn)
// waits NN (hexadecimal) frames.

// The character table (.tbs) that describes this byte code.
GameBytes gdCharacterTable();
// Game bytes of a text written with the table's notation; a character the
// game has no code for fails with "ERROR: no game code for 'c'\n".
Result<GameBytes> gdEncodeText(const std::string& text);

// ---------------------------------------------------------------------------
// Game files, uncompressed.

// A battle file: identificator, 11 pointer slots, sections 0-4 (2 holds the
// five dialog texts). Variant 0 is 532 bytes; others carry longer texts and
// an event script of up to a few KiB.
GameBytes gdBattleFile(uint32_t variant);
// A .gwh picture of width x height 8-bit pixels (the demo's is 64 x 32).
GameBytes gdGwhPicture(uint32_t width, uint32_t height, uint32_t variant);
// A MAP1 file with one YNSC section drawing one width x height bitmap with
// one palette (the demo's bitmap is 32 x 16).
GameBytes gdMapFile(uint32_t width, uint32_t height, uint32_t variant);
// A headerless 256 x 128 8-bit bitmap and the 16-palette file beside it.
GameBytes gdHeaderlessBitmap(uint32_t variant);
GameBytes gdMultiPalette(uint32_t variant);
// `size` bytes of data no tool looks into: noise, or (compressible) words
// repeated from a small vocabulary with runs and noise between them, which
// compresses to a little over half.
GameBytes gdFiller(uint32_t size, uint32_t variant, bool compressible);

// A whole compressed file (type 1 or 2): header and token stream, padded
// with zero bytes to a multiple of `multiple` (0 or 1: no padding).
Result<GameBytes> gdCompress(const GameBytes& data, int type, uint32_t multiple);

// ---------------------------------------------------------------------------
// Disc image: the file table at byte 0x8c000, files from the sector after
// it on, each in whole sectors; entry 15 is the sizes file (one 3-byte
// record per entry: size in 8-byte units, rounded up; the decompressed size
// for compressed files) and the last entry the 'empty' terminator.

struct GdDiscFile {
  GameBytes data;
  bool compressed = false;
  bool empty = false;  // an 'empty' entry: no sectors, size 0
};

// Writes an image file by file, so that no more than one file is held in
// memory. The writer puts the sizes file at entry 15 itself: the caller adds
// every other entry in order (0-14, then 16 on) and the writer adds the
// terminator.
struct GdImageWriter {
  struct Closer {
    void operator()(FILE* fp) const { std::fclose(fp); }
  };
  std::unique_ptr<FILE, Closer> file;
  std::string path;
  uint32_t entryCount = 0;  // entries before the terminator, sizes file included
  std::vector<uint32_t> table;
  GameBytes sizes;
  uint32_t nextSector = 0;
  uint32_t sizesSector = 0;
};

// `fileCount`: the entries the caller adds (at least 15).
Status gdImageOpen(GdImageWriter& writer, const std::string& path, uint32_t fileCount);
Status gdImageAdd(GdImageWriter& writer, const GdDiscFile& file);
// Writes the table and the sizes file; fails unless every entry was added.
Status gdImageClose(GdImageWriter& writer);
// The whole image from the list of entries the caller adds.
Status gdWriteImage(const std::string& path, const std::vector<GdDiscFile>& files);
