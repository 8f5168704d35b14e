#include "kvo/workspace.h"

#include "common/fileload.h"
#include "platform/folders.h"
#include "platform/platform.h"
#include "platform/replace.h"

const char kProjectFileName[] = "kvo.toml";
const char kStatePath[] = ".kvo/state";
const char kImageSeenPath[] = ".kvo/image";
const char kFilesFolder[] = "files";
const char kTextFolder[] = "text";
const char kPicsFolder[] = "pics";

namespace {
bool isAbsolute(const std::string& path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
         (path.size() > 1 && path[1] == ':');
}

std::string joined(const std::string& root, const std::string& path) {
  return isAbsolute(path) || root.empty() || root == "." ? path : root + "/" + path;
}

Result<std::string> readText(const std::string& path) {
  Result<std::string> result;
  Result<std::vector<uint8_t>> bytes = loadFile(path.c_str(), FileWording::Plain);
  if (!bytes.ok()) {
    result.status = bytes.status;
    return result;
  }
  result.value.assign(bytes.value.begin(), bytes.value.end());
  return result;
}

std::string parentOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}
}  // namespace

std::string workspacePath(const Workspace& ws, const std::string& relative) {
  return joined(ws.root, relative);
}

Result<Workspace> workspaceOpen(const std::string& root) {
  Result<Workspace> result;
  Workspace& ws = result.value;
  ws.root = root;
  const std::string file = workspacePath(ws, kProjectFileName);
  PlatStat st;
  if (!platStat(file.c_str(), &st) || !st.isRegular) {
    result.status = failure("ERROR: no project here (no %s); start one with kvo init : %s\n",
                            kProjectFileName, root.c_str());
    return result;
  }
  Result<std::string> text = readText(file);
  if (!text.ok()) {
    result.status = text.status;
    return result;
  }
  Result<Project> project = projectParse(text.value, file);
  if (!project.ok()) {
    result.status = failure("ERROR: %s", project.status.message.c_str());
    return result;
  }
  ws.project = std::move(project.value);
  ws.imagePath = joined(root, ws.project.imagePath);
  if (!ws.project.tablePath.empty()) ws.tablePath = joined(root, ws.project.tablePath);
  return result;
}

Result<ProjectState> workspaceState(const Workspace& ws) {
  Result<ProjectState> result;
  const std::string path = workspacePath(ws, kStatePath);
  PlatStat st;
  if (!platStat(path.c_str(), &st)) {
    result.status =
        failure("ERROR: the project is not unpacked yet: run kvo unpack : %s\n", ws.root.c_str());
    return result;
  }
  Result<std::string> text = readText(path);
  if (!text.ok()) {
    result.status = text.status;
    return result;
  }
  result = stateParse(text.value, path);
  if (!result.ok())
    result.status.message =
        "ERROR: " + result.status.message + "       (run kvo unpack again to rebuild it)\n";
  return result;
}

Status checkImageSize(const Workspace& ws) {
  PlatStat st;
  if (!platStat(ws.imagePath.c_str(), &st) || !st.isRegular)
    return failure("ERROR: the project's disc image is missing : %s\n", ws.imagePath.c_str());
  if (st.size != ws.project.imageSize)
    return failure(
        "ERROR: the disc image is not the one this project was made from (%llu bytes, kvo.toml "
        "says %llu) : %s\n",
        static_cast<unsigned long long>(st.size),
        static_cast<unsigned long long>(ws.project.imageSize), ws.imagePath.c_str());
  return Status();
}

namespace {
Status saveStateAs(const Workspace& ws, const ProjectState& state, const char* relative) {
  const std::string path = workspacePath(ws, relative);
  const std::string text = stateWrite(state);
  if (platMakeFolders(parentOf(path)) && platReplaceSave(path.c_str(), text.data(), text.size()))
    return Status();
  return failure("ERROR: cannot write file : %s\n", path.c_str());
}
}  // namespace

