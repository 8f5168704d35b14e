#include "bts/dialogtext.h"

#include <cstring>
#include <string>

#include "common/strutil.h"
#include "texttable/convert.h"

namespace {
struct Piece {
  const uint8_t* data;
  uint32_t length;
};

// Appends one converted text; false (nothing added) when it failed.
bool appendConverted(std::vector<uint8_t>& out, const CharTable& table, const uint8_t* data,
                     uint32_t length, unsigned number, const char* name, const Messages& messages) {
  std::vector<uint8_t> text;
  if (!dialogToText(table, data, length, &text, number, name, messages)) return false;
  out.insert(out.end(), text.begin(), text.end());
  return true;
}

void appendSeparated(std::vector<uint8_t>& out, const DialogView& view, const CharTable& table,
                     const std::string& separator, const Messages& messages) {
  for (uint32_t k = 0; k < kDialogSlots; ++k) {
    const DialogText& text = view.texts[k];
    uint32_t length = text.length;
    if (length == 0) continue;
    if (text.data[length - 1] == 0) --length;
    if (length == 0 ||
        appendConverted(out, table, text.data, length, k, view.name.c_str(), messages))
      out.insert(out.end(), separator.begin(), separator.end());
  }
}

void warnPieceCount(bool bytesLeft, uint32_t found, uint32_t expected, const std::string& name,
                    const Messages& messages) {
  if (bytesLeft)
    report(messages,
           "WARN: dialog has more sections than expected or trailing data : expected %u : %s\n",
           expected, name.c_str());
  if (found < expected)
    report(messages, "WARN: dialog has less sections than expected : %u (vs %u) : %s\n", found,
           expected, name.c_str());
}

// The text file cut at every separator: the pieces before each separator,
// and whether bytes follow the last one.
struct SeparatedText {
  std::vector<Piece> pieces;
  bool tail;
};

SeparatedText splitAtSeparators(const std::string& separator, const uint8_t* text,
                                uint32_t length) {
  SeparatedText split;
  const uint8_t* sep = reinterpret_cast<const uint8_t*>(separator.data());
  int32_t sepLength = static_cast<int32_t>(separator.size());
  uint32_t pos = 0;
  while (const uint8_t* found =
             memFind(text + pos, static_cast<int32_t>(length - pos), sep, sepLength)) {
    uint32_t end = static_cast<uint32_t>(found - text);
    split.pieces.push_back({text + pos, end - pos});
    pos = end + static_cast<uint32_t>(sepLength);
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
Status requireTextCount(const DialogView& view, const SeparatedText& split,
                        const std::string& separator, const uint8_t* text, uint32_t length,
                        const char* textPath, const Messages& messages) {
  uint32_t expected = view.nonEmptyCount;
  uint32_t closed = static_cast<uint32_t>(split.pieces.size());
  warnPieceCount(closed > expected || split.tail, closed, expected, view.name, messages);
  if (closed == expected && !split.tail) return Status();
  uint32_t found = closed + (split.tail && closed >= expected ? 1 : 0);
  const uint8_t* sep = reinterpret_cast<const uint8_t*>(separator.data());
  bool lfOnly = holdsCrLf(sep, static_cast<uint32_t>(separator.size())) &&
                !holdsCrLf(text, length) && std::memchr(text, '\n', length) != nullptr;
  if (lfOnly)
    return failure(
        "ERROR: found %u texts, expected %u: the file has LF line ends, separator lines must "
        "end with CR LF: nothing written : %s\n",
        found, expected, textPath);
  return failure("ERROR: found %u texts, expected %u: nothing written : %s\n", found, expected,
                 textPath);
}

// Pieces of converted bytes, each up to and with its zero byte.
std::vector<Piece> splitAfterZeros(const DialogView& view, const uint8_t* bytes, uint32_t length,
                                   const Messages& messages) {
  std::vector<Piece> pieces;
  uint32_t pos = 0;
  while (pieces.size() < view.nonEmptyCount && pos < length) {
    const void* zero = std::memchr(bytes + pos, 0, length - pos);
    if (!zero) break;
    uint32_t end = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - bytes) + 1;
    pieces.push_back({bytes + pos, end - pos});
    pos = end;
  }
  warnPieceCount(pos < length, static_cast<uint32_t>(pieces.size()), view.nonEmptyCount, view.name,
                 messages);
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

Result<std::vector<uint8_t>> importSeparated(const DialogView& view, const CharTable& table,
                                             const std::string& separator, const uint8_t* text,
                                             uint32_t length, const char* textPath,
                                             const Messages& messages) {
  SeparatedText split = splitAtSeparators(separator, text, length);
  Status count = requireTextCount(view, split, separator, text, length, textPath, messages);
  if (!count.ok()) return {std::vector<uint8_t>(), count};
  // One piece for each text that is not empty, in order.
  std::vector<DialogTextBytes> texts(kDialogSlots);
  uint32_t j = 0;
  for (uint32_t k = 0; k < kDialogSlots; ++k) {
    texts[k].empty = view.texts[k].length == 0;
    if (texts[k].empty) continue;
    const Piece& piece = split.pieces[j];
    dialogFromText(table, piece.data, piece.length, &texts[k].bytes, j, view.name.c_str(),
                   messages);
    ++j;
  }
  return dialogRebuild(view, texts);
}

Result<std::vector<uint8_t>> importWhole(const DialogView& view, const CharTable& table,
                                         const uint8_t* text, uint32_t length,
                                         const Messages& messages) {
  std::vector<uint8_t> converted;
  if (!dialogFromText(table, text, length, &converted, 0, view.name.c_str(), messages))
    return {std::vector<uint8_t>(), failure("ERROR: error converting text to dialog data: \n")};
  uint32_t byteCount = static_cast<uint32_t>(converted.size());
  std::vector<Piece> pieces = splitAfterZeros(view, converted.data(), byteCount, messages);
  std::vector<uint32_t> lengths;
  for (const Piece& piece : pieces) lengths.push_back(piece.length);
  uint32_t offsets[kDialogSlots];
  pieceOffsets(view, lengths, offsets);
  return dialogAssemble(view, offsets, converted.data(), byteCount);
}
}  // namespace

std::vector<uint8_t> dialogExportText(const DialogView& view, const CharTable& table,
                                      const DialogSettings& settings, const Messages& messages) {
  std::vector<uint8_t> out;
  if (settings.separatorOn)
    appendSeparated(out, view, table, settings.separator, messages);
  else
    appendConverted(out, table, view.data + view.headSize, view.size - view.headSize, 0,
                    view.name.c_str(), messages);
  return out;
}

Result<std::vector<uint8_t>> dialogImportText(const DialogView& view, const CharTable& table,
                                              const DialogSettings& settings, const uint8_t* text,
                                              uint32_t textLength, const char* textPath,
                                              const Messages& messages) {
  return settings.separatorOn ? importSeparated(view, table, settings.separator, text, textLength,
                                                textPath, messages)
                              : importWhole(view, table, text, textLength, messages);
}
