// How every tool reports: one line on standard error, "ERROR: " lines end the
// process with status 1, "WARN: " lines let the work go on.
#pragma once

#if defined(__GNUC__)
#define KVO_PRINTF(fmtIndex, argIndex) __attribute__((format(printf, fmtIndex, argIndex)))
#else
#define KVO_PRINTF(fmtIndex, argIndex)
#endif

// Prints the formatted text to standard error and exits with status 1.
[[noreturn]] void fatal(const char* fmt, ...) KVO_PRINTF(1, 2);
// Prints the formatted text to standard error and returns.
void report(const char* fmt, ...) KVO_PRINTF(1, 2);
// Ends the process with status 1 right away (after a message already printed).
[[noreturn]] void exitFailure();

// Work that runs ahead of the messages (a copy on another thread) registers
// a function that finishes it; it is called before any message is printed or
// the process ends, so the messages and the files keep the order of one piece
// of work after the other. Null: none.
void setBeforeMessage(void (*finishAhead)());
