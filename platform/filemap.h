// Read-only access to a whole input file without copying it: the file is
// mapped into memory where the system allows it (POSIX); elsewhere mapping
// fails and the caller reads the file instead.
#pragma once

#include <cstddef>
#include <cstdint>

// A mapping, released when the holder goes away.
class PlatFileMap {
 public:
  PlatFileMap() = default;
  ~PlatFileMap() { unmap(); }
  PlatFileMap(const PlatFileMap&) = delete;
  PlatFileMap& operator=(const PlatFileMap&) = delete;

  // Maps the regular file at `path` (1 byte to 2 GiB - 1). Fails, leaving the
  // caller to load the file with its usual messages, when the file cannot be
  // opened or mapped, is empty, too large or not a regular file, or when
  // `otherPath` names the same file: that file is rewritten while the mapping
  // is still read. With a `prefix` (a multiple of the page size) that many
  // zero bytes lie in front of the data.
  bool map(const char* path, const char* otherPath, uint32_t prefix = 0);
  void unmap();

  const uint8_t* data() const { return data_; }
  uint32_t size() const { return size_; }

 private:
  const uint8_t* data_ = nullptr;
  uint32_t size_ = 0;
  const uint8_t* block_ = nullptr;  // the mapping, `prefix` bytes before data
  size_t length_ = 0;               // mapped bytes
};
