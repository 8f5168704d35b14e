// The dialog texts of one container as a PO file, and the translations read
// back from it. A text is kept as the character table gives it (bytes); in
// the PO file its line breaks (CR LF) are "\n" and what a PO file cannot
// carry is a "<$XX>" tag, so that the way back gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kvo/po.h"
#include "kvo/potext.h"

// One dialog text: its slot in the container (0 to 4) and its text.
struct GameText {
  uint32_t slot = 0;
  std::string text;
};

// The stable id of a text: file index and slot, as "0016:3".
std::string dialogContext(uint32_t fileIndex, uint32_t slot);

std::string gameTextToPo(std::string_view text);
// The text a PO string stands for; a malformed tag is reported with its
// column (in characters, from 1) within `po`. With `origin`, each byte's
// offset in `po` is appended to it.
PoTextBytes poToGameText(std::string_view po, std::vector<size_t>* origin = nullptr);

// The PO file of a container; `name` is its file name, written as a comment.
PoFile dialogPoFile(uint32_t fileIndex, const std::string& name,
                    const std::vector<GameText>& texts);

// A translated text found in a PO file.
struct DialogTranslation {
  uint32_t slot = 0;
  std::string text;             // as the table would give it
  int line = 0;                 // of the msgstr in the PO file
  std::vector<PoPlace> places;  // where each byte of `text` was written
};

// Something wrong in a PO file, at a place in it.
struct PoProblem {
  int line = 0;
  int column = 0;
  std::string message;
};

// The translations of file `fileIndex` in a parsed PO file: every entry
// whose msgstr is neither empty nor fuzzy. An entry with an id that is no
// text of this file, or with a malformed tag, is a problem.
std::vector<DialogTranslation> dialogTranslations(const PoFile& po, uint32_t fileIndex,
                                                  const std::vector<GameText>& texts,
                                                  std::vector<PoProblem>* problems);
