// What `kvo unpack` saw, kept in the project's .kvo/ folder so that later
// commands know what the translator changed: every file of the image with
// its place and compression, and every file unpack wrote (an artefact) with
// its size, time and hash.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/outcome.h"
#include "kvo/project.h"

// A file of the disc image as the unpack found it.
struct ImageFileState {
  uint32_t index = 0;
  uint32_t entry = 0;
  uint64_t offset = 0;
  uint32_t span = 0;        // its room in the image
  uint32_t storedSize = 0;  // as stored (compressed files: with their header)
  int compression = -1;     // -1: stored plain; else the compressed type 0, 1 or 2
  FileKind kind = FileKind::Raw;
  uint32_t decodedSize = 0;
  uint64_t decodedHash = 0;  // contentHash of the decompressed bytes; 0: not hashed (a plain file
                             // copied as it is: its bytes in the image tell)
};

// A file the unpack wrote into the project, by its path under the project
// folder ("/" separated).
struct ArtefactState {
  uint32_t index = 0;  // the image file it came from
  std::string path;
  uint64_t size = 0;
  int64_t modified = 0;  // modification time, nanoseconds
  uint64_t hash = 0;     // contentHash
};

struct ProjectState {
  uint64_t imageSize = 0;
  int64_t imageModified =
      0;  // nanoseconds: an image with the same size and time is not hashed again
  std::string imageSha256;
  std::vector<ImageFileState> files;  // ascending index
  std::vector<ArtefactState> artefacts;
};

// The state of image file `index`, or null.
const ImageFileState* stateFileOf(const ProjectState& state, uint32_t index);

// A fast 64-bit hash to tell changed content (not a cryptographic one).
uint64_t contentHash(const void* data, size_t size);

std::string stateWrite(const ProjectState& state);
// `name` goes into the messages: "NAME:LINE: damaged project state: ...".
Result<ProjectState> stateParse(std::string_view text, const std::string& name);
