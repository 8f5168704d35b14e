// kvo on a 1 GiB disc image of about 4,000 files (dialog containers,
// pictures, map files and filler, compressed and not): init, unpack and
// pack against cp copying the image, check against unpack, and the peak
// memory of every subcommand.
// Usage: kvo_bench [MiB [--build-only]]   (default 1024 MiB; everything lives
// in a new folder in $KVO_BENCH_DIR, default /tmp, and is removed at the end,
// unless --build-only asks to keep the image and its character table
// unmeasured; $KVO_BENCH_ROUNDS sets the runs of each timed command, default 3)
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/common/childrun.h"
#include "samples/gamedata.h"

namespace {

const uint64_t kMiB = 1 << 20;
// What the project should stand, as ratios and a memory ceiling.
const double kUnpackPerCopy = 3.0, kPackPerCopy = 2.0, kCheckPerUnpack = 0.1;
const long kPeakLimitKiB = 64 * 1024;
// The edit before the pack: raw files rewritten and PO entries translated.
const size_t kRawEdits = 60, kPoEdits = 40;
const char kTranslation[] = "Hi there, friend.";

enum class Kind { Dialog, Gwh, Map, Filler };

struct Planned {
  Kind kind = Kind::Filler;
  uint32_t size = 0;  // filler bytes, or the picture's width
  uint32_t height = 0;
  uint32_t variant = 0;
  int compression = 0;        // 0 = stored as it is, else the type
  bool compressible = false;  // filler only
};

struct Plan {
  std::vector<Planned> files;  // the entries the image writer takes, in order
  uint32_t counts[4] = {};
  uint32_t compressed = 0;
};

struct Noise {
  uint32_t state = 2463534242u;
  uint32_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
};

// The file index of the writer's k-th entry: the sizes file takes index 15.
uint32_t fileIndexOf(size_t k) { return static_cast<uint32_t>(k < 15 ? k : k + 1); }

// A few hundred dialog containers, ~100 .gwh pictures and ~20 map files per
// GiB, spread over the image; the rest filler of 16-496 KiB (336 KiB on
// average), a quarter of it compressed. Counts what the files take in the image (compressed filler
// at four sevenths) until `totalBytes` is reached.
Plan planImage(uint64_t totalBytes) {
  Plan plan;
  Noise noise;
  const uint32_t gib = static_cast<uint32_t>(std::max<uint64_t>(1, totalBytes / 1024 / kMiB));
  const uint32_t limits[3] = {300 * gib, 100 * gib, 20 * gib};
  const uint32_t widths[] = {128, 256, 256, 320, 512};
  uint64_t used = 344 * 2048;
  for (size_t k = 0; used < totalBytes; ++k) {
    Planned p;
    p.variant = static_cast<uint32_t>(k + 1);
    const uint32_t r = noise.next();
    if (k % 13 == 1 && plan.counts[0] < limits[0]) {
      p.kind = Kind::Dialog;
      p.compression = 1 + k % 2;  // battle files in type 1, events in type 2
      used += 8192;
    } else if (k % 37 == 5 && plan.counts[1] < limits[1]) {
      p.kind = Kind::Gwh;
      p.size = widths[r % 5];
      p.height = p.size / (1 + r / 8 % 2);
      p.compression = r % 3 == 0 ? 1 : 0;
      used += 1040 + p.size * p.height / (p.compression ? 3 : 1);
    } else if (k % 191 == 9 && plan.counts[2] < limits[2]) {
      p.kind = Kind::Map;
      p.size = widths[r % 5];
      p.height = 128;
      p.compression = r % 2 ? 2 : 0;
      used += 2048 + p.size * p.height / (p.compression ? 3 : 1);
    } else {
      // The larger of two draws: larger files are the more common.
      p.size = (16 + std::max(r % 481, noise.next() % 481)) * 1024 - r / 512 % 2000;
      p.compressible = r / 4096 % 2 == 0;
      p.compression = p.compressible && r / 8192 % 2 == 0 ? 1 + r / 16384 % 2 : 0;
      used += p.compression ? p.size * 4 / 7 : p.size;
    }
    plan.counts[static_cast<int>(p.kind)]++;
    if (p.compression) plan.compressed++;
    plan.files.push_back(p);
  }
  return plan;
}

GameBytes build(const Planned& p) {
  switch (p.kind) {
    case Kind::Dialog:
      return gdBattleFile(p.variant);
    case Kind::Gwh:
      return gdGwhPicture(p.size, p.height, p.variant);
    case Kind::Map:
      return gdMapFile(p.size, p.height, p.variant);
    case Kind::Filler:
      break;
  }
  return gdFiller(p.size, p.variant, p.compressible);
}

bool writeImage(const std::string& path, const Plan& plan) {
  GdImageWriter writer;
  Status status = gdImageOpen(writer, path, static_cast<uint32_t>(plan.files.size()));
  for (size_t k = 0; k < plan.files.size() && status.ok(); ++k) {
    const Planned& p = plan.files[k];
    GdDiscFile file{build(p), p.compression != 0, false};
    if (p.compression) {
      Result<GameBytes> packed = gdCompress(file.data, p.compression, 8);
      status = packed.status;
      file.data = std::move(packed.value);
    }
    if (status.ok()) status = gdImageAdd(writer, file);
  }
  if (status.ok()) status = gdImageClose(writer);
  std::fputs(status.message.c_str(), stderr);
  return status.ok();
}

// ---------------------------------------------------------------------------
// Running and measuring.

std::string gErrPath = "/dev/null";

struct Measure {
  double fastest = 1e9;
  long peakKiB = 0;  // the largest of every run
  int status = 0;    // the first non-zero status, else 0
  void add(const ChildRun& r) {
    fastest = std::min(fastest, r.seconds);
    peakKiB = std::max(peakKiB, r.peakKiB);
    if (status == 0) status = r.status;
  }
};

// Runs a program (after writing back what earlier runs left in the page
// cache) with its standard output sent to `out`, its errors to gErrPath.
ChildRun run(const std::vector<std::string>& args, const std::string& out = "/dev/null") {
  sync();
  return runChild(args, out, gErrPath);
}

std::string readText(const std::string& path) {
  std::string text;
  if (FILE* fp = std::fopen(path.c_str(), "rb")) {
    char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, fp)) > 0) text.append(buf, got);
    std::fclose(fp);
  }
  return text;
}

