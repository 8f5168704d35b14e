// Runs a program as a child process and measures it, for the benchmarks
// (POSIX: fork, exec, wait4).
#pragma once

#include <string>
#include <vector>

struct ChildRun {
  double seconds = 0;  // wall time
  double cpu = 0;      // user + system time
  long peakKiB = 0;    // largest resident size
  int status = -1;     // exit status, 128 when killed
};

// stdoutPath / stderrPath: files that receive the child's standard output and
// error; empty leaves the stream as it is.
ChildRun runChild(const std::vector<std::string>& args, const std::string& stdoutPath = "",
                  const std::string& stderrPath = "");
