// kvo status: what changed since the unpack: translated entries per PO file,
// pictures and raw files.
#include <cstdio>
#include <cstring>

#include "kvo/commands.h"
#include "kvo/po.h"
#include "kvo/rebuild.h"
#include "kvo/workspace.h"

namespace {
bool under(const std::string& path, const char* folder) {
  const size_t n = std::strlen(folder);
  return path.compare(0, n, folder) == 0 && path.size() > n && path[n] == '/';
}

struct Totals {
  size_t poFiles = 0, poTouched = 0, entries = 0, translated = 0, fuzzy = 0;
  size_t pictures = 0, files = 0, missing = 0, damaged = 0;
};

// One PO file's counts; a line for it when anything is translated or fuzzy.
void countPo(const Workspace& ws, const ArtefactState& a, Totals& t) {
  ++t.poFiles;
  Result<std::vector<uint8_t>> bytes = loadArtefact(ws, a);
  if (!bytes.ok()) return;
  PoParseResult po = poParse(std::string(bytes.value.begin(), bytes.value.end()));
  const std::string path = workspacePath(ws, a.path);
  if (!po.ok()) {
    ++t.damaged;
    std::printf("%s: cannot be read (%d:%d: %s)\n", path.c_str(), po.errors[0].line,
                po.errors[0].column, po.errors[0].message.c_str());
    return;
  }
  size_t translated = 0, fuzzy = 0;
  for (const PoEntry& e : po.file.entries) {
    if (e.str.empty()) continue;
    if (e.fuzzy)
      ++fuzzy;
    else
      ++translated;
  }
  t.entries += po.file.entries.size();
  t.translated += translated;
  t.fuzzy += fuzzy;
  if (translated + fuzzy == 0) return;
  ++t.poTouched;
  std::printf("%s: %zu of %zu translated", path.c_str(), translated, po.file.entries.size());
  if (fuzzy) std::printf(", %zu fuzzy", fuzzy);
  std::printf("\n");
}
// A plain file the unpack copied without hashing it, saved again unchanged.
bool unchangedPlainFile(const Workspace& ws, const ProjectState& state, const ArtefactState& a) {
  if (a.hash != 0 || !under(a.path, kFilesFolder)) return false;
  if (const ImageFileState* f = stateFileOf(state, a.index)) {
    Result<std::vector<uint8_t>> bytes = loadArtefact(ws, a);
    return bytes.ok() &&
           sameAsOriginal(ws, *f, bytes.value, contentHash(bytes.value.data(), bytes.value.size()));
  }
  return false;
}
}  // namespace

int runStatus(const StatusOptions& options) {
  Result<Workspace> ws = workspaceOpen(options.dir);
  if (!ws.ok()) return reportFailure(ws.status);
  Result<ProjectState> state = workspaceState(ws.value);
  if (!state.ok()) return reportFailure(state.status);
  Totals t;
  for (const ArtefactState& a : state.value.artefacts) {
    const ArtefactCheck check = checkArtefact(ws.value, a, nullptr);
    const std::string path = workspacePath(ws.value, a.path);
    if (check == ArtefactCheck::Missing) {
      ++t.missing;
      std::printf("%s: missing\n", path.c_str());
    } else if (under(a.path, kTextFolder)) {
      countPo(ws.value, a, t);
    } else if (check == ArtefactCheck::Changed && !unchangedPlainFile(ws.value, state.value, a)) {
      ++(under(a.path, kPicsFolder) ? t.pictures : t.files);
      std::printf("%s: changed\n", path.c_str());
    }
  }
  std::printf(
      "kvo status: %zu of %zu entries translated (%zu fuzzy) in %zu of %zu PO files; %zu "
      "pictures and %zu files changed; %zu missing\n",
      t.translated, t.entries, t.fuzzy, t.poTouched, t.poFiles, t.pictures, t.files, t.missing);
  return t.missing + t.damaged > 0 ? kProblems : kDone;
}
