#include "lba/lba_import.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "common/fileio.h"
#include "common/le.h"
#include "common/streams.h"
#include "lba/dirlist.h"
#include "lba/lba_extract.h"
#include "lba/lba_names.h"

namespace {

const uint32_t kZeroBytes = 4096;

Status writeZeros(FILE* out, uint32_t length) {
  static const uint8_t kZeros[kZeroBytes] = {};
  while (length) {
    uint32_t n = std::min(length, kZeroBytes);
    Status written = writeUnnamed(out, kZeros, 1, n);
    if (!written.ok()) return written;
    length -= n;
  }
  return Status();
}

Status checkIndex(const LbaImage& image, uint32_t fileIndex, const char* name) {
  if (fileIndex < image.fileCount()) return Status();
  return failure("WARN: index out of range : %u : %s: %s\n", fileIndex, name, image.path.c_str());
}

// The first bytes of a file, zero-filled to a whole compressed file header.
struct Header {
  uint8_t bytes[kCxHeaderSize] = {};
  Header(const uint8_t* data, uint32_t have) {
    std::memcpy(bytes, data, std::min(have, kCxHeaderSize));
  }
};

// Every refusal of a file of `size` bytes whose first bytes are `header`.
Status checkFile(const LbaImage& image, uint32_t fileIndex, const Header& header, uint32_t size,
                 const char* name) {
  Status allowed = lbaCheckImport(image, fileIndex, size, name);
  if (!allowed.ok()) return allowed;
  // The game's loader knows only some compression types: an uncompressed
  // file in a compressed slot above all is refused.
  if (image.files[fileIndex].compressed && !knownCompressionType(header.bytes[0]))
    return failure("WARN: not importing : unknown compression type (%u) for compressed file : %s\n",
                   static_cast<unsigned>(header.bytes[0]), name);
  return Status();
}

// Writes an accepted file of `size` bytes of which the first `have` are in
// `data` (fewer when it got shorter while it was read) and updates the table
// and the sizes record.
Status writeFile(LbaImage& image, FILE* out, uint32_t fileIndex, const uint8_t* data, uint32_t have,
                 uint32_t size, const char* name, const Messages& messages) {
  LbaFile& f = image.files[fileIndex];
  Status done = seekUnnamed(out, static_cast<int64_t>(f.offset), SEEK_SET);
  if (done.ok()) done = writeUnnamed(out, data, 1, have);
  if (!done.ok()) return done;
  if (have < size)
    report(messages, "WARN: file got shorter while importing, %u of %u bytes written : %s\n", have,
           size, name);
  // The rest of the room is cleared, and nothing is written beyond it.
  done = writeZeros(out, f.span - have);
  if (!done.ok()) return done;

  uint32_t counted = size + static_cast<uint32_t>(f.compressed ? image.settings.padCompressed
                                                               : image.settings.padUncompressed);
  f.size = counted;
  lbaSetPadding(image, f.entry, f.span, counted);
  lbaSetSizesRecord(image.sizes, f.entry, f.compressed ? rd32(Header(data, have).bytes + 1) : size);
  return Status();
}

// Reads the file at `path` for file `fileIndex` and imports it. A refusal
// goes to `messages` and leaves *refused set; failures to read end the import.
Status importPath(LbaImage& image, FILE* out, uint32_t fileIndex, const char* path, bool* refused,
                  const Messages& messages) {
  Status allowed = checkIndex(image, fileIndex, path);
  Result<uint32_t> size;
  if (allowed.ok()) {
    size = regularFileSize(path);
    if (!size.ok()) return size.status;
    allowed = lbaCheckImport(image, fileIndex, size.value, path);
  }
  if (!allowed.ok()) {
    report(messages, "%s", allowed.message.c_str());
    *refused = true;
    return Status();
  }
  Result<FILE*> in = openStream(path, "rb");
  if (!in.ok()) return in.status;
  std::unique_ptr<FILE, int (*)(FILE*)> held(in.value, std::fclose);
  std::vector<uint8_t> data(size.value);
  Result<size_t> got = readUnnamed(held.get(), data.data(), 1, size.value);
  if (!got.ok()) return got.status;
  const uint32_t have = static_cast<uint32_t>(got.value);
  allowed = checkFile(image, fileIndex, Header(data.data(), have), size.value, path);
  if (!allowed.ok()) {
    report(messages, "%s", allowed.message.c_str());
    *refused = true;
    return Status();
  }
  return writeFile(image, out, fileIndex, data.data(), have, size.value, path, messages);
}

}  // namespace

