#include "lba/lba_import.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/le.h"
#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "lba/dirlist.h"
#include "lba/filecopy.h"
#include "lba/lba_extract.h"
#include "lba/lba_names.h"

namespace {

const uint32_t kCopyBytes = 4096;
const uint32_t kHeaderBytes = 5;


void writeZeros(FILE* out, uint32_t length) {
  static const uint8_t kZeros[kCopyBytes] = {};
  while (length) {
    uint32_t n = std::min(length, kCopyBytes);
    fwriteU(kZeros, 1, n, out);
    length -= n;
  }
}

// Reads the header of a file for a compressed slot into `header` (*done: the
// bytes read). False, with the refusal, when its type byte is none the game's
// loader knows: an uncompressed file above all.
bool readCompressedHeader(FILE* in, const char* path, uint8_t* header, uint32_t* done) {
  *done = static_cast<uint32_t>(freadU(header, 1, kHeaderBytes, in));
  if (knownCompressionType(header[0])) return true;
  report("WARN: not importing : unknown compression type (%u) for compressed file : %s\n",
         static_cast<unsigned>(header[0]), path);
  return false;
}

}  // namespace

bool lbaImportFile(LbaImage* image, uint32_t fileIndex, const char* path) {
  if (fileIndex >= image->fileCount) {
    report("WARN: index out of range : %u : %s: %s\n", fileIndex, path, image->path);
    return false;
  }
  uint32_t size = fileSizeE(path);
  if (static_cast<int32_t>(size) <= 0) {
    report("WARN: not importing : file have 'no' size (%ld bytes) : %s\n",
           static_cast<long>(static_cast<int32_t>(size)), path);
    return false;
  }
  LbaFile& f = image->files[fileIndex];
  uint32_t counted = size + static_cast<uint32_t>(f.compressed ? image->padCompressed
                                                               : image->padUncompressed);
  if (counted > f.span) {
    report("WARN: not importing : file bigger (%lu) than available space (%u) : %s\n",
           static_cast<unsigned long>(counted), f.span, path);
    return false;
  }
  if (f.compressed && size < kHeaderBytes) {
    report("WARN: not importing : file smaller (%lu) than min for compressed file (%u) : %s\n",
           static_cast<unsigned long>(size), kHeaderBytes, path);
    return false;
  }

  static char inBuffer[kLbaStreamBuffer];
  FILE* in = fopenU(path, "rb");
  std::setvbuf(in, inBuffer, _IOFBF, sizeof inBuffer);
  uint8_t header[kHeaderBytes] = {};
  uint32_t done = 0;
  if (f.compressed && !readCompressedHeader(in, path, header, &done)) {
    std::fclose(in);
    return false;
  }
  FILE* out = image->stream;
  fseekU(out, static_cast<int64_t>(f.offset), SEEK_SET);
  if (done) fwriteU(header, 1, done, out);
  uint32_t uncompressed = f.compressed ? rd32(header + 1) : size;
  done += lbaCopyStream(in, out, size - done);
  std::fclose(in);
  if (done < size)
    report("WARN: file got shorter while importing, %u of %u bytes written : %s\n", done, size,
           path);
  // The rest of the room is cleared, and nothing is written beyond it.
  writeZeros(out, f.span - done);

  f.size = counted;
  lbaSetPadding(image, f.entry, f.span, counted);
  lbaSetSizesRecord(image->sizes, f.entry, uncompressed);
  return true;
}

bool lbaImport(const char* imagePath, const char* source) {
  dirList* list = dirListNew(source);
  if (!list || list->fileCount == 0) {
    dirListFree(list);
    report("ERROR: no import, no files found for expresion: %s\n", source);
    return false;
  }
  LbaImage* image = lbaOpen(imagePath);
  lbaStream(image, "rb+");
  bool written = false;
  bool refused = false;
  std::string sizesFilePath;
  for (uint32_t i = 0; i < list->fileCount; ++i) {
    const char* end = nullptr;
    int32_t number = lbaReadIndex(list->fileNames[i], &end);
    if (end == list->fileNames[i]) {
      report("WARN: file name doesnt start with index : %s\n", list->filePaths[i]);
      refused = true;
      continue;
    }
    uint32_t index = static_cast<uint32_t>(number);
    bool imported = lbaImportFile(image, index, list->filePaths[i]);
    written = written || imported;
    refused = refused || !imported;
    if (index == image->sizesFileIndex) sizesFilePath = list->filePaths[i];
  }
  if (written) {
    lbaWriteHeader(image);
    if (image->updateSizes && !sizesFilePath.empty()) {
      report("WARN: imported file with index %u is 'sizesfile' : %s\n", image->sizesFileIndex,
             sizesFilePath.c_str());
      report("      file data will be overwritten by header update\n");
      report("      (use '-ns' parameter to not update 'sizesfile')\n");
    }
  }
  dirListFree(list);
  lbaCloseStream(image);
  lbaFree(image);
  return !refused;
}
