#include "frontend/frontend.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {
void (*gBeforeMessage)() = nullptr;

void beforeMessage() {
  if (gBeforeMessage) gBeforeMessage();
}

void printToStderr(const std::string& text) {
  beforeMessage();
  std::fputs(text.c_str(), stderr);
}
}  // namespace

void setBeforeMessage(void (*finishAhead)()) { gBeforeMessage = finishAhead; }

void report(const char* fmt, ...) {
  beforeMessage();
  va_list args;
  va_start(args, fmt);
  std::vfprintf(stderr, fmt, args);
  va_end(args);
}

void fatal(const char* fmt, ...) {
  beforeMessage();
  va_list args;
  va_start(args, fmt);
  std::vfprintf(stderr, fmt, args);
  va_end(args);
  exitFailure();
}

void exitFailure() {
  beforeMessage();
  std::fflush(stdout);
  std::exit(1);
}

Messages stderrMessages() { return Messages{printToStderr}; }

void exitOnFailure(const Status& status) {
  if (status.ok()) return;
  if (!status.message.empty()) printToStderr(status.message);
  exitFailure();
}