bool writeText(const std::string& path, const std::string& text) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (fp == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), fp) == text.size();
  return std::fclose(fp) == 0 && ok;
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The edit a translator makes before packing: raw files rewritten with
// other bytes of the same size, and one entry translated in PO files.
// Returns how many of each it changed.
std::pair<size_t, size_t> editProject(const std::string& dir, const Plan& plan) {
  std::map<uint32_t, std::string> byIndex;  // files/ by the number their name starts with
  for (const std::string& name : namesIn(dir + "/files"))
    byIndex[static_cast<uint32_t>(std::strtoul(name.c_str(), nullptr, 10))] = name;
  size_t raw = 0, po = 0;
  for (size_t k = 0; k < plan.files.size() && raw < kRawEdits; ++k) {
    const Planned& p = plan.files[k];
    auto found = byIndex.find(fileIndexOf(k));
    if (p.kind != Kind::Filler || p.compression != 0 || found == byIndex.end()) continue;
    const std::string path = dir + "/files/" + found->second;
    std::string bytes = readText(path);
    for (char& c : bytes) c = static_cast<char>(~c);
    if (!bytes.empty() && writeText(path, bytes)) ++raw;
  }
  for (const std::string& name : namesIn(dir + "/text")) {
    if (po == kPoEdits) break;
    const std::string path = dir + "/text/" + name;
    std::string text = readText(path);
    const size_t context = text.find("msgctxt ");
    const size_t empty = text.find("msgstr \"\"", context == std::string::npos ? 0 : context);
    if (context == std::string::npos || empty == std::string::npos) continue;
    text.replace(empty, 9, std::string("msgstr \"") + kTranslation + "\"");
    if (writeText(path, text)) ++po;
  }
  return {raw, po};
}

void removeTree(const std::string& path) {
  const std::string command = "rm -rf '" + path + "'";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "cannot remove %s\n", path.c_str());
}

void line(const char* what, const Measure& m) {
  std::printf("%-24s %8.3f s  peak %7.1f MiB  status %d\n", what, m.fastest, m.peakKiB / 1024.0,
              m.status);
}

bool verdict(const char* what, double value, double limit, bool below) {
  const bool pass = below ? value < limit : value <= limit;
  std::printf("%-26s %6.3f (limit %s %.2f)  %s\n", what, value, below ? "<" : "<=", limit,
              pass ? "PASS" : "FAIL");
  return pass;
}

int rounds() {
  const char* text = std::getenv("KVO_BENCH_ROUNDS");
  return text && std::atoi(text) > 0 ? std::atoi(text) : 3;
}

