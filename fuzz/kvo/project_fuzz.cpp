// Any text as a project file: a clear error or a project that, written out
// and read again, is the same project.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kvo/project.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  Result<Project> first = projectParse(text, "kvo.toml");
  if (!first.ok()) {
    if (first.status.message.empty()) std::abort();
    return 0;
  }
  std::string written = projectWrite(first.value);
  Result<Project> second = projectParse(written, "kvo.toml");
  if (!second.ok() || projectWrite(second.value) != written) std::abort();
  return 0;
}
