#include <cstdio>
#include <vector>

#include "common/outcome.h"
#include "kvo/commands.h"
#include "kvo/imagehash.h"
#include "kvo/project.h"
#include "kvo/workspace.h"
#include "platform/folders.h"
#include "platform/platform.h"
#include "platform/replace.h"

int runInit(const InitOptions& options) {
  const std::string target = options.dir + "/" + kProjectFileName;
  PlatStat st;
  if (platStat(target.c_str(), &st)) {
    std::fprintf(stderr, "ERROR: a project exists already, kvo init does not replace it : %s\n",
                 target.c_str());
    return kProblems;
  }
  if (!platStat(options.image.c_str(), &st) || !st.isRegular) {
    std::fprintf(stderr, "ERROR: no disc image there : %s\n", options.image.c_str());
    return kProblems;
  }
  if (!options.table.empty() && (!platStat(options.table.c_str(), &st) || !st.isRegular)) {
    std::fprintf(stderr, "ERROR: no character table there : %s\n", options.table.c_str());
    return kProblems;
  }
  Project project;
  project.imagePath = platRelativePath(options.image, options.dir);
  if (!options.table.empty()) project.tablePath = platRelativePath(options.table, options.dir);
  Result<std::string> hashed = hashImage(options.image, &project.imageSize);
  if (!hashed.ok()) return reportFailure(hashed.status);
  project.imageSha256 = hashed.value;
  std::string text = projectWrite(project);
  if (!platMakeFolders(options.dir) || !platReplaceSave(target.c_str(), text.data(), text.size())) {
    std::fprintf(stderr, "ERROR: cannot write the project file : %s\n", target.c_str());
    return kProblems;
  }
  Workspace ws;
  ws.root = options.dir;
  ws.project = project;
  uint64_t size = 0;
  int64_t modified = 0;
  // Remembered so that the unpack need not hash the same image again.
  if (platFileTime(options.image, &size, &modified))
    saveImageSeen(ws, size, modified, project.imageSha256);
  std::printf("kvo init: project written to %s (image %s, %llu bytes)\n", target.c_str(),
              options.image.c_str(), static_cast<unsigned long long>(project.imageSize));
  return kDone;
}
