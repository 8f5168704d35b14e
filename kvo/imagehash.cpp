#include "kvo/imagehash.h"

#include <cstdio>
#include <system_error>
#include <vector>

#include "kvo/sha256.h"
#include "platform/platform.h"

Result<std::string> hashImage(const std::string& path, uint64_t* size) {
  Result<std::string> result;
  FILE* fp = platFopen(path.c_str(), "rb");
  if (!fp) {
    result.status = failure("ERROR: cannot read the disc image : %s\n", path.c_str());
    return result;
  }
  std::vector<uint8_t> piece(1 << 20);
  Sha256 hash = sha256Start();
  uint64_t total = 0;
  size_t got;
  while ((got = std::fread(piece.data(), 1, piece.size(), fp)) > 0) {
    sha256Add(hash, piece.data(), got);
    total += got;
  }
  bool failed = std::ferror(fp) != 0;
  std::fclose(fp);
  if (failed) {
    result.status = failure("ERROR: cannot read the disc image : %s\n", path.c_str());
    return result;
  }
  if (size) *size = total;
  result.value = sha256Hex(sha256Finish(hash));
  return result;
}

std::future<Result<std::string>> hashImageAsync(const std::string& path) {
  auto work = [path] { return hashImage(path, nullptr); };
  try {
    return std::async(std::launch::async, work);
  } catch (const std::system_error&) {
    return std::async(std::launch::deferred, work);  // no second thread: hashed when asked
  }
}

Status checkImageHash(const std::string& path, const std::string& expected,
                      const std::string& actual) {
  if (expected == actual) return Status();
  return failure(
      "ERROR: the disc image is not the one this project was made from (its SHA-256 is %s, "
      "kvo.toml says %s) : %s\n",
      actual.c_str(), expected.c_str(), path.c_str());
}
