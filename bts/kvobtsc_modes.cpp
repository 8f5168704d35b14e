#include "bts/kvobtsc_modes.h"

#include <cstring>
#include <string>
#include <vector>

#include "bts/btfile.h"
#include "bts/btsc.h"
#include "common/fileio.h"
#include "frontend/frontend.h"
#include "frontend/streams.h"
#include "platform/platform.h"

namespace {
bool regularFileExists(const char* path, uint64_t* size) {
  PlatStat st;
  if (!platStat(path, &st) || !st.isRegular) return false;
  *size = st.size;
  return true;
}

std::string battleName(const BtscOptions& options, uint64_t index) {
  return btscBattleName(options.prefix, options.suffix, index);
}

// The text base starts again at the parts for START_INDEX + 101 and + 181.
bool resetsTextBase(uint64_t i, uint32_t start) {
  return i == start + 100ull || i == start + 180ull;
}

void warnMoreParts(const BtscOptions& options, const char* path) {
  long long count = static_cast<long long>(options.endIndex) - options.startIndex + 1;
  if (count > kPartCount)
    report("WARN: there is more part than maximum expected : %lld > %d : %s\n", count,
           static_cast<int>(kPartCount), path);
}
}  // namespace

void btscCreate(const BtscOptions& options) {
  const char* outPath = options.inPath;
  warnMoreParts(options, outPath);
  FILE* out = outOpen(outPath, "wb");
  uint32_t textBase = 0;
  std::vector<uint8_t> part;
  uint64_t i = options.startIndex;
  for (; i <= options.endIndex; ++i) {
    std::string name = battleName(options, i);
    uint64_t size = 0;
    if (!regularFileExists(name.c_str(), &size)) break;
    BtFile battle = valueOrExit(btLoad(name.c_str(), stderrMessages()));
    if (part.empty()) part = btscNewPart(!options.clear);
    exitOnFailure(btscBuildPart(battle, part.data(), &textBase, !options.clear, stderrMessages()));
    outWrite(out, part.data(), kPartSize);
    if (resetsTextBase(i, options.startIndex)) textBase = 0;
  }
  if (i != uint64_t(options.endIndex) + 1)
    report("WARN: from index %u using 'dummy' data, file not found : %s\n",
           static_cast<unsigned>(i), battleName(options, i).c_str());
  part = btscDummyPart();
  btscAddToTextOffsets(part.data(), textBase);
  for (; i < uint64_t(options.startIndex) + kPartCount; ++i) {
    outWrite(out, part.data(), kPartSize);
    btscAddToTextOffsets(part.data(), kPartDummyOffsetStep);
  }
  outCommit(out);
}

void btscImport(const BtscOptions& options) {
  warnMoreParts(options, options.inPath);
  std::vector<uint8_t> data = valueOrExit(loadSizedFile(options.inPath));
  uint32_t parts = static_cast<uint32_t>(data.size()) / kPartSize;
  for (uint64_t i = options.startIndex; i <= options.endIndex && i - options.startIndex < parts;
       ++i) {
    std::string name = battleName(options, i);
    uint64_t fileSize = 0;
    if (!regularFileExists(name.c_str(), &fileSize) || fileSize == 0) continue;
    std::vector<uint8_t> battle = valueOrExit(loadSizedFile(name.c_str()));
    exitOnFailure(btscRefreshPart(data, static_cast<uint32_t>(i - options.startIndex),
                                  std::move(battle), name.c_str(), !options.clear,
                                  stderrMessages()));
  }
  std::vector<uint8_t>::size_type size = data.size();
  outSave(options.outPath ? options.outPath : options.inPath, data.data(),
          static_cast<uint32_t>(size));
}
