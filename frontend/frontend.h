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

// Work that runs ahead of the messages (a copy on another thread) registers
// a function that finishes it; it is called before any message is printed or
// the process ends, so the messages and the files keep the order of one piece
// of work after the other. Null: none.
void setBeforeMessage(void (*finishAhead)());
