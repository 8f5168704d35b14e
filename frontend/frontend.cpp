#include "frontend/frontend.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {
void printToStderr(const std::string& text) { std::fputs(text.c_str(), stderr); }

void printList(const char* fmt, va_list args) { std::vfprintf(stderr, fmt, args); }
}  // namespace

void report(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  printList(fmt, args);
  va_end(args);
}

void fatal(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  printList(fmt, args);
  va_end(args);
  exitFailure();
}

void exitFailure() {
  std::fflush(stdout);
  std::exit(1);
}

Messages stderrMessages() { return Messages{printToStderr}; }

void exitOnFailure(const Status& status) {
  if (status.ok()) return;
  if (!status.message.empty()) printToStderr(status.message);
  exitFailure();
}
