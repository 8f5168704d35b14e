#include "kvo/progress.h"

#include <cstdio>

#include "common/outcome.h"
#include "platform/folders.h"

namespace {
using Clock = std::chrono::steady_clock;

void draw(Progress& p) {
  double seconds = std::chrono::duration<double>(Clock::now() - p.start).count();
  double mibPerSecond = seconds > 0 ? double(p.bytes) / (1024.0 * 1024.0) / seconds : 0;
  std::string line = formatText("%s: %llu of %llu files, %.1f MiB/s", p.what.c_str(),
                                static_cast<unsigned long long>(p.done),
                                static_cast<unsigned long long>(p.total), mibPerSecond);
  size_t width = line.size();
  if (width < p.drawnWidth) line.append(p.drawnWidth - width, ' ');
  p.drawnWidth = width;
  std::fprintf(stderr, "\r%s", line.c_str());
  std::fflush(stderr);
  p.lastDrawn = Clock::now();
}
}  // namespace

Progress progressStart(const std::string& what, uint64_t totalFiles) {
  Progress p;
  p.shown = platIsTerminal(true);
  p.what = what;
  p.total = totalFiles;
  p.start = p.lastDrawn = Clock::now();
  return p;
}

void progressAdvance(Progress& p, uint64_t bytes) {
  ++p.done;
  p.bytes += bytes;
  if (p.shown && Clock::now() - p.lastDrawn > std::chrono::milliseconds(200)) draw(p);
}

void progressEnd(Progress& p) {
  if (!p.shown || p.drawnWidth == 0) return;
  std::fprintf(stderr, "\r%s\r", std::string(p.drawnWidth, ' ').c_str());
  std::fflush(stderr);
  p.drawnWidth = 0;
}
