#include "lba/lba_names.h"

#include <cstdio>
#include <cstring>

namespace {

struct FileType {
  const char* pattern;
  uint32_t length;
  uint32_t offset;
  const char* extension;
};

// Text magics, looked for in plain files and behind a compressed file's header.
const FileType kTextMagics[] = {
    {"ELF", 3, 1, ".elf"}, {"EV", 2, 0, ".ev"},     {"BGM", 3, 0, ".bgm"},   {"MAP", 3, 0, ".map"},
    {"VS", 2, 0, ".vs"},   {"FTCX", 4, 0, ".ftcx"}, {"YNDT", 4, 0, ".yndt"}, {"WD", 2, 0, ".wd"},
};

// How the compressed token streams of the known kinds begin.
const FileType kStreamStarts[] = {
    {"\x01\x01\xB0\x09", 4, 0, ".mt"},
    {"\x01\x01\xC0\x0B", 4, 0, ".mt"},
    {"\x90\x00\x01\x0B\x80\x03\x01\x02", 8, 0, ".vvm"},
    {"\x88\x00\x01\x0B\x80\x03\x01\x02", 8, 0, ".vvm"},
    {"\x90\x00\x01\x0A\x80\x03\x01", 7, 0, ".vvm2"},
    {"\x88\x00\x01\x0A\x80\x03\x01", 7, 0, ".vvm2"},
    {"\x90\x00\x01\x01\xC0\x07", 6, 0, ".vva"},
    {"\x90\x00\x01\x01\xD0\x08", 6, 0, ".vva"},
    {"\x88\x00\x01\x01\xA0\x07", 6, 0, ".vva"},
    {"\x88\x00\x01\x01\xA8\x08", 6, 0, ".vva"},
    {"\x01\x08\x80\x03\x01\x30", 6, 0, ".bt"},
    {"\x01\x07\x80\x03\x01", 5, 0, ".bt7"},
};

// Binary headers of uncompressed files.
const FileType kBinaryHeaders[] = {
    {"\x00\x00\x00\x00\x0B\x00\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00", 16, 0, ".vvm"},
    {"\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00", 12, 0, ".vva"},
    {"\x08\x00\x00\x00\x30\x00\x00\x00", 8, 0, ".bts"},
    {"\x07\x00\x00\x00\x20\x00\x00\x00", 8, 0, ".bt7"},
    {"\x07\x00\x00\x00\x30\x00\x00\x00", 8, 0, ".bt7"},
};

template <size_t N>
const char* search(const FileType (&rows)[N], const uint8_t* data, uint32_t base) {
  for (const FileType& row : rows)
    if (std::memcmp(data + base + row.offset, row.pattern, row.length) == 0) return row.extension;
  return nullptr;
}

}  // namespace

const char* detectExtension(const uint8_t* data, bool compressed) {
  const char* ext = search(kTextMagics, data, compressed ? 6 : 0);
  if (ext) return ext;
  return compressed ? search(kStreamStarts, data, 5) : search(kBinaryHeaders, data, 0);
}

bool knownCompressionType(uint8_t type) { return type <= 2; }

int lbaCompressionType(const uint8_t* data, uint32_t n) { return data && n ? data[0] : -1; }

const char* compressionSuffix(const uint8_t* data, uint32_t n) {
  static const char* const kSuffixes[] = {".c0", ".c1", ".c2"};
  int type = lbaCompressionType(data, n);
  if (type < 0 || !knownCompressionType(static_cast<uint8_t>(type))) return ".cx";
  return kSuffixes[type];
}

std::string lbaBaseName(uint32_t fileIndex, bool compressed, const uint8_t* data, uint32_t n) {
  char number[16];
  std::snprintf(number, sizeof number, "%04u", fileIndex);
  std::string name = number;
  const char* ext = n > 15 ? detectExtension(data, compressed) : nullptr;
  if (ext) name += ext;
  return name;
}

std::string lbaFileName(uint32_t fileIndex, bool compressed, const uint8_t* data, uint32_t n) {
  std::string name = lbaBaseName(fileIndex, compressed, data, n);
  if (compressed) name += compressionSuffix(data, n);
  return name;
}
