#include "common/diag.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {
void (*gBeforeMessage)() = nullptr;

void beforeMessage() {
  if (gBeforeMessage) gBeforeMessage();
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
