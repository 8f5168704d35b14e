#include "kvo/rebuild.h"

#include <algorithm>
#include <cstring>

#include "codec/codec.h"
#include "common/le.h"
#include "platform/platform.h"

namespace {
bool isFilesArtefact(const ArtefactState& a) {
  return a.path.compare(0, std::strlen(kFilesFolder) + 1, std::string(kFilesFolder) + "/") == 0;
}

std::string baseName(const std::string& path) { return path.substr(path.find('/') + 1); }

// The decompressed file as files/ holds it now, and every other artefact of
// it that changed (an unchanged picture laid over the file would undo an
// edit made to the file itself).
Status currentArtefacts(const Workspace& ws, const ProjectState& state, uint32_t index,
                        std::vector<uint8_t>* base, std::string* name,
                        std::vector<Artefact>* others) {
  for (const ArtefactState& a : state.artefacts) {
    if (a.index != index) continue;
    if (isFilesArtefact(a)) {
      Result<std::vector<uint8_t>> bytes = loadArtefact(ws, a);
      if (!bytes.ok()) return bytes.status;
      *base = std::move(bytes.value);
      *name = baseName(a.path);
      continue;
    }
    std::vector<uint8_t> bytes;
    ArtefactCheck check = checkArtefact(ws, a, &bytes);
    if (check == ArtefactCheck::Missing)
      return failure("ERROR: missing (the unpack wrote it; restore it or unpack again) : %s\n",
                     workspacePath(ws, a.path).c_str());
    if (check == ArtefactCheck::Changed) others->push_back({a.path, std::move(bytes)});
  }
  return Status();
}
}  // namespace

// Whether a rebuilt file is the original: by its hash, or, for a plain file
// the unpack copied without hashing it (hash 0), by its bytes in the image.
bool sameAsOriginal(const Workspace& ws, const ImageFileState& f,
                    const std::vector<uint8_t>& decoded, uint64_t hash) {
  if (decoded.size() != f.decodedSize) return false;
  if (f.decodedHash != 0 || f.compression >= 0) return hash == f.decodedHash;
  FILE* fp = platFopen(ws.imagePath.c_str(), "rb");
  if (!fp) return false;
  std::vector<uint8_t> original(decoded.size());
  const bool same = platFseek64(fp, int64_t(f.offset), SEEK_SET) == 0 &&
                    std::fread(original.data(), 1, original.size(), fp) == original.size() &&
                    original == decoded;
  std::fclose(fp);
  return same;
}

std::vector<uint32_t> changedFiles(const Workspace& ws, const ProjectState& state,
                                   std::vector<Problem>* problems) {
  std::vector<uint32_t> changed, missing;
  for (const ArtefactState& a : state.artefacts) {
    ArtefactCheck check = checkArtefact(ws, a, nullptr);
    if (check == ArtefactCheck::Missing) {
      problems->push_back({a.path, "missing (the unpack wrote it; restore it or unpack again)"});
      missing.push_back(a.index);
    } else if (check == ArtefactCheck::Changed) {
      changed.push_back(a.index);
    }
  }
  // A file with a missing artefact cannot be rebuilt: reported once, above.
  changed.erase(std::remove_if(changed.begin(), changed.end(),
                               [&](uint32_t index) {
                                 return std::find(missing.begin(), missing.end(), index) !=
                                        missing.end();
                               }),
                changed.end());
  std::sort(changed.begin(), changed.end());
  changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
  return changed;
}

Result<std::vector<uint8_t>> storeLikeOriginal(const ImageFileState& file,
                                               const std::vector<uint8_t>& decoded,
                                               const Messages& messages) {
  Result<std::vector<uint8_t>> result;
  if (file.compression < 0) {
    result.value = decoded;
    return result;
  }
  const uint32_t size = uint32_t(decoded.size());
  if (file.compression == 0) {
    result.value.assign(kCxHeaderSize + size_t(size), 0);
    wr32(result.value.data() + 1, size);
    if (size > 0) std::memcpy(result.value.data() + kCxHeaderSize, decoded.data(), size);
    return result;
  }
  Result<CxBlock> in = cxAllocHistory(size);
  if (!in.ok()) return {{}, in.status};
  if (size > 0) std::memcpy(in.value.data(), decoded.data(), size);
  Result<CxBlock> out = cxCompressBuffer(in.value.data(), size, file.compression, 0, 0, messages);
  if (!out.ok()) return {{}, out.status};
  result.value.assign(out.value.data(), out.value.data() + out.value.size);
  return result;
}

Result<RebuiltFile> rebuildFile(const Workspace& ws, const ProjectState& state,
                                const Converters& converters, uint32_t index,
                                std::vector<Problem>* problems, const Messages& messages) {
  Result<RebuiltFile> result;
  RebuiltFile& r = result.value;
  r.file = stateFileOf(state, index);
  if (!r.file) {
    result.status = failure("ERROR: file %04u is not in the project's state\n", index);
    return result;
  }
  std::vector<uint8_t> base;
  std::vector<Artefact> others;
  result.status = currentArtefacts(ws, state, index, &base, &r.name, &others);
  if (!result.ok()) return result;
  Result<std::vector<uint8_t>> decoded =
      r.file->kind == FileKind::Raw || r.file->kind == FileKind::Skip
          ? Result<std::vector<uint8_t>>{base, Status()}
          : importArtefacts(converters, r.file->kind, index, r.name, base, others, problems,
                            messages);
  if (!decoded.ok()) {
    result.status = decoded.status;
    return result;
  }
  r.decoded = std::move(decoded.value);
  r.decodedHash = contentHash(r.decoded.data(), r.decoded.size());
  r.same = sameAsOriginal(ws, *r.file, r.decoded, r.decodedHash);
  if (r.same) return result;
  Result<std::vector<uint8_t>> stored = storeLikeOriginal(*r.file, r.decoded, messages);
  if (!stored.ok()) {
    result.status = stored.status;
    return result;
  }
  r.stored = std::move(stored.value);
  r.storedSize = uint32_t(r.stored.size());
  return result;
}

std::string fitLine(const RebuiltFile& r) {
  const uint64_t used = r.storedSize, room = r.file->span;
  return formatText("%s: %llu of %llu bytes, ", r.name.c_str(),
                    static_cast<unsigned long long>(used), static_cast<unsigned long long>(room)) +
         (used <= room ? std::string("fits")
                       : formatText("over by %llu", static_cast<unsigned long long>(used - room)));
}
