// kvo check: every changed game file rebuilt in memory, compressed as the
// original, and measured against its room; writes nothing.
#include <cstdio>

#include "kvo/commands.h"
#include "kvo/imagehash.h"
#include "kvo/rebuild.h"
#include "platform/folders.h"

Status checkImageUnchanged(const Workspace& ws, const ProjectState& state) {
  Status sized = checkImageSize(ws);
  if (!sized.ok()) return sized;
  uint64_t size = 0;
  int64_t modified = 0;
  if (platFileTime(ws.imagePath, &size, &modified) && size == state.imageSize &&
      modified == state.imageModified)
    return Status();
  Result<std::string> digest = hashImage(ws.imagePath, nullptr);
  if (!digest.ok()) return digest.status;
  return checkImageHash(ws.imagePath, ws.project.imageSha256, digest.value);
}

Result<CheckedProject> checkProject(const Workspace& ws, const ProjectState& state,
                                    const Converters& converters, const Messages& messages,
                                    bool keepStored) {
  Result<CheckedProject> result;
  CheckedProject& checked = result.value;
  std::vector<Problem> problems;
  for (uint32_t index : changedFiles(ws, state, &problems)) {
    Result<RebuiltFile> rebuilt = rebuildFile(ws, state, converters, index, &problems, messages);
    if (!rebuilt.ok()) {
      messages.print(rebuilt.status.message);
      ++checked.problems;
      continue;
    }
    if (rebuilt.value.same) continue;
    std::printf("%s\n", fitLine(rebuilt.value).c_str());
    if (!rebuilt.value.fits()) ++checked.over;
    rebuilt.value.decoded.clear();
    rebuilt.value.decoded.shrink_to_fit();
    if (!keepStored) rebuilt.value.stored = std::vector<uint8_t>();
    checked.files.push_back(std::move(rebuilt.value));
  }
  for (const Problem& p : problems)
    messages.print(workspacePath(ws, p.place) + ": " + p.message + "\n");
  checked.problems += problems.size();
  return result;
}

Status openUnpackedProject(const std::string& dir, const Messages& messages, OpenedProject* out) {
  Result<Workspace> ws = workspaceOpen(dir);
  if (!ws.ok()) return ws.status;
  out->ws = std::move(ws.value);
  Result<ProjectState> state = workspaceState(out->ws);
  if (!state.ok()) return state.status;
  out->state = std::move(state.value);
  Status image = checkImageUnchanged(out->ws, out->state);
  if (!image.ok()) return image;
  Result<Converters> converters = loadConverters(out->ws, messages);
  if (!converters.ok()) return converters.status;
  out->converters = converters.value;
  return Status();
}

int runCheck(const CheckOptions& options) {
  Messages messages = stderrLines();
  OpenedProject p;
  Status opened = openUnpackedProject(options.dir, messages, &p);
  if (!opened.ok()) return reportFailure(opened);
  Result<CheckedProject> checked = checkProject(p.ws, p.state, p.converters, messages, false);
  const CheckedProject& c = checked.value;
  std::printf("kvo check: %s, %zu over their room, %s\n",
              counted(c.files.size(), "changed file", "changed files").c_str(), c.over,
              counted(c.problems, "problem", "problems").c_str());
  return c.over + c.problems > 0 ? kProblems : kDone;
}
