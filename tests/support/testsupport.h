// Test helpers: scratch folders, byte files, and running the built programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"

using Bytes = std::vector<uint8_t>;

// A fresh folder under the system temp folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

Bytes readBytes(const std::string& path);
std::string readText(const std::string& path);
// A file a program wrote in text mode: on a Windows build its "\r\n" line
// ends read as "\n".
std::string readTextOutput(const std::string& path);
void writeBytes(const std::string& path, const Bytes& data);
void writeText(const std::string& path, const std::string& text);
bool fileExists(const std::string& path);
Bytes bytesOf(const std::string& text);

struct ToolResult {
  int status = -1;  // exit status; 128 + signal when the program was killed
  std::string out;
  std::string err;
};

// Runs a built program (from the build's bin folder) in `workDir` with the
// given arguments, no standard input, and captures everything it printed.
// KVO_RUNNER (e.g. "wine") is put in front of the command when set,
// KVO_EXE_SUFFIX (e.g. ".exe") after the program's name, and KVO_BIN_DIR
// replaces the build's own bin folder (to check another build).
ToolResult runTool(const std::string& tool, const std::vector<std::string>& args,
                   const std::string& workDir);

// runTool with shell commands put before the program's command, in the same
// shell: limits such as "ulimit -f 16; trap '' XFSZ;" (file size, with the
// signal ignored so that writes fail instead) or "ulimit -v 200000;"
// (address space) apply to the program only.
ToolResult runToolLimited(const std::string& shellPrefix, const std::string& tool,
                          const std::vector<std::string>& args, const std::string& workDir);

// True when the suite checks a Windows build (KVO_EXE_SUFFIX=.exe, under
// Wine): there "/" begins an option, not an absolute path, and /dev/full does
// not exist, so the cases that rely on them skip themselves.
bool checkingWindowsBuild();

// A regular expression matching exactly `text` (for death-test output).
std::string exactly(const std::string& text);

// True when built with AddressSanitizer, whose allocator ignores address-space
// limits; tests of failing allocations skip themselves there.
#if defined(__SANITIZE_ADDRESS__)
#define KVO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KVO_ASAN 1
#endif
#endif

// Caps this process's address space so that large allocations fail (for use
// inside a death test's child).
void limitAddressSpace(uint64_t bytes);

// Messages that collect into `text`.
Messages collectInto(std::string* text);
