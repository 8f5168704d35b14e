// kvo pack: the check, then a new image with every changed file in its room,
// read back and compared before it takes its name.
#include <cstdio>
#include <optional>

#include "bts/btsc.h"
#include "codec/codec.h"
#include "kvo/commands.h"
#include "kvo/progress.h"
#include "kvo/rebuild.h"
#include "lba/lba_image.h"
#include "lba/lba_import.h"
#include "platform/folders.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace {
// At most this many bytes of rebuilt files are kept between the check and
// the writing; the rest are rebuilt again (memory stays bounded).
const size_t kKeptStoredBytes = 24u << 20;

void keepWithinBudget(CheckedProject& checked) {
  size_t kept = 0;
  for (RebuiltFile& f : checked.files) {
    kept += f.stored.size();
    if (kept > kKeptStoredBytes) f.stored = std::vector<uint8_t>();
  }
}

Status storedBytes(const Workspace& ws, const ProjectState& state, const Converters& converters,
                   RebuiltFile& f, const Messages& messages) {
  if (!f.stored.empty() || f.storedSize == 0) return Status();
  std::vector<Problem> ignored;  // reported by the check already
  Result<RebuiltFile> again = rebuildFile(ws, state, converters, f.file->index, &ignored, messages);
  if (!again.ok()) return again.status;
  f.stored = std::move(again.value.stored);
  return Status();
}

// A file of the new image, decompressed.
Result<std::vector<uint8_t>> readDecoded(const LbaImage& image, FILE* stream,
                                         const ImageFileState& file, const std::string& name) {
  std::vector<uint8_t> stored;
  Status read = lbaReadFile(image, stream, file.index, &stored, Messages());
  if (!read.ok()) return {{}, read};
  if (file.compression < 0) return {std::move(stored), Status()};
  std::vector<uint8_t> buffer;
  Result<uint32_t> size =
      cxDecompressReusing(stored.data(), uint32_t(stored.size()), name.c_str(), buffer, Messages());
  if (!size.ok()) return {{}, size.status};
  buffer.erase(buffer.begin(), buffer.begin() + kCxHistory);
  buffer.resize(size.value);
  return {std::move(buffer), Status()};
}

// The small battle file holds a part of each battle file: the parts of the
// changed battle files are refreshed from the new image (as kvobtsc -i does)
// and the small battle file is written after them.
Status refreshSmallBattle(const Workspace& ws, const ProjectState& state, CheckedProject& checked,
                          LbaImage& image, FILE* stream, const Messages& messages) {
  const std::optional<SmallBattleRule>& rule = ws.project.smallBattle;
  if (!rule) return Status();
  const ImageFileState* small = stateFileOf(state, rule->index);
  if (!small)
    return failure("ERROR: the small battle file %04u is no file of the image\n", rule->index);
  const std::string smallName = formatText("%04u", rule->index);
  Result<std::vector<uint8_t>> smallFile = readDecoded(image, stream, *small, smallName);
  if (!smallFile.ok()) return smallFile.status;
  bool refreshed = false;
  for (const RebuiltFile& f : checked.files) {
    const uint32_t index = f.file->index;
    if (index < rule->firstBattle || index > rule->lastBattle) continue;
    Result<std::vector<uint8_t>> battle = readDecoded(image, stream, *f.file, f.name);
    if (!battle.ok()) return battle.status;
    Status part = btscRefreshPart(smallFile.value, index - rule->firstBattle,
                                  std::move(battle.value), f.name.c_str(), true, messages);
    if (!part.ok()) return part;
    refreshed = true;
  }
  if (!refreshed) return Status();
  Result<std::vector<uint8_t>> stored = storeLikeOriginal(*small, smallFile.value, messages);
  if (!stored.ok()) return stored.status;
  RebuiltFile entry;
  entry.file = small;
  entry.name = smallName;
  entry.decodedHash = contentHash(smallFile.value.data(), smallFile.value.size());
  entry.storedSize = uint32_t(stored.value.size());
  Status imported = lbaImportBytes(image, stream, small->index, stored.value.data(),
                                   entry.storedSize, smallName.c_str(), messages);
  if (!imported.ok()) return imported;
  std::printf("%s (small battle file, parts refreshed)\n", fitLine(entry).c_str());
  for (RebuiltFile& f : checked.files)
    if (f.file->index == small->index) return (f = std::move(entry), Status());
  checked.files.push_back(std::move(entry));
  return Status();
}

Status writeChanges(const Workspace& ws, const ProjectState& state, const Converters& converters,
                    CheckedProject& checked, const std::string& temporary,
                    const Messages& messages) {
  Result<LbaImage> image = lbaLoad(temporary.c_str(), LbaSettings(), Messages());
  if (!image.ok()) return image.status;
  Result<LbaStream> stream = lbaOpenStream(temporary.c_str(), "rb+");
  if (!stream.ok()) return stream.status;
  Progress progress = progressStart("pack", checked.files.size());
  struct ClearLine {
    Progress& p;
    ~ClearLine() { progressEnd(p); }
  } clearLine{progress};
  for (RebuiltFile& f : checked.files) {
    progressAdvance(progress, f.storedSize);
    Status ready = storedBytes(ws, state, converters, f, messages);
    if (!ready.ok()) return ready;
    Status imported =
        lbaImportBytes(image.value, stream.value.get(), f.file->index, f.stored.data(),
                       uint32_t(f.stored.size()), f.name.c_str(), messages);
    if (!imported.ok()) return imported;
    f.stored = std::vector<uint8_t>();
  }
  Status small = refreshSmallBattle(ws, state, checked, image.value, stream.value.get(), messages);
  if (!small.ok()) return small;
  return lbaWriteHeader(image.value, stream.value.get());
}

