// The game files that have artefacts besides their decompressed bytes: dialog
// containers (a PO file) and pictures (BMP files). Each kind converts the
// decompressed game file to its artefacts, and back from edited artefacts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "kvo/dialogpo.h"
#include "kvo/project.h"
#include "kvo/workspace.h"

struct CharTable;

// A file the unpack writes, by its path under the project folder.
struct Artefact {
  std::string path;
  std::vector<uint8_t> bytes;
};

// What the conversions of one run share: the character table (for dialog
// text) and the project's rules.
struct Converters {
  const Project* project = nullptr;
  std::shared_ptr<const CharTable> table;  // null without a table
};

// Loads what the project's conversions need (its character table); a
// missing or unreadable table is a failure.
Result<Converters> loadConverters(const Workspace& ws, const Messages& messages);

// Whether the decompressed bytes hold a picture of the game's .gwh kind.
bool looksLikeGwh(const uint8_t* decoded, size_t size);

// Unpack: the artefacts of one game file of the given kind. `name` is its
// file name (for messages and comments), `paletteFile` the decompressed
// multi-palette file of a headerless bitmap.
Result<std::vector<Artefact>> exportArtefacts(const Converters& c, FileKind kind, uint32_t index,
                                              const std::string& name,
                                              const std::vector<uint8_t>& decoded,
                                              const std::vector<uint8_t>* paletteFile,
                                              const Messages& messages);

// Something wrong in an edited artefact, at a place in it
// ("text/0016.po:12:5").
struct Problem {
  std::string place;
  std::string message;
};

// Check and pack: the decompressed game file rebuilt from `base` (its
// decompressed bytes as files/ holds them now) and its other artefacts as
// they are now (`artefacts`, every one that the unpack wrote for it). Text
// the table cannot encode and other faults of the artefacts go to
// `problems`; a failure means the file could not be rebuilt at all.
Result<std::vector<uint8_t>> importArtefacts(const Converters& c, FileKind kind, uint32_t index,
                                             const std::string& name,
                                             const std::vector<uint8_t>& base,
                                             const std::vector<Artefact>& artefacts,
                                             std::vector<Problem>* problems,
                                             const Messages& messages);
