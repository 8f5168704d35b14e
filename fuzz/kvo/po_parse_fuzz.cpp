// Reads the input as a translation file. What reads without errors must be
// written and read back to the same entries, and written again to the same
// bytes. The input as game text must also survive the byte tags unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "kvo/po.h"
#include "kvo/potext.h"

static bool sameEntry(const PoEntry& a, const PoEntry& b) {
  return a.context == b.context && a.id == b.id && a.str == b.str && a.comments == b.comments &&
         a.fuzzy == b.fuzzy;
}

static bool sameFile(const PoFile& a, const PoFile& b) {
  if (a.project != b.project || a.language != b.language || a.entries.size() != b.entries.size()) {
    return false;
  }
  for (size_t i = 0; i < a.entries.size(); ++i) {
    if (!sameEntry(a.entries[i], b.entries[i])) return false;
  }
  return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  PoTextBytes tagged = fromPoText(toPoText(input));
  if (!tagged.ok() || tagged.bytes != input) std::abort();

  PoParseResult first = poParse(input);
  for (const PoError& error : first.errors) {
    if (error.line < 1 || error.column < 1 || error.message.empty()) std::abort();
  }
  if (!first.ok()) return 0;
  std::string written = poWrite(first.file);
  PoParseResult second = poParse(written);
  if (!second.ok() || !sameFile(first.file, second.file)) std::abort();
  if (poWrite(second.file) != written) std::abort();
  return 0;
}