// Reads every changed file back out of the new image and compares it with
// what was meant. Returns how many differ.
Result<size_t> verify(const std::string& temporary, const CheckedProject& checked,
                      std::vector<std::string>* results) {
  Result<size_t> result;
  Result<LbaImage> image = lbaLoad(temporary.c_str(), LbaSettings(), Messages());
  if (!image.ok()) return {0, image.status};
  Result<LbaStream> stream = lbaOpenStream(temporary.c_str(), "rb");
  if (!stream.ok()) return {0, stream.status};
  std::vector<uint8_t> stored, buffer;
  for (const RebuiltFile& f : checked.files) {
    bool good =
        lbaReadFile(image.value, stream.value.get(), f.file->index, &stored, Messages()).ok();
    if (good && f.file->compression >= 0) {
      Result<uint32_t> size = cxDecompressReusing(stored.data(), uint32_t(stored.size()),
                                                  f.name.c_str(), buffer, Messages());
      good = size.ok() && contentHash(buffer.data() + kCxHistory, size.value) == f.decodedHash;
    } else if (good) {
      good = contentHash(stored.data(), stored.size()) == f.decodedHash;
    }
    results->push_back(good ? "verified" : "DIFFERS");
    if (!good) ++result.value;
  }
  return result;
}

void printSummary(const CheckedProject& checked, const std::vector<std::string>& results) {
  std::printf("%-16s %-7s %10s %10s  %s\n", "file", "kind", "bytes", "room", "result");
  for (size_t i = 0; i < checked.files.size(); ++i) {
    const RebuiltFile& f = checked.files[i];
    std::printf("%-16s %-7s %10u %10u  %s\n", f.name.c_str(), fileKindName(f.file->kind),
                f.storedSize, f.file->span, results[i].c_str());
  }
}
int writePatch(const std::string& original, const std::string& image, const std::string& patch) {
  int status = platRunProgram({"xdelta3", "-e", "-f", "-s", original, image, patch});
  if (status == -1)
    return reportFailure(failure(
        "ERROR: the patch needs the program xdelta3, which is not installed (Debian: apt-get "
        "install xdelta3); the image is written : %s\n",
        patch.c_str()));
  if (status != 0)
    return reportFailure(
        failure("ERROR: xdelta3 failed (exit status %d); the image is written : %s\n", status,
                patch.c_str()));
  std::printf("kvo pack: patch written to %s\n", patch.c_str());
  return kDone;
}
}  // namespace

int runPack(const PackOptions& options) {
  Messages messages = stderrLines();
  OpenedProject p;
  Status opened = openUnpackedProject(options.dir, messages, &p);
  if (!opened.ok()) return reportFailure(opened);
  if (platSameFile(options.output, p.ws.imagePath))
    return reportFailure(failure("ERROR: kvo pack never writes over the original image : %s\n",
                                 options.output.c_str()));
  Result<CheckedProject> checked = checkProject(p.ws, p.state, p.converters, messages, true);
  CheckedProject& c = checked.value;
  if (c.over + c.problems > 0) {
    std::fprintf(stderr, "ERROR: nothing written: %zu over their room, %s\n", c.over,
                 counted(c.problems, "problem", "problems").c_str());
    return kProblems;
  }
  keepWithinBudget(c);
  const std::string temporary = options.output + ".kvo-partial";
  if (!platCopyFile(p.ws.imagePath, temporary))
    return reportFailure(failure("ERROR: cannot write file : %s\n", temporary.c_str()));
  Status written = writeChanges(p.ws, p.state, p.converters, c, temporary, messages);
  std::vector<std::string> results;
  Result<size_t> differing = written.ok() ? verify(temporary, c, &results) : Result<size_t>();
  if (!written.ok() || !differing.ok() || differing.value > 0 ||
      platRename(temporary.c_str(), options.output.c_str()) != 0) {
    platRemove(temporary.c_str());
    if (!written.ok()) return reportFailure(written);
    if (!differing.ok()) return reportFailure(differing.status);
    if (differing.value == 0)
      return reportFailure(failure("ERROR: cannot write file : %s\n", options.output.c_str()));
    printSummary(c, results);
    std::fprintf(stderr, "ERROR: %zu files read back differ from what was meant; nothing written\n",
                 differing.value);
    return kProblems;
  }
  printSummary(c, results);
  std::printf("kvo pack: %s written to %s and verified\n",
              counted(c.files.size(), "changed file", "changed files").c_str(),
              options.output.c_str());
  if (!options.patch.empty()) return writePatch(p.ws.imagePath, options.output, options.patch);
  return kDone;
}
