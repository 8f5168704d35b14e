// The subcommands of kvo. Each returns the exit status: 0 done, 1 problems
// found (each reported on standard error), 2 a usage error.
#pragma once

#include <string>

#include "common/outcome.h"

enum : int { kDone = 0, kProblems = 1, kUsage = 2 };

struct InitOptions {
  std::string image;
  std::string table;
  std::string dir = ".";
};
int runInit(const InitOptions& options);

struct UnpackOptions {
  std::string dir = ".";
  bool force = false;
};
int runUnpack(const UnpackOptions& options);

// Prints a failure's message on standard error; the status of a run with
// problems.
int reportFailure(const Status& status);
