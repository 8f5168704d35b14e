#include "common/diag.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void report(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::vfprintf(stderr, fmt, args);
  va_end(args);
}

void fatal(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::vfprintf(stderr, fmt, args);
  va_end(args);
  exitFailure();
}

void exitFailure() {
  std::fflush(stdout);
  std::exit(1);
}
