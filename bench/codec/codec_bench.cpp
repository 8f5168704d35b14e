// Codec benchmark, run by hand (not by ctest):
//  - kvocxd decoding 64 MiB against cp copying the 64 MiB it wrote;
//  - kvocx -c / -c2 on a 4 MiB mixed corpus against the plain backward scan
//    (byte-identical output required) and against gzip -6;
//  - peak memory of kvocx compressing 64 MiB.
// Each time is the best of three runs of the whole process; every ratio comes
// from this run.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/codec/corpus.h"
#include "bench/common/childrun.h"
#include "tests/codec/plain_scan.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

// Best wall time and best processor time of three runs; the output file is
// removed before each run so that every run creates it afresh.
ChildRun bestOf3(const std::vector<std::string>& args, const std::string& outPath,
                 const std::string& stdoutPath = "") {
  ChildRun best;
  for (int i = 0; i < 3; ++i) {
    unlink(outPath.c_str());
    const ChildRun run = runChild(args, stdoutPath);
    if (run.status != 0) {
      std::fprintf(stderr, "bench: %s failed with status %d\n", args[0].c_str(), run.status);
      std::exit(1);
    }
    if (i == 0 || run.seconds < best.seconds) best.seconds = run.seconds;
    if (i == 0 || run.cpu < best.cpu) best.cpu = run.cpu;
    best.peakKiB = run.peakKiB;
    best.status = run.status;
  }
  return best;
}

void writeFile(const std::string& path, const Bytes& data) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp || std::fwrite(data.data(), 1, data.size(), fp) != data.size() || std::fclose(fp) != 0) {
    std::fprintf(stderr, "bench: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

Bytes readFile(const std::string& path) {
  Bytes data;
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return data;
  uint8_t buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) data.insert(data.end(), buf, buf + n);
  std::fclose(fp);
  return data;
}

const char* verdict(bool ok) { return ok ? "PASS" : "FAIL"; }

double processCpu() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool compressionAgainstPlainScan(const std::string& dir, const std::string& kvocx) {
  const Bytes corpus = mixedCorpus(4u << 20, 1);
  const std::string in = dir + "/corpus.bin";
  writeFile(in, corpus);
  const ChildRun gzip = bestOf3({"gzip", "-6", "-c", in}, dir + "/corpus.gz", dir + "/corpus.gz");
  std::printf("4 MiB mixed corpus: gzip -6 %.3f s (processor %.3f s), %zu bytes\n", gzip.seconds,
              gzip.cpu, readFile(dir + "/corpus.gz").size());
  Bytes history(4096 + corpus.size(), 0);
  std::copy(corpus.begin(), corpus.end(), history.begin() + 4096);
  bool ok = true;
  for (int type = 1; type <= 2; ++type) {
    const std::string opt = type == 1 ? "-c" : "-c2";
    const std::string out = dir + "/corpus.c" + std::to_string(type);
    const ChildRun fast = bestOf3({kvocx, opt, in, out}, out);
    const Bytes file = readFile(out);
    Bytes plain(corpus.size() + corpus.size() / 125 + 2);
    const Clock::time_point start = Clock::now();
    const double cpuStart = processCpu();
    const uint32_t n = plainEncode(history.data() + 4096, static_cast<uint32_t>(corpus.size()),
                                   plain.data(), static_cast<uint32_t>(plain.size()), type, 0);
    const double plainCpu = processCpu() - cpuStart;
    const double plainSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    plain.resize(n);
    const bool same =
        file.size() == n + 5 && std::equal(plain.begin(), plain.end(), file.begin() + 5);
    const double speedup = plainSeconds / fast.seconds, cpuSpeedup = plainCpu / fast.cpu;
    const double vsGzip = fast.seconds / gzip.seconds, cpuVsGzip = fast.cpu / gzip.cpu;
    std::printf(
        "kvocx %-3s: %.3f s (processor %.3f s), %zu bytes; plain scan %.2f s (processor "
        "%.2f s); identical bytes: %s [%s]\n",
        opt.c_str(), fast.seconds, fast.cpu, file.size(), plainSeconds, plainCpu,
        same ? "yes" : "no", verdict(same));
    std::printf(
        "  faster than the plain scan: %.1fx wall, %.1fx processor [%s >= 50]; "
        "time / gzip -6: %.2f wall, %.2f processor [%s <= 1]\n",
        speedup, cpuSpeedup, verdict(cpuSpeedup >= 50 && speedup >= 50), vsGzip, cpuVsGzip,
        verdict(vsGzip <= 1 && cpuVsGzip <= 1));
    const double speedupMin = speedup < cpuSpeedup ? speedup : cpuSpeedup;
    const double vsGzipMax = vsGzip > cpuVsGzip ? vsGzip : cpuVsGzip;
    ok = ok && same && speedupMin >= 50 && vsGzipMax <= 1;
  }
  return ok;
}

bool bigFile(const std::string& dir, const std::string& binDir) {
  const Bytes data = mixedCorpus(64u << 20, 2);
  const std::string in = dir + "/big.bin", packed = dir + "/big.c1", out = dir + "/big.out";
  writeFile(in, data);
  unlink(packed.c_str());
  const ChildRun compress = runChild({binDir + "/kvocx", "-c", in, packed});
  const double memRatio = compress.peakKiB * 1024.0 / data.size();
  std::printf("kvocx -c of 64 MiB: %.2f s, peak memory %.1f MiB = %.2f x input [%s < 4]\n",
              compress.seconds, compress.peakKiB / 1024.0, memRatio, verdict(memRatio < 4));
  const ChildRun decode = bestOf3({binDir + "/kvocxd", packed, out}, out);
  const ChildRun copy = bestOf3({"cp", out, dir + "/copy.bin"}, dir + "/copy.bin");
  const bool same = readFile(out) == data;
  const double ratio = decode.seconds / copy.seconds, cpuRatio = decode.cpu / copy.cpu;
  std::printf(
      "kvocxd of %zu bytes to 64 MiB: %.3f s (processor %.3f s); cp of 64 MiB: %.3f s "
      "(processor %.3f s); output identical: %s [%s]\n",
      readFile(packed).size(), decode.seconds, decode.cpu, copy.seconds, copy.cpu,
      same ? "yes" : "no", verdict(same));
  std::printf("  kvocxd / cp: %.2f wall [%s <= 3], %.2f processor\n", ratio, verdict(ratio <= 3),
              cpuRatio);
  return compress.status == 0 && memRatio < 4 && ratio <= 3 && same;
}

}  // namespace

int main() {
  char tmpl[] = "/tmp/kvo-codec-bench-XXXXXX";
  if (!mkdtemp(tmpl)) {
    std::perror("mkdtemp");
    return 1;
  }
  // The tools read an argument that begins with "/" as an option, so they are
  // given names relative to the scratch folder.
  const std::string dir = ".", binDir = KVO_BIN_DIR;
  if (chdir(tmpl) != 0) {
    std::perror("chdir");
    return 1;
  }
  const bool big = bigFile(dir, binDir);
  const bool corpus = compressionAgainstPlainScan(dir, binDir + "/kvocx");
  if (chdir("/") == 0) runChild({"rm", "-rf", tmpl});
  return big && corpus ? 0 : 1;
}
