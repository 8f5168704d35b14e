// A project folder as the commands see it: kvo.toml, the folders the unpack
// fills (files/, text/, pics/) and the unpack's state in .kvo/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "kvo/project.h"
#include "kvo/state.h"

struct Workspace {
  std::string root;  // the project folder, as the user named it
  Project project;
  std::string imagePath;  // the image as the tool opens it (root joined with the project's path)
  std::string tablePath;  // likewise; empty without a table
};

extern const char kProjectFileName[];  // "kvo.toml"
extern const char kStatePath[];        // ".kvo/state", under the root
// The folders the unpack fills, under the root.
extern const char kFilesFolder[];  // "files": every file, decompressed
extern const char kTextFolder[];   // "text": a PO file per dialog container
extern const char kPicsFolder[];   // "pics": pictures as BMP files

// `root` + "/" + a path under it ("/" separated).
std::string workspacePath(const Workspace& ws, const std::string& relative);

// Reads ROOT/kvo.toml; a missing or damaged project file is a failure that
// says what to do.
Result<Workspace> workspaceOpen(const std::string& root);

// Reads the unpack's state; "run kvo unpack first" when there is none.
Result<ProjectState> workspaceState(const Workspace& ws);

// Fails when the image's size is not the one kvo.toml gives (it was
// replaced or changed since kvo init).
Status checkImageSize(const Workspace& ws);

// The image as kvo init hashed it, kept in .kvo/image (the state's own
// format, without files): size, time and SHA-256.
extern const char kImageSeenPath[];
Status saveImageSeen(const Workspace& ws, uint64_t size, int64_t modified, const std::string& sha);
// Whether the image has the size and time it had when kvo init hashed it to
// the SHA-256 kvo.toml gives (then it need not be hashed again).
bool imageSeenUnchanged(const Workspace& ws);

// Writes .kvo/state.
Status saveState(const Workspace& ws, const ProjectState& state);

// The decompressed file `index` as the unpack wrote it under files/.
Status readFilesArtefact(const Workspace& ws, const ProjectState& state, uint32_t index,
                         std::vector<uint8_t>* bytes);

// An artefact's bytes as they are now; a missing one is a failure.
Result<std::vector<uint8_t>> loadArtefact(const Workspace& ws, const ArtefactState& artefact);

// Writes a file under the root (its folders made first) and returns what
// the state keeps of it; `hash` is its contentHash when already known.
Result<ArtefactState> writeArtefact(const Workspace& ws, uint32_t index,
                                    const std::string& relative, const std::vector<uint8_t>& data);
// The same for bytes whose contentHash is known.
Result<ArtefactState> writeArtefact(const Workspace& ws, uint32_t index,
                                    const std::string& relative, const uint8_t* data, size_t size,
                                    uint64_t hash);

// Whether an artefact is as the unpack wrote it: same size and time, or,
// when only the time moved, the same content. `current` receives the file's
// bytes when they were read (changed or looked at).
enum class ArtefactCheck { Unchanged, Changed, Missing };
ArtefactCheck checkArtefact(const Workspace& ws, const ArtefactState& artefact,
                            std::vector<uint8_t>* current);
