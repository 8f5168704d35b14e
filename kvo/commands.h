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

struct CheckOptions {
  std::string dir = ".";
};
int runCheck(const CheckOptions& options);

struct PackOptions {
  std::string dir = ".";
  std::string output;
  std::string patch;
};
int runPack(const PackOptions& options);

struct StatusOptions {
  std::string dir = ".";
};
int runStatus(const StatusOptions& options);

// "1 file", "2 files".
std::string counted(size_t count, const char* one, const char* many);

// Messages printed on standard error as they come.
Messages stderrLines();

// Prints a failure's message on standard error; the status of a run with
// problems.
int reportFailure(const Status& status);
