// One progress line on a terminal (files done of total, MiB/s), redrawn in
// place at most a few times a second; nothing on a pipe or a file.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct Progress {
  bool shown = false;  // standard error is a terminal
  std::string what;    // "unpack", "pack"
  uint64_t total = 0;
  uint64_t done = 0;
  uint64_t bytes = 0;
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point lastDrawn;
  size_t drawnWidth = 0;
};

Progress progressStart(const std::string& what, uint64_t totalFiles);
void progressAdvance(Progress& progress, uint64_t bytes);
// Clears the line, so that the messages after it start at the left.
void progressEnd(Progress& progress);
