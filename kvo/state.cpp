#include "kvo/state.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>

namespace {
const char kStateHeader[] = "kvo-state 1";

uint64_t mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  return h ^ (h >> 33);
}

const char* kindWord(FileKind kind) { return fileKindName(kind); }

bool kindFromWord(const std::string& word, FileKind* kind) {
  for (FileKind k : {FileKind::Dialog, FileKind::Map, FileKind::Gwh, FileKind::Gnop, FileKind::Raw,
                     FileKind::Skip})
    if (word == fileKindName(k)) {
      *kind = k;
      return true;
    }
  return false;
}

// Splits off the next space-separated word of `rest`.
std::string nextWord(std::string_view& rest) {
  size_t end = rest.find(' ');
  std::string word(rest.substr(0, end));
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return word;
}

bool readUnsigned(const std::string& word, uint64_t most, uint64_t* out, int base = 10) {
  if (word.empty() || word.size() > 20) return false;
  uint64_t value = 0;
  for (char c : word) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : 99;
    if (digit >= base || value > (UINT64_MAX - uint64_t(digit)) / uint64_t(base)) return false;
    value = value * uint64_t(base) + uint64_t(digit);
  }
  if (value > most) return false;
  *out = value;
  return true;
}

template <class T>
bool readNumber(std::string_view& rest, T* out, int base = 10) {
  uint64_t value = 0;
  if (!readUnsigned(nextWord(rest), UINT64_MAX >> (64 - 8 * sizeof(T)), &value, base)) return false;
  *out = T(value);
  return true;
}

bool readFileLine(std::string_view rest, ImageFileState* f) {
  std::string compression;
  std::string kind;
  if (!readNumber(rest, &f->index) || !readNumber(rest, &f->entry) ||
      !readNumber(rest, &f->offset) || !readNumber(rest, &f->span) ||
      !readNumber(rest, &f->storedSize))
    return false;
  compression = nextWord(rest);
  if (compression == "-")
    f->compression = -1;
  else if (compression.size() == 1 && compression[0] >= '0' && compression[0] <= '2')
    f->compression = compression[0] - '0';
  else
    return false;
  return kindFromWord(nextWord(rest), &f->kind) && readNumber(rest, &f->decodedSize) &&
         readNumber(rest, &f->decodedHash, 16) && rest.empty();
}

// A path the unpack writes: folders below the project folder only ("/"
// between them, no "..", no drive), since a later unpack --force removes
// what the state names.
bool isProjectPath(std::string_view path) {
  if (path.empty() || path.find_first_of(std::string_view("\\:\0", 3)) != std::string_view::npos)
    return false;
  size_t start = 0;
  while (true) {
    size_t end = path.find('/', start);
    std::string_view part = path.substr(start, end == std::string_view::npos ? end : end - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

bool readArtefactLine(std::string_view rest, ArtefactState* a) {
  uint64_t modified = 0;
  if (!readNumber(rest, &a->index) || !readNumber(rest, &a->size) || !readNumber(rest, &modified) ||
      !readNumber(rest, &a->hash, 16) || rest.empty())
    return false;
  a->modified = int64_t(modified);
  a->path = std::string(rest);
  return isProjectPath(a->path);
}

bool readImageLine(std::string_view rest, ProjectState* state) {
  uint64_t modified = 0;
  if (!readNumber(rest, &state->imageSize) || !readNumber(rest, &modified)) return false;
  state->imageModified = int64_t(modified);
  state->imageSha256 = nextWord(rest);
  return state->imageSha256.size() == 64 && rest.empty() &&
         state->imageSha256.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// One line; false when it is not one the unpack writes.
bool readLine(std::string_view line, ProjectState* state, bool* sawImage) {
  std::string_view rest = line;
  std::string word = nextWord(rest);
  if (word == "image" && !*sawImage) return *sawImage = readImageLine(rest, state);
  if (word == "file") {
    ImageFileState f;
    if (!readFileLine(rest, &f)) return false;
    if (!state->files.empty() && state->files.back().index >= f.index) return false;
    state->files.push_back(f);
    return true;
  }
  if (word == "artefact") {
    ArtefactState a;
    if (!readArtefactLine(rest, &a)) return false;
    state->artefacts.push_back(std::move(a));
    return true;
  }
  return false;
}
}  // namespace

const ImageFileState* stateFileOf(const ProjectState& state, uint32_t index) {
  auto at = std::lower_bound(state.files.begin(), state.files.end(), index,
                             [](const ImageFileState& f, uint32_t i) { return f.index < i; });
  return at != state.files.end() && at->index == index ? &*at : nullptr;
}

uint64_t contentHash(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  uint64_t h = 0x9e3779b97f4a7c15ULL ^ size;
  for (; size >= 8; size -= 8, p += 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ mix(word)) * 0x9fb21c651e98df25ULL;
  }
  uint64_t last = 0;
  std::memcpy(&last, p, size);
  return mix(h ^ mix(last ^ (uint64_t(size) << 56)));
}

std::string stateWrite(const ProjectState& state) {
  std::string out = std::string(kStateHeader) + "\n";
  out += formatText("image %" PRIu64 " %" PRIu64 " %s\n", state.imageSize,
                    uint64_t(state.imageModified), state.imageSha256.c_str());
  for (const ImageFileState& f : state.files) {
    std::string compression = f.compression < 0 ? "-" : std::to_string(f.compression);
    out += formatText("file %u %u %" PRIu64 " %u %u %s %s %u %016" PRIx64 "\n", f.index, f.entry,
                      f.offset, f.span, f.storedSize, compression.c_str(), kindWord(f.kind),
                      f.decodedSize, f.decodedHash);
  }
  for (const ArtefactState& a : state.artefacts)
    out += formatText("artefact %u %" PRIu64 " %" PRIu64 " %016" PRIx64 " %s\n", a.index, a.size,
                      uint64_t(a.modified), a.hash, a.path.c_str());
  return out;
}

Result<ProjectState> stateParse(std::string_view text, const std::string& name) {
  Result<ProjectState> result;
  bool sawImage = false;
  unsigned lineNumber = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    if (end == std::string_view::npos) {
      result.status = failure("%s:%u: damaged project state: the last line is cut short\n",
                              name.c_str(), lineNumber + 1);
      return result;
    }
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    ++lineNumber;
    bool good = lineNumber == 1 ? line == kStateHeader : readLine(line, &result.value, &sawImage);
    if (!good) {
      result.status =
          failure("%s:%u: damaged project state: unexpected line\n", name.c_str(), lineNumber);
      return result;
    }
  }
  if (!sawImage)
    result.status =
        failure("%s:%u: damaged project state: no image line\n", name.c_str(), lineNumber);
  return result;
}