Status saveImageSeen(const Workspace& ws, uint64_t size, int64_t modified, const std::string& sha) {
  ProjectState seen;
  seen.imageSize = size;
  seen.imageModified = modified;
  seen.imageSha256 = sha;
  return saveStateAs(ws, seen, kImageSeenPath);
}

bool imageSeenUnchanged(const Workspace& ws) {
  Result<std::string> text = readText(workspacePath(ws, kImageSeenPath));
  if (!text.ok()) return false;
  Result<ProjectState> seen = stateParse(text.value, kImageSeenPath);
  uint64_t size = 0;
  int64_t modified = 0;
  return seen.ok() && seen.value.imageSha256 == ws.project.imageSha256 &&
         platFileTime(ws.imagePath, &size, &modified) && size == seen.value.imageSize &&
         modified == seen.value.imageModified;
}

Status saveState(const Workspace& ws, const ProjectState& state) {
  return saveStateAs(ws, state, kStatePath);
}

Status readFilesArtefact(const Workspace& ws, const ProjectState& state, uint32_t index,
                         std::vector<uint8_t>* bytes) {
  const std::string prefix = std::string(kFilesFolder) + "/";
  for (const ArtefactState& a : state.artefacts) {
    if (a.index != index || a.path.compare(0, prefix.size(), prefix) != 0) continue;
    Result<std::vector<uint8_t>> loaded = loadArtefact(ws, a);
    if (!loaded.ok()) return loaded.status;
    *bytes = std::move(loaded.value);
    return Status();
  }
  return failure("ERROR: file %04u was not unpacked : %s\n", index, ws.root.c_str());
}

Result<std::vector<uint8_t>> loadArtefact(const Workspace& ws, const ArtefactState& artefact) {
  const std::string path = workspacePath(ws, artefact.path);
  uint64_t size = 0;
  int64_t modified = 0;
  if (!platFileTime(path, &size, &modified))
    return {{},
            failure("ERROR: missing (the unpack wrote it; restore it or unpack again) : %s\n",
                    path.c_str())};
  if (size == 0) return {};
  return loadFile(path.c_str(), FileWording::Plain);
}

Result<ArtefactState> writeArtefact(const Workspace& ws, uint32_t index,
                                    const std::string& relative, const std::vector<uint8_t>& data) {
  return writeArtefact(ws, index, relative, data.data(), data.size(),
                       contentHash(data.data(), data.size()));
}

Result<ArtefactState> writeArtefact(const Workspace& ws, uint32_t index,
                                    const std::string& relative, const uint8_t* data, size_t size,
                                    uint64_t hash) {
  Result<ArtefactState> result;
  const std::string path = workspacePath(ws, relative);
  ArtefactState& a = result.value;
  a.index = index;
  a.path = relative;
  a.hash = hash;
  // Its folder is made only when the first try finds none (thousands of
  // files go into a few folders).
  const bool saved = platReplaceSave(path.c_str(), data, size) ||
                     (platMakeFolders(parentOf(path)) && platReplaceSave(path.c_str(), data, size));
  if (!saved || !platFileTime(path, &a.size, &a.modified))
    result.status = failure("ERROR: cannot write file : %s\n", path.c_str());
  return result;
}

ArtefactCheck checkArtefact(const Workspace& ws, const ArtefactState& artefact,
                            std::vector<uint8_t>* current) {
  const std::string path = workspacePath(ws, artefact.path);
  uint64_t size = 0;
  int64_t modified = 0;
  if (!platFileTime(path, &size, &modified)) return ArtefactCheck::Missing;
  if (size == artefact.size && modified == artefact.modified) return ArtefactCheck::Unchanged;
  Result<std::vector<uint8_t>> bytes =
      size == 0 ? Result<std::vector<uint8_t>>() : loadFile(path.c_str(), FileWording::Plain);
  if (!bytes.ok()) return ArtefactCheck::Missing;
  bool same = contentHash(bytes.value.data(), bytes.value.size()) == artefact.hash &&
              bytes.value.size() == artefact.size;
  if (current) *current = std::move(bytes.value);
  return same ? ArtefactCheck::Unchanged : ArtefactCheck::Changed;
}
