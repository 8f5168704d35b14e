#include "bts/dialogtext.h"

#include <cstdlib>
#include <cstring>

#include "common/strutil.h"
#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "texttable/chartable.h"
#include "texttable/convert.h"

namespace {
struct Piece {
  const uint8_t* data;
  uint32_t length;
};

// Converts one text and writes it; false (nothing written) when it failed.
bool writeConverted(FILE* out, const uint8_t* data, uint32_t length, unsigned number,
                    const char* name) {
  uint8_t* text = nullptr;
  uint32_t textLength = 0;
  if (!dialogToText(data, length, &text, &textLength, number, name)) return false;
  outWrite(out, text, textLength);
  std::free(text);
  return true;
}

void writeSeparated(FILE* out, const DialogView& view) {
  for (uint32_t k = 0; k < kDialogSlots; ++k) {
    const DialogText& text = view.texts[k];
    uint32_t length = text.length;
    if (length == 0) continue;
    if (text.data[length - 1] == 0) --length;
    if (length == 0 || writeConverted(out, text.data, length, k, view.name))
      outWrite(out, view.separator, view.separatorLength);
  }
}

void warnPieceCount(bool bytesLeft, uint32_t found, uint32_t expected, const char* name) {
  if (bytesLeft)
    report("WARN: dialog has more sections than expected or trailing data : expected %u : %s\n",
           expected, name);
  if (found < expected)
    report("WARN: dialog has less sections than expected : %u (vs %u) : %s\n", found, expected,
           name);
}

// The text file cut at every separator: the pieces before each separator,
// and whether bytes follow the last one.
struct SeparatedText {
  std::vector<Piece> pieces;
  bool tail;
};

SeparatedText splitAtSeparators(const DialogView& view, const uint8_t* text, uint32_t length) {
  SeparatedText split;
  uint32_t pos = 0;
  while (const uint8_t* found = memFind(text + pos, static_cast<int32_t>(length - pos), view.separator,
                                        static_cast<int32_t>(view.separatorLength))) {
    uint32_t end = static_cast<uint32_t>(found - text);
    split.pieces.push_back({text + pos, end - pos});
    pos = end + view.separatorLength;
  }
  split.tail = pos < length;
  return split;
}

bool holdsCrLf(const uint8_t* data, uint32_t length) {
  static const uint8_t kCrLf[] = {'\r', '\n'};
  return memFind(data, static_cast<int32_t>(length), kCrLf, 2) != nullptr;
}

// Every text must end with its separator and the file must hold exactly as
// many as the section has texts; anything else is refused before a byte is
// written. Text after all expected texts counts as one more.
void requireTextCount(const DialogView& view, const SeparatedText& split, const uint8_t* text,
                      uint32_t length, const char* textPath) {
  uint32_t expected = view.nonEmptyCount;
  uint32_t closed = static_cast<uint32_t>(split.pieces.size());
  warnPieceCount(closed > expected || split.tail, closed, expected, view.name);
  if (closed == expected && !split.tail) return;
  uint32_t found = closed + (split.tail && closed >= expected ? 1 : 0);
  bool lfOnly = holdsCrLf(view.separator, view.separatorLength) && !holdsCrLf(text, length) &&
                std::memchr(text, '\n', length) != nullptr;
  if (lfOnly)
    fatal("ERROR: found %u texts, expected %u: the file has LF line ends, separator lines must "
          "end with CR LF: nothing written : %s\n",
          found, expected, textPath);
  fatal("ERROR: found %u texts, expected %u: nothing written : %s\n", found, expected, textPath);
}

// Pieces of converted bytes, each up to and with its zero byte.
std::vector<Piece> splitAfterZeros(const DialogView& view, const uint8_t* bytes, uint32_t length) {
  std::vector<Piece> pieces;
  uint32_t pos = 0;
  while (pieces.size() < view.nonEmptyCount && pos < length) {
    const void* zero = std::memchr(bytes + pos, 0, length - pos);
    if (!zero) break;
    uint32_t end = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - bytes) + 1;
    pieces.push_back({bytes + pos, end - pos});
    pos = end;
  }
  warnPieceCount(pos < length, static_cast<uint32_t>(pieces.size()), view.nonEmptyCount, view.name);
  return pieces;
}