Status lbaCheckImport(const LbaImage& image, uint32_t fileIndex, uint32_t size, const char* name) {
  Status inRange = checkIndex(image, fileIndex, name);
  if (!inRange.ok()) return inRange;
  if (static_cast<int32_t>(size) <= 0)
    return failure("WARN: not importing : file have 'no' size (%ld bytes) : %s\n",
                   static_cast<long>(static_cast<int32_t>(size)), name);
  const LbaFile& f = image.files[fileIndex];
  uint32_t counted = size + static_cast<uint32_t>(f.compressed ? image.settings.padCompressed
                                                               : image.settings.padUncompressed);
  if (counted > f.span)
    return failure("WARN: not importing : file bigger (%lu) than available space (%u) : %s\n",
                   static_cast<unsigned long>(counted), f.span, name);
  if (f.compressed && size < kCxHeaderSize)
    return failure(
        "WARN: not importing : file smaller (%lu) than min for compressed file (%u) : %s\n",
        static_cast<unsigned long>(size), kCxHeaderSize, name);
  return Status();
}

Status lbaImportBytes(LbaImage& image, FILE* imageStream, uint32_t fileIndex, const uint8_t* data,
                      uint32_t size, const char* name, const Messages& messages) {
  Status allowed = checkFile(image, fileIndex, Header(data, size), size, name);
  if (!allowed.ok()) return allowed;
  return writeFile(image, imageStream, fileIndex, data, size, size, name, messages);
}

Status lbaImport(const char* imagePath, const char* source, const LbaSettings& settings,
                 const Messages& messages) {
  Result<dirList> found = dirListNew(source, messages);
  if (!found.ok()) return found.status;
  const dirList& list = found.value;
  if (list.fileCount == 0) {
    report(messages, "ERROR: no import, no files found for expresion: %s\n", source);
    return failureReported();
  }
  Result<LbaImage> loaded = lbaLoad(imagePath, settings, messages);
  if (!loaded.ok()) return loaded.status;
  LbaImage& image = loaded.value;
  Result<LbaStream> stream = lbaOpenStream(imagePath, "rb+");
  if (!stream.ok()) return stream.status;
  FILE* out = stream.value.get();
  bool written = false;
  bool refused = false;
  std::string sizesFilePath;
  for (uint32_t i = 0; i < list.fileCount; ++i) {
    const char* end = nullptr;
    int32_t number = lbaReadIndex(list.fileNames[i], &end);
    if (end == list.fileNames[i]) {
      report(messages, "WARN: file name doesnt start with index : %s\n", list.filePaths[i]);
      refused = true;
      continue;
    }
    uint32_t index = static_cast<uint32_t>(number);
    bool wasRefused = refused;
    refused = false;
    Status imported = importPath(image, out, index, list.filePaths[i], &refused, messages);
    if (!imported.ok()) return imported;
    written = written || !refused;
    refused = refused || wasRefused;
    if (index == image.sizesFileIndex) sizesFilePath = list.filePaths[i];
  }
  if (written) {
    Status header = lbaWriteHeader(image, out);
    if (!header.ok()) return header;
    if (settings.updateSizes && !sizesFilePath.empty()) {
      report(messages, "WARN: imported file with index %u is 'sizesfile' : %s\n",
             image.sizesFileIndex, sizesFilePath.c_str());
      report(messages, "      file data will be overwritten by header update\n");
      report(messages, "      (use '-ns' parameter to not update 'sizesfile')\n");
    }
  }
  return refused ? failureReported() : Status();
}
