#include "lba/lba_image.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "common/le.h"
#include "common/streams.h"
#include "platform/platform.h"

uint32_t lbaEntryWord(const uint8_t* table, uint32_t entry) { return rd32(table + 4 * entry); }
uint32_t lbaStartSector(const uint8_t* table, uint32_t entry) {
  return lbaEntryWord(table, entry) & kLbaStartSectorMask;
}
bool lbaIsCompressed(const uint8_t* table, uint32_t entry) {
  return (table[4 * entry + 2] & kLbaCompressedBit) != 0;
}
bool lbaIsEmpty(const uint8_t* table, uint32_t entry) {
  return (table[4 * entry + 2] & kLbaEmptyBit) != 0;
}
uint32_t lbaPaddingDiv8(const uint8_t* table, uint32_t entry) { return table[4 * entry + 3]; }

uint32_t lbaSizesRecord(const uint8_t* sizes, uint32_t entry) {
  const uint8_t* p = sizes + kLbaSizesRecordBytes * entry;
  return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
}

namespace {

// The stat family's load at an offset, but positioned with a 64-bit offset and
// zero-filled where the image ends before `length` bytes.
Result<std::vector<uint8_t>> loadAt(const char* path, uint64_t offset, uint32_t length) {
  Result<std::vector<uint8_t>> loaded;
  if (length == 0) {
    loaded.status = failure("ERROR: file \"%s\" has zero size\n", path);
    return loaded;
  }
  Result<FILE*> opened = openStream(path, "rb");
  if (!opened.ok()) {
    loaded.status = opened.status;
    return loaded;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> fp(opened.value, std::fclose);
  if (offset != 0 && (platFseek64(fp.get(), static_cast<int64_t>(offset), SEEK_SET) != 0 ||
                      std::ferror(fp.get()))) {
    loaded.status = failure("ERROR: can't seek %lldB in file : %s : %s \n",
                            static_cast<long long>(offset), path, std::strerror(errno));
    return loaded;
  }
  loaded.value.assign(length, 0);
  Result<size_t> got = readNamed(fp.get(), path, loaded.value.data(), 1, length);
  if (!got.ok()) {
    loaded.status = got.status;
    return loaded;
  }
  loaded.status = closeNamed(fp.release(), path);
  return loaded;
}

// The image's length (by seeking, so that a disc device reports its size too).
uint64_t imageBytes(const char* path) {
  FILE* fp = platFopen(path, "rb");
  if (!fp) return 0;
  int64_t end = platFseek64(fp, 0, SEEK_END) == 0 ? platFtell64(fp) : 0;
  std::fclose(fp);
  return end > 0 ? static_cast<uint64_t>(end) : 0;
}

const uint32_t kSizesLoadMax = 1u << 20;

bool isFileEntry(const uint8_t* table, uint32_t entryCount, uint32_t e) {
  return e < entryCount && e < kLbaMaxEntries - 1 && !lbaIsEmpty(table, e) &&
         lbaStartSector(table, e + 1) != 0;
}

}  // namespace

void lbaCheckZeroed(const uint8_t* table, const Messages& messages) {
  uint32_t e = 0;
  for (; e < kLbaMaxEntries; ++e) {
    uint32_t start = lbaStartSector(table, e);
    if (start == 0) break;
    if (e == kLbaMaxEntries - 1) return;
    uint32_t next = lbaStartSector(table, e + 1);
    if (lbaIsEmpty(table, e) && next != 0 && next != start)
      report(messages,
             "WARN: lba entry %u : 'empty' flag, but next sector starts differ : %u vs %u", e,
             start, next);
  }
  for (uint32_t z = e + 1; z < kLbaMaxEntries; ++z) {
    if (lbaStartSector(table, z) != 0) {
      report(messages, "WARN: lba entry %u expected 'zeroed', first 'zeroed' was '%u'", z, e);
      return;
    }
  }
}

uint32_t lbaCountEntries(const uint8_t* table) {
  uint32_t count = 0;
  while (count < kLbaMaxEntries && lbaStartSector(table, count) != 0) ++count;
  return count;
}

int64_t lbaFindOrderFault(const uint8_t* table, uint32_t entryCount) {
  for (uint32_t i = 0; i + 1 < entryCount; ++i)
    if (lbaStartSector(table, i) > lbaStartSector(table, i + 1)) return i;
  return -1;
}

void lbaBuildFileList(LbaImage& image) {
  const uint8_t* table = image.table.data();
  image.files.clear();
  for (uint32_t e = 0; e < image.entryCount; ++e) {
    if (!isFileEntry(table, image.entryCount, e)) continue;
    uint32_t start = lbaStartSector(table, e);
    uint32_t sectors = lbaStartSector(table, e + 1) - start;
    LbaFile f;
    f.offset = static_cast<uint64_t>(start) * kLbaSectorBytes;
    f.size = (sectors * (kLbaSectorBytes / kLbaPaddingUnit) - lbaPaddingDiv8(table, e)) *
             kLbaPaddingUnit;
    f.span = sectors * kLbaSectorBytes;
    f.entry = e;
    f.compressed = lbaIsCompressed(table, e);
    image.files.push_back(f);
  }
}

LbaSizesPlan lbaPlanSizes(const uint8_t* table, uint32_t entryCount) {
  LbaSizesPlan plan;
  uint32_t d = lbaStartSector(table, kLbaSizesEntry + 1) - lbaStartSector(table, kLbaSizesEntry);
  plan.offset = static_cast<uint64_t>(lbaStartSector(table, kLbaSizesEntry)) * kLbaSectorBytes;
  plan.fileBytes =
      (d * (kLbaSectorBytes / kLbaPaddingUnit) - lbaPaddingDiv8(table, kLbaSizesEntry)) *
      kLbaPaddingUnit;
  plan.spanBytes = d * kLbaSectorBytes;
  plan.need = entryCount * kLbaSizesRecordBytes;
  plan.tooFew = plan.fileBytes < plan.need - kLbaSizesRecordBytes;
  plan.tooSmallRoom = !plan.tooFew && plan.spanBytes < plan.need;
  // Only the records and the file's own bytes are ever used or written back;
  // the rest of its room stays on disc as it is. A sizes file holds at most
  // 32768 records: anything much larger comes from a damaged table, and is not
  // held in memory beyond the records.
  plan.loadBytes = std::min(plan.spanBytes, std::max(plan.fileBytes, plan.need));
  plan.loadBytes = std::min(plan.loadBytes, std::max(plan.need, kSizesLoadMax));
  return plan;
}

void lbaCheckSizes(const LbaImage& image, const Messages& messages) {
  const uint8_t* table = image.table.data();
  const uint8_t* sizes = image.sizes.data();
  const uint32_t unitsPerSector = kLbaSectorBytes / kLbaPaddingUnit;
  uint32_t filei = 0;
  for (uint32_t i = 0; i + 1 < image.entryCount; ++i) {
    uint32_t s = lbaSizesRecord(sizes, i);
    if (lbaIsEmpty(table, i)) {
      if (s != 0)
        report(messages, "WARN: lba set 'empty', but size is non zero : i=%u : size %X\n", i, s);
      continue;
    }
    if (i >= kLbaMaxEntries - 1 || lbaStartSector(table, i + 1) == 0) continue;
    if (i != kLbaSizesEntry && !lbaIsCompressed(table, i)) {
      uint32_t max = (lbaStartSector(table, i + 1) - lbaStartSector(table, i)) * unitsPerSector;
      uint32_t padding = lbaPaddingDiv8(table, i);
      uint32_t computed = max - padding;
      if (s > max) {
        report(messages,
               "WARN: size(div8) bigger than max (starts diff): i=%u, filei=%u : %X vs %X\n", i,
               filei, s, max);
      } else if (!(padding == kLbaPaddingMax && s <= computed) &&
                 !(computed == unitsPerSector && s == 0) && s != (computed & 0xFFFFFF)) {
        report(messages,
               "WARN: size(div8) read vs computed from lba differ: i=%u, filei=%u : %X vs %X\n", i,
               filei, s, computed);
      }
    }
    ++filei;
  }
  if (image.entryCount == 0) return;
  uint32_t t = image.entryCount - 1;
  if (!lbaIsEmpty(table, t)) report(messages, "WARN: last nonzero lba expected empty : id=%u\n", t);
  uint32_t last = lbaSizesRecord(sizes, t);
  if (last != 0)
    report(messages, "WARN: last nonzero lba expected to have zero size : id=%u : size %u\n", t,
           last);
}

namespace {

// Loads the sizes file when it can hold its records. Without updateSizes an
// unusable one is only warned about, and the image then has none.
Status loadSizes(LbaImage& image, const Messages& messages) {
  const char* path = image.path.c_str();
  LbaSizesPlan plan = lbaPlanSizes(image.table.data(), image.entryCount);
  const bool update = image.settings.updateSizes;
  const char* level = update ? "ERROR" : "WARN";
  std::string problem;
  if (plan.tooFew || (plan.tooSmallRoom && !update)) {
    problem = formatText("%s: %uth file with filessizes must have at last %u bytes : have %u\n",
                         level, kLbaSizesEntry, plan.need - kLbaSizesRecordBytes, plan.fileBytes);
  } else if (plan.tooSmallRoom) {
    problem = formatText(
        "ERROR: %uth file with filessizes must have maxsize at last %u bytes : have %u\n",
        kLbaSizesEntry, plan.need, plan.spanBytes);
  } else {
    // A damaged table may put the sizes file past the end of the image; it is
    // never read (nor allocated) beyond what the image holds.
    uint64_t have = imageBytes(path);
    if (plan.offset > have || have - plan.offset < plan.loadBytes)
      problem = formatText("%s: %uth file with filessizes ends past the end of the image : %s\n",
                           level, kLbaSizesEntry, path);
  }
  if (!problem.empty()) {
    if (update) return Status{true, problem};
    report(messages, "%s", problem.c_str());
    image.sizesFileIndex = image.entryCount;
    return Status();
  }
  Result<std::vector<uint8_t>> sizes = loadAt(path, plan.offset, plan.loadBytes);
  if (!sizes.ok()) return sizes.status;
  image.sizes = std::move(sizes.value);
  image.sizesLength = std::min(plan.fileBytes, plan.loadBytes);
  image.sizesFileIndex = lbaFileIndexOf(image, kLbaSizesEntry);
  lbaCheckSizes(image, messages);
  return Status();
}

}  // namespace

Result<LbaImage> lbaLoad(const char* path, const LbaSettings& settings, const Messages& messages) {
  Result<LbaImage> loaded;
  LbaImage& image = loaded.value;
  image.path = path;
  image.settings = settings;
  Result<std::vector<uint8_t>> table = loadAt(path, kLbaTableOffset, kLbaTableBytes);
  if (!table.ok()) {
    loaded.status = table.status;
    return loaded;
  }
  image.table = std::move(table.value);
  lbaCheckZeroed(image.table.data(), messages);
  image.entryCount = lbaCountEntries(image.table.data());
  int64_t fault = lbaFindOrderFault(image.table.data(), image.entryCount);
  if (fault >= 0) {
    uint32_t i = static_cast<uint32_t>(fault);
    loaded.status =
        failure("ERROR: lba entry %u : sector start bigger than next : %u vs %u", i,
                lbaStartSector(image.table.data(), i), lbaStartSector(image.table.data(), i + 1));
    return loaded;
  }
  lbaBuildFileList(image);
  loaded.status = loadSizes(image, messages);
  return loaded;
}

Result<LbaStream> lbaOpenStream(const char* path, const char* mode) {
  Result<LbaStream> opened;
  Result<FILE*> fp = openStream(path, mode);
  if (!fp.ok()) {
    opened.status = fp.status;
    return opened;
  }
  opened.value.fp.reset(fp.value);
  // An import writes whole files through this stream in small pieces; a
  // large buffer keeps the system calls few. Reading needs none: extraction
  // reads only a file's first bytes through it.
  if (std::strchr(mode, '+')) {
    opened.value.buffer.reset(new (std::nothrow) char[kLbaStreamBuffer]);
    if (opened.value.buffer)
      std::setvbuf(fp.value, opened.value.buffer.get(), _IOFBF, kLbaStreamBuffer);
  }
  return opened;
}

uint32_t lbaFileIndexOf(const LbaImage& image, uint32_t entry) {
  if (!isFileEntry(image.table.data(), image.entryCount, entry)) return image.entryCount;
  auto f = std::lower_bound(image.files.begin(), image.files.end(), entry,
                            [](const LbaFile& a, uint32_t e) { return a.entry < e; });
  return static_cast<uint32_t>(f - image.files.begin());
}

Result<uint32_t> lbaCopySize(const LbaImage& image, uint32_t fileIndex, const Messages& messages) {
  Result<uint32_t> size;
  if (fileIndex >= image.fileCount()) {
    size.status = failure("WARN: index out of range : %u : %s\n", fileIndex, image.path.c_str());
    return size;
  }
  const LbaFile& f = image.files[fileIndex];
  // Only an entry with no room and some padding has a size above its room: it wrapped.
  if (f.size > f.span) {
    report(messages,
           "WARN: file size bigger than its space, not copied : %u vs %u : index %u : %s\n", f.size,
           f.span, fileIndex, image.path.c_str());
    return size;
  }
  size.value = f.size;
  return size;
}

void lbaReportShortFile(const LbaImage& image, uint32_t fileIndex, uint32_t done, uint32_t size,
                        const Messages& messages) {
  if (done < size)
    report(messages, "WARN: image ends inside the file, copied %u of %u bytes : index %u : %s\n",
           done, size, fileIndex, image.path.c_str());
}

Status lbaReadFile(const LbaImage& image, FILE* imageStream, uint32_t fileIndex,
                   std::vector<uint8_t>* out, const Messages& messages) {
  out->clear();
  Result<uint32_t> size = lbaCopySize(image, fileIndex, messages);
  if (!size.ok() || size.value == 0) return size.status;
  Status sought =
      seekUnnamed(imageStream, static_cast<int64_t>(image.files[fileIndex].offset), SEEK_SET);
  if (!sought.ok()) return sought;
  out->resize(size.value);
  Result<size_t> got = readUnnamed(imageStream, out->data(), 1, size.value);
  if (!got.ok()) return got.status;
  out->resize(got.value);
  lbaReportShortFile(image, fileIndex, static_cast<uint32_t>(got.value), size.value, messages);
  return Status();
}

Status lbaWriteHeader(const LbaImage& image, FILE* fp) {
  Status done = seekUnnamed(fp, kLbaTableOffset, SEEK_SET);
  if (done.ok()) done = writeUnnamed(fp, image.table.data(), 1, image.entryCount * 4);
  if (done.ok() && image.settings.updateSizes && !image.sizes.empty()) {
    done = seekUnnamed(
        fp,
        static_cast<int64_t>(lbaStartSector(image.table.data(), kLbaSizesEntry)) * kLbaSectorBytes,
        SEEK_SET);
    if (done.ok()) done = writeUnnamed(fp, image.sizes.data(), 1, image.sizesLength);
  }
  if (!done.ok()) return done;
  // The stream is closed without a check; whatever it still buffers must reach
  // the image now, or the run must say it did not.
  if (std::fflush(fp) != 0)
    return failure("ERROR: can't write to file : %s\n", std::strerror(errno));
  return Status();
}

void lbaSetPadding(LbaImage& image, uint32_t entry, uint32_t span, uint32_t size) {
  uint32_t unused = span - size;
  image.table[4 * entry + 3] =
      static_cast<uint8_t>(unused >= kLbaSectorBytes ? kLbaPaddingMax : unused / kLbaPaddingUnit);
}

void lbaSetSizesRecord(std::vector<uint8_t>& sizes, uint32_t entry, uint32_t bytes) {
  if (sizes.empty()) return;
  uint32_t units = (bytes + kLbaPaddingUnit - 1) / kLbaPaddingUnit;
  uint8_t* p = sizes.data() + kLbaSizesRecordBytes * entry;
  p[0] = static_cast<uint8_t>(units);
  p[1] = static_cast<uint8_t>(units >> 8);
  p[2] = static_cast<uint8_t>(units >> 16);
}