// Everything after the image is built: runs in the image's folder.
bool measure(const std::string& kvo, const Plan& plan) {
  run({"cat", "disc.iso"});  // both sides read the image from the page cache
  const int n = rounds();
  Measure cp, init, unpack, made, check, edited, pack;
  for (int r = 0; r < n; ++r) {
    const std::string dir = "p" + std::to_string(r);
    ChildRun c = run({"cp", "disc.iso", "copy.iso"});
    cp.add(c);
    unlink("copy.iso");
    ChildRun i = run({kvo, "init", "disc.iso", "--table", "kvo.tbs", "--dir", dir});
    ChildRun u = run({kvo, "unpack", "--dir", dir});
    init.add(i);
    unpack.add(u);
    i.seconds += u.seconds;
    i.status = i.status ? i.status : u.status;
    made.add(i);
  }
  for (int r = 0; r < n; ++r) check.add(run({kvo, "check", "--dir", "p0"}));
  const std::pair<size_t, size_t> edits = editProject("p0", plan);
  edited.add(run({kvo, "check", "--dir", "p0"}, "check.txt"));
  const std::string report = readText("check.txt");
  const long reportLines = std::count(report.begin(), report.end(), '\n');
  for (int r = 0; r < n; ++r) {
    cp.add(run({"cp", "disc.iso", "copy.iso"}));
    unlink("copy.iso");
    pack.add(run({kvo, "pack", "--dir", "p0", "-o", "new.iso"}));
    unlink("new.iso");
  }

  std::printf("fastest of %d rounds\n", n);
  line("cp of the image:", cp);
  line("kvo init:", init);
  line("kvo unpack:", unpack);
  line("init + unpack:", made);
  line("kvo check (unchanged):", check);
  std::printf("edit: %zu raw files rewritten, %zu PO entries translated\n", edits.first,
              edits.second);
  line("kvo check (edited):", edited);
  std::printf("  %ld lines reported (%zu changed files)\n", reportLines,
              edits.first + edits.second);
  line("kvo pack:", pack);
  bool ok = verdict("unpack / cp:", unpack.fastest / cp.fastest, kUnpackPerCopy, false);
  ok = verdict("pack / cp:", pack.fastest / cp.fastest, kPackPerCopy, false) && ok;
  ok = verdict("check / unpack:", check.fastest / unpack.fastest, kCheckPerUnpack, true) && ok;
  const long peak =
      std::max({init.peakKiB, unpack.peakKiB, check.peakKiB, edited.peakKiB, pack.peakKiB});
  ok = verdict("largest kvo peak (MiB):", peak / 1024.0, kPeakLimitKiB / 1024.0, true) && ok;
  const bool ran = made.status == 0 && check.status == 0 && pack.status == 0;
  std::printf("every kvo run ended with status 0: %s\n", ran ? "PASS" : "FAIL");
  if (!ran) {
    const std::string messages = readText(gErrPath);
    const size_t shown = std::min<size_t>(messages.size(), 4000);
    std::printf("last messages:\n%s\n", messages.substr(messages.size() - shown).c_str());
  }
  return ok && ran;
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
  const bool buildOnly = argc > 2 && std::strcmp(argv[2], "--build-only") == 0;
  const char* where = std::getenv("KVO_BENCH_DIR");
  std::string dir = std::string(where && *where ? where : "/tmp") + "/kvo-bench-XXXXXX";
  if (mib == 0 || !mkdtemp(&dir[0])) return 1;
  gErrPath = dir + "/stderr.txt";

  const auto start = std::chrono::steady_clock::now();
  const Plan plan = planImage(mib * kMiB);
  const GameBytes table = gdCharacterTable();
  if (!writeImage(dir + "/disc.iso", plan) ||
      !writeText(dir + "/kvo.tbs", std::string(table.begin(), table.end())))
    return 1;
  const double built =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  struct stat st {};
  stat((dir + "/disc.iso").c_str(), &st);
  std::printf(
      "image: %.1f MiB, %zu files + the sizes file: %u dialog containers, %u .gwh pictures, "
      "%u map files, %u filler; %u compressed; built in %.1f s\n",
      st.st_size / double(kMiB), plan.files.size(), plan.counts[0], plan.counts[1], plan.counts[2],
      plan.counts[3], plan.compressed, built);
  if (buildOnly) {
    std::printf("kept: %s/disc.iso and %s/kvo.tbs\n", dir.c_str(), dir.c_str());
    return 0;
  }
  const std::string kvo = std::string(KVO_BIN_DIR) + "/kvo";
  bool ok = false;
  if (access(kvo.c_str(), X_OK) != 0)
    std::printf("kvo not built: no %s (build it, then run the bench again)\n", kvo.c_str());
  else if (chdir(dir.c_str()) == 0)
    ok = measure(kvo, plan);
  if (chdir("/") != 0) return 1;
  removeTree(dir);
  return ok ? 0 : 1;
}
