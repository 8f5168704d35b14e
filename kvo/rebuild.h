// What check and pack share: finding the image files whose artefacts the
// translator changed, and rebuilding each in memory, compressed as the
// original was, to see whether it still fits its room.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "kvo/convert.h"
#include "kvo/state.h"
#include "kvo/workspace.h"

// Whether a file's decompressed bytes are the original's: by its hash, or,
// for a plain file the unpack copied without hashing it (hash 0), by its
// bytes in the image.
bool sameAsOriginal(const Workspace& ws, const ImageFileState& file,
                    const std::vector<uint8_t>& decoded, uint64_t hash);

// The indexes of the image files with a changed artefact, ascending. A
// missing artefact is a problem (the unpack wrote it; it is needed) and
// leaves its file out.
std::vector<uint32_t> changedFiles(const Workspace& ws, const ProjectState& state,
                                   std::vector<Problem>* problems);

struct RebuiltFile {
  const ImageFileState* file = nullptr;
  std::string name;              // as under files/ ("0016.bt")
  std::vector<uint8_t> decoded;  // the game file as meant
  std::vector<uint8_t> stored;   // as it goes into the image (compressed like the original)
  uint32_t storedSize = 0;       // kept when `stored` is let go
  bool same = false;             // the edits give the original file back
  uint64_t decodedHash = 0;      // contentHash of `decoded`
  bool fits() const { return storedSize <= file->span; }
};

// Rebuilds one changed file. Problems of its artefacts go to `problems`.
Result<RebuiltFile> rebuildFile(const Workspace& ws, const ProjectState& state,
                                const Converters& converters, uint32_t index,
                                std::vector<Problem>* problems, const Messages& messages);

// The decompressed bytes stored as the original file was: plain, or with the
// compressed header and the original's compression type.
Result<std::vector<uint8_t>> storeLikeOriginal(const ImageFileState& file,
                                               const std::vector<uint8_t>& decoded,
                                               const Messages& messages);

// The image must be the one the project was unpacked from: its size and
// time as the unpack saw them, or else its SHA-256 as kvo.toml gives it.
Status checkImageUnchanged(const Workspace& ws, const ProjectState& state);

// An unpacked project ready to be checked: its folder, the unpack's state,
// the image unchanged since the unpack and the table loaded.
struct OpenedProject {
  Workspace ws;
  ProjectState state;
  Converters converters;
};
Status openUnpackedProject(const std::string& dir, const Messages& messages, OpenedProject* out);

// Every changed file rebuilt (their fit lines printed on standard output,
// their problems on `messages`). The decompressed bytes are dropped; the
// stored bytes are kept when `keepStored`.
struct CheckedProject {
  std::vector<RebuiltFile> files;  // changed files that differ from the original
  size_t over = 0;                 // files over their room
  size_t problems = 0;
};
Result<CheckedProject> checkProject(const Workspace& ws, const ProjectState& state,
                                    const Converters& converters, const Messages& messages,
                                    bool keepStored);

// "0016.bt: 1234 of 4096 bytes, fits" or "..., over by 904".
std::string fitLine(const RebuiltFile& rebuilt);
