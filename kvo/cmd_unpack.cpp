// kvo unpack: every file of the image into the project folder, decompressed,
// with a PO file per dialog container and BMP files per picture.
#include <algorithm>
#include <cstdio>

#include "codec/codec.h"
#include "common/streams.h"
#include "kvo/commands.h"
#include "kvo/convert.h"
#include "kvo/imagehash.h"
#include "kvo/progress.h"
#include "kvo/workspace.h"
#include "lba/lba_image.h"
#include "lba/lba_names.h"
#include "platform/filecopy.h"
#include "platform/folders.h"
#include "platform/platform.h"
#include "platform/replace.h"

namespace {
// Everything one unpack run carries from file to file.
struct Unpack {
  Workspace ws;
  Converters converters;
  ProjectState state;
  Progress progress;
  Messages messages;
  bool problems = false;
  std::vector<uint32_t> gnopFiles;  // headerless bitmaps: converted once their palettes are out
  // Buffers kept from file to file (thousands of files, one allocation).
  std::vector<uint8_t> stored;
  std::vector<uint8_t> decodeBuffer;
};

// A file's decompressed bytes, in one of the run's buffers.
struct Decoded {
  const uint8_t* data = nullptr;
  size_t size = 0;
  std::vector<uint8_t> copy() const { return std::vector<uint8_t>(data, data + size); }
};

std::string extensionOf(const std::string& name) {
  size_t dot = name.find('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool listed(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

FileKind kindOf(const Project& project, uint32_t index, const std::string& name,
                const Decoded& decoded) {
  if (const FileRule* rule = projectRuleFor(project, index)) return rule->kind;
  const std::string ext = extensionOf(name);
  if (!ext.empty() && listed(project.dialogExtensions, ext)) return FileKind::Dialog;
  if (!ext.empty() && listed(project.mapExtensions, ext)) return FileKind::Map;
  if (project.detectGwh && looksLikeGwh(decoded.data, decoded.size)) return FileKind::Gwh;
  return FileKind::Raw;
}

void problem(Unpack& u, const Status& status) {
  if (!status.message.empty()) u.messages.print(status.message);
  u.problems = true;
}

bool keep(Unpack& u, Result<ArtefactState> written) {
  if (!written.ok()) {
    problem(u, written.status);
    return false;
  }
  u.state.artefacts.push_back(std::move(written.value));
  return true;
}

void writeArtefacts(Unpack& u, uint32_t index, const std::vector<Artefact>& artefacts) {
  for (const Artefact& a : artefacts) keep(u, writeArtefact(u.ws, index, a.path, a.bytes));
}

// The decompressed bytes of the stored file in u.stored; `file` learns its
// compression.
Result<Decoded> decodeStored(Unpack& u, bool compressed, const std::string& name,
                             ImageFileState* file) {
  if (!compressed) return {{u.stored.data(), u.stored.size()}, Status()};
  file->compression = lbaCompressionType(u.stored.data(), uint32_t(u.stored.size()));
  Result<uint32_t> size = cxDecompressReusing(u.stored.data(), uint32_t(u.stored.size()),
                                              name.c_str(), u.decodeBuffer, u.messages);
  if (!size.ok()) return {Decoded(), size.status};
  return {{u.decodeBuffer.data() + kCxHistory, size.value}, Status()};
}

// A headerless bitmap needs its palette file, which may come after it.
void unpackGnop(Unpack& u, uint32_t index) {
  const FileRule* rule = projectRuleFor(*u.converters.project, index);
  std::vector<uint8_t> bitmap, palettes;
  Status read = readFilesArtefact(u.ws, u.state, index, &bitmap);
  if (read.ok()) read = readFilesArtefact(u.ws, u.state, rule->gnop.paletteIndex, &palettes);
  if (!read.ok()) return problem(u, read);
  Result<std::vector<Artefact>> artefacts =
      exportArtefacts(u.converters, FileKind::Gnop, index, formatText("%04u", index), bitmap,
                      &palettes, u.messages);
  if (!artefacts.ok()) return problem(u, artefacts.status);
  writeArtefacts(u, index, artefacts.value);
}

// A plain file that needs no conversion is copied inside the kernel, as
// kvolba -e copies, and not hashed: its state says so (hash 0) and a later
// check compares it with its bytes in the image. False when that does not
// apply (the caller then reads it as any other file).
bool copiedInKernel(Unpack& u, const LbaImage& image, FILE* stream, uint32_t index) {
  const LbaFile& f = image.files[index];
  if (!KVO_PLAT_KERNEL_COPY || f.compressed || f.size > f.span) return false;
  uint8_t head[16];
  const uint32_t n = f.size < sizeof head ? f.size : uint32_t(sizeof head);
  if (!seekUnnamed(stream, int64_t(f.offset), SEEK_SET).ok()) return false;
  Result<size_t> got = readUnnamed(stream, head, 1, n);
  if (!got.ok() || got.value != n) return false;
  const std::string name = lbaBaseName(index, false, head, n);
  if (kindOf(*u.converters.project, index, name, Decoded{head, f.size}) != FileKind::Raw)
    return false;
  const std::string relative = std::string(kFilesFolder) + "/" + name;
  const std::string path = workspacePath(u.ws, relative);
  FILE* out = platReplaceOpen(path.c_str(), "wb");
  if (!out) return false;
  PlatKernelCopy copy = platCopyRangeInKernel(stream, f.offset, out, f.size);
  if (!copy.ok || copy.error != 0) {
    platReplaceDiscard(out);
    return false;
  }
  ArtefactState a{index, relative, 0, 0, 0};
  if (!platReplaceCommit(out) || !platFileTime(path, &a.size, &a.modified)) {
    problem(u, failure("ERROR: cannot write file : %s\n", path.c_str()));
    return true;
  }
  lbaReportShortFile(image, index, copy.done, f.size, u.messages);
  progressAdvance(u.progress, copy.done);
  ImageFileState file;
  file.index = index;
  file.entry = f.entry;
  file.offset = f.offset;
  file.span = f.span;
  file.storedSize = file.decodedSize = copy.done;
  file.kind = FileKind::Raw;
  u.state.files.push_back(file);
  u.state.artefacts.push_back(a);
  return true;
}

void unpackFile(Unpack& u, const LbaImage& image, FILE* stream, uint32_t index) {
  if (copiedInKernel(u, image, stream, index)) return;
  const LbaFile& f = image.files[index];
  std::vector<uint8_t>& stored = u.stored;
  Status read = lbaReadFile(image, stream, index, &stored, u.messages);
  if (!read.ok()) return problem(u, read);
  ImageFileState file;
  file.index = index;
  file.entry = f.entry;
  file.offset = f.offset;
  file.span = f.span;
  file.storedSize = uint32_t(stored.size());
  const uint32_t head = uint32_t(std::min<size_t>(stored.size(), 16));
  const std::string name = lbaBaseName(index, f.compressed, stored.data(), head);
  const std::string filesPath = std::string(kFilesFolder) + "/" + name;
  progressAdvance(u.progress, stored.size());
  Result<Decoded> decoded = decodeStored(u, f.compressed, filesPath, &file);
  if (!decoded.ok()) return problem(u, decoded.status);
  const Decoded& bytes = decoded.value;
  file.decodedSize = uint32_t(bytes.size);
  file.decodedHash = contentHash(bytes.data, bytes.size);
  file.kind = kindOf(*u.converters.project, index, name, bytes);
  u.state.files.push_back(file);
  if (!keep(u, writeArtefact(u.ws, index, filesPath, bytes.data, bytes.size, file.decodedHash)))
    return;
  if (file.kind == FileKind::Gnop) return u.gnopFiles.push_back(index);
  if (file.kind == FileKind::Raw || file.kind == FileKind::Skip) return;
  Result<std::vector<Artefact>> artefacts =
      exportArtefacts(u.converters, file.kind, index, name, bytes.copy(), nullptr, u.messages);
  if (!artefacts.ok()) return problem(u, artefacts.status);
  writeArtefacts(u, index, artefacts.value);
}
// Unpacking again starts from an empty project: what the last unpack wrote
// goes (a picture it no longer finds would otherwise stay behind).
void removeArtefacts(const Workspace& ws) {
  Result<ProjectState> old = workspaceState(ws);
  if (!old.ok()) return;
  for (const ArtefactState& a : old.value.artefacts) platRemove(workspacePath(ws, a.path).c_str());
}
}  // namespace

int runUnpack(const UnpackOptions& options) {
  Unpack u;
  u.messages = Messages{[&u](const std::string& text) {
    progressEnd(u.progress);
    std::fputs(text.c_str(), stderr);
  }};
  Result<Workspace> ws = workspaceOpen(options.dir);
  if (!ws.ok()) return reportFailure(ws.status);
  u.ws = std::move(ws.value);
  PlatStat st;
  const bool unpacked = platStat(workspacePath(u.ws, kStatePath).c_str(), &st);
  if (unpacked && !options.force)
    return reportFailure(
        failure("ERROR: the project is unpacked already; unpacking again would replace your work "
                "(kvo status shows it; --force unpacks anyway) : %s\n",
                u.ws.root.c_str()));
  Result<Converters> converters = loadConverters(u.ws, u.messages);
  if (!converters.ok()) return reportFailure(converters.status);
  u.converters = converters.value;
  Status sized = checkImageSize(u.ws);
  if (!sized.ok()) return reportFailure(sized);
  // An image as kvo init saw it is not hashed again.
  const bool seen = imageSeenUnchanged(u.ws);
  std::future<Result<std::string>> sha;
  if (!seen) sha = hashImageAsync(u.ws.imagePath);
  Result<LbaImage> image = lbaLoad(u.ws.imagePath.c_str(), LbaSettings(), u.messages);
  if (!image.ok()) return reportFailure(image.status);
  Result<LbaStream> stream = lbaOpenStream(u.ws.imagePath.c_str(), "rb");
  if (!stream.ok()) return reportFailure(stream.status);
  if (unpacked) removeArtefacts(u.ws);
  platMakeFolders(workspacePath(u.ws, kFilesFolder));
  u.progress = progressStart("unpack", image.value.fileCount());
  for (uint32_t i = 0; i < image.value.fileCount(); ++i)
    unpackFile(u, image.value, stream.value.get(), i);
  for (uint32_t index : u.gnopFiles) unpackGnop(u, index);
  progressEnd(u.progress);
  Result<std::string> digest =
      seen ? Result<std::string>{u.ws.project.imageSha256, Status()} : sha.get();
  Status same = digest.ok() ? checkImageHash(u.ws.imagePath, u.ws.project.imageSha256, digest.value)
                            : digest.status;
  if (!same.ok()) return reportFailure(same);
  u.state.imageSha256 = digest.value;
  platFileTime(u.ws.imagePath, &u.state.imageSize, &u.state.imageModified);
  Status saved = saveState(u.ws, u.state);
  if (!saved.ok()) return reportFailure(saved);
  std::printf("kvo unpack: %s into %s (%s)%s\n",
              counted(u.state.files.size(), "file", "files").c_str(), u.ws.root.c_str(),
              counted(u.state.artefacts.size(), "artefact", "artefacts").c_str(),
              u.problems ? ", with problems" : "");
  return u.problems ? kProblems : kDone;
}
