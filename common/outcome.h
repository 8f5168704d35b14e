// How the libraries report. A library function never prints a failure and
// never ends the process: it returns what went wrong, and the program's front
// end (its main and mode files) prints it and chooses the exit status.
//
// - A failure is a Status (or a Result<T> carrying a value) whose message is
//   the complete text the program prints before it ends with status 1,
//   usually one "ERROR: ...\n" line. The message may be empty when the lines
//   were already passed to the caller's Messages (a failure after warnings).
// - Lines after which the work goes on ("WARN: ...", and the "ERROR: " lines
//   of a refused single operation) go to the Messages the caller passes in;
//   the programs print them at once, a long-running caller may collect them.
#pragma once

#include <functional>
#include <string>
#include <utility>

#if defined(__GNUC__)
#define KVO_PRINTF(fmtIndex, argIndex) __attribute__((format(printf, fmtIndex, argIndex)))
#else
#define KVO_PRINTF(fmtIndex, argIndex)
#endif

struct Status {
  bool failed = false;
  std::string message;
  bool ok() const { return !failed; }
};

// A value, or the failure that stopped the work before it was made.
template <class T>
struct Result {
  T value{};
  Status status;
  bool ok() const { return status.ok(); }
};

// printf into a std::string.
std::string formatText(const char* fmt, ...) KVO_PRINTF(1, 2);
// A failed Status whose message is the formatted text.
Status failure(const char* fmt, ...) KVO_PRINTF(1, 2);
// A failed Status with no message of its own (its lines went out already).
Status failureReported();

// Where a library's messages go: each call of `print` receives complete
// lines. The caller owns it; an empty one drops the messages.
struct Messages {
  std::function<void(const std::string&)> print;
};
void report(const Messages& to, const char* fmt, ...) KVO_PRINTF(2, 3);