// Slot k points at the piece that replaces text k; an empty text stays empty
// and points where the next text starts.
void pieceOffsets(const DialogView& view, const std::vector<uint32_t>& pieceLengths,
                  uint32_t offsets[kDialogSlots]) {
  std::vector<uint32_t> starts(view.nonEmptyCount + 1, view.headSize);
  for (uint32_t j = 0; j < view.nonEmptyCount; ++j)
    starts[j + 1] = starts[j] + (j < pieceLengths.size() ? pieceLengths[j] : 0);
  uint32_t j = 0;
  for (uint32_t k = 0; k < kDialogSlots; ++k) {
    offsets[k] = starts[j];
    if (view.texts[k].length != 0 && j < view.nonEmptyCount) ++j;
  }
}

std::vector<uint8_t> importSeparated(const DialogView& view, const uint8_t* text, uint32_t length,
                                     const char* textPath) {
  SeparatedText split = splitAtSeparators(view, text, length);
  requireTextCount(view, split, text, length, textPath);
  const std::vector<Piece>& pieces = split.pieces;
  std::vector<uint8_t> area;
  std::vector<uint32_t> lengths;
  for (uint32_t j = 0; j < pieces.size(); ++j) {
    uint8_t* bytes = nullptr;
    uint32_t byteCount = 0;
    if (dialogFromText(pieces[j].data, pieces[j].length, &bytes, &byteCount, j, view.name)) {
      area.insert(area.end(), bytes, bytes + byteCount);
      std::free(bytes);
    } else {
      byteCount = 0;
    }
    area.push_back(0);
    lengths.push_back(byteCount + 1);
  }
  uint32_t offsets[kDialogSlots];
  pieceOffsets(view, lengths, offsets);
  return dialogAssemble(view, offsets, area.data(), static_cast<uint32_t>(area.size()));
}

std::vector<uint8_t> importWhole(const DialogView& view, const uint8_t* text, uint32_t length) {
  uint8_t* bytes = nullptr;
  uint32_t byteCount = 0;
  if (!dialogFromText(text, length, &bytes, &byteCount, 0, view.name))
    fatal("ERROR: error converting text to dialog data: \n");
  std::vector<uint8_t> converted(bytes, bytes + byteCount);
  std::free(bytes);
  std::vector<Piece> pieces = splitAfterZeros(view, converted.data(), byteCount);
  std::vector<uint32_t> lengths;
  for (const Piece& piece : pieces) lengths.push_back(piece.length);
  uint32_t offsets[kDialogSlots];
  pieceOffsets(view, lengths, offsets);
  return dialogAssemble(view, offsets, converted.data(), byteCount);
}
}  // namespace

void dialogExport(const uint8_t* sectionData, uint32_t sectionSize, const char* outPath,
                  const char* name) {
  DialogView view = dialogOpenOrDie(sectionData, sectionSize, name);
  FILE* out = outOpen(outPath, "wb");
  if (view.separatorOn)
    writeSeparated(out, view);
  else
    writeConverted(out, sectionData + view.headSize, view.size - view.headSize, 0, name);
  outCommit(out);
  dialogClose(&view);
}

void dialogExportWithTable(const uint8_t* sectionData, uint32_t sectionSize, const char* outPath,
                           const char* name, const char* tablePath) {
  tblLoadOrDie(tablePath);
  dialogExport(sectionData, sectionSize, outPath, name);
  tblFree();
}

std::vector<uint8_t> dialogImportText(const DialogView& view, const uint8_t* text,
                                      uint32_t textLength, const char* textPath) {
  return view.separatorOn ? importSeparated(view, text, textLength, textPath)
                          : importWhole(view, text, textLength);
}

std::vector<uint8_t> dialogImport(const uint8_t* sectionData, uint32_t sectionSize,
                                  const char* textPath, const char* name, const char* tablePath) {
  tblLoadOrDie(tablePath);
  DialogView view = dialogOpenOrDie(sectionData, sectionSize, name);
  uint32_t textLength = 0;
  uint8_t* text = fileLoadS(textPath, &textLength);
  std::vector<uint8_t> section = dialogImportText(view, text, textLength, textPath);
  std::free(text);
  dialogClose(&view);
  tblFree();
  return section;
}
