#include <cstdio>
#include <vector>

#include "common/outcome.h"
#include "kvo/commands.h"
#include "kvo/project.h"
#include "kvo/sha256.h"
#include "kvo/workspace.h"
#include "platform/folders.h"
#include "platform/platform.h"
#include "platform/replace.h"

namespace {
const char kProjectFile[] = "kvo.toml";

// Size and SHA-256 of the image, read in pieces.
Status hashImage(const std::string& path, Project* project) {
  FILE* fp = platFopen(path.c_str(), "rb");
  if (!fp) return failure("ERROR: cannot read the disc image : %s\n", path.c_str());
  std::vector<uint8_t> piece(1 << 20);
  Sha256 hash = sha256Start();
  size_t got;
  while ((got = std::fread(piece.data(), 1, piece.size(), fp)) > 0) {
    sha256Add(hash, piece.data(), got);
    project->imageSize += got;
  }
  bool readFailed = std::ferror(fp) != 0;
  std::fclose(fp);
  if (readFailed) return failure("ERROR: cannot read the disc image : %s\n", path.c_str());
  project->imageSha256 = sha256Hex(sha256Finish(hash));
  return Status();
}
}  // namespace

int runInit(const InitOptions& options) {
  const std::string target = options.dir + "/" + kProjectFile;
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
  Status hashed = hashImage(options.image, &project);
  if (!hashed.ok()) {
    std::fputs(hashed.message.c_str(), stderr);
    return kProblems;
  }
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
