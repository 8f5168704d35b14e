// What only a program's front end (its main and mode files) may do: print to
// standard error and end the process. Libraries return a Status instead
// (common/outcome.h); the front end turns it into the message and the exit
// status the program has always had.
#pragma once

#include <utility>

#include "common/outcome.h"

// Prints the formatted text to standard error and exits with status 1.
[[noreturn]] void fatal(const char* fmt, ...) KVO_PRINTF(1, 2);
// Prints the formatted text to standard error and returns.
void report(const char* fmt, ...) KVO_PRINTF(1, 2);
// Ends the process with status 1 right away (after a message already printed).
[[noreturn]] void exitFailure();

// Messages that go to standard error at once.
Messages stderrMessages();

// A failure's message is printed and the process ends with status 1.
void exitOnFailure(const Status& status);
template <class T>
T valueOrExit(Result<T>&& result) {
  exitOnFailure(result.status);
  return std::move(result.value);
}
