#include "common/outcome.h"

#include <cstdarg>
#include <cstdio>

namespace {
std::string formatList(const char* fmt, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(&text[0], text.size(), fmt, args);
  text.resize(static_cast<size_t>(length));
  return text;
}
}  // namespace

std::string formatText(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string text = formatList(fmt, args);
  va_end(args);
  return text;
}

Status failure(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  Status status{true, formatList(fmt, args)};
  va_end(args);
  return status;
}

Status failureReported() { return Status{true, std::string()}; }

void report(const Messages& to, const char* fmt, ...) {
  if (!to.print) return;
  va_list args;
  va_start(args, fmt);
  std::string text = formatList(fmt, args);
  va_end(args);
  to.print(text);
}
