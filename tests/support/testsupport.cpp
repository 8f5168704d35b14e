#include "tests/support/testsupport.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {
std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

std::string envOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value ? value : fallback;
}
}  // namespace

TempDir::TempDir() {
  std::string base = envOr("TMPDIR", "/tmp");
  std::string templ = base + "/kvo-test-XXXXXX";
  std::vector<char> buffer(templ.begin(), templ.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buffer.data();
}

TempDir::~TempDir() {
  std::string command = "rm -rf " + shellQuote(path_);
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "cannot remove %s\n", path_.c_str());
}

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

Bytes readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A Windows build's console output has "\r\n" line ends; the suite checks the
// same texts on every system.
bool checkingWindowsBuild() { return envOr("KVO_EXE_SUFFIX", "") == ".exe"; }

static std::string withPlainLineEnds(std::string text) {
  if (!checkingWindowsBuild()) return text;
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) plain += text[i];
  return plain;
}

std::string readText(const std::string& path) {
  Bytes data = readBytes(path);
  return std::string(data.begin(), data.end());
}

void writeBytes(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void writeText(const std::string& path, const std::string& text) {
  writeBytes(path, bytesOf(text));
}

bool fileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string readTextOutput(const std::string& path) { return withPlainLineEnds(readText(path)); }

ToolResult runTool(const std::string& tool, const std::vector<std::string>& args,
                   const std::string& workDir) {
  return runToolLimited("", tool, args, workDir);
}

ToolResult runToolLimited(const std::string& shellPrefix, const std::string& tool,
                          const std::vector<std::string>& args, const std::string& workDir) {
  TempDir capture;
  std::string command = "cd " + shellQuote(workDir) + " && { " + shellPrefix + " ";
  std::string runner = envOr("KVO_RUNNER", "");
  if (!runner.empty()) command += runner + " ";
  command +=
      shellQuote(envOr("KVO_BIN_DIR", KVO_BIN_DIR) + "/" + tool + envOr("KVO_EXE_SUFFIX", ""));
  for (const std::string& arg : args) command += " " + shellQuote(arg);
  command += " </dev/null >" + shellQuote(capture.file("out")) + " 2>" +
             shellQuote(capture.file("err")) + "; }";
  int raw = std::system(command.c_str());
  ToolResult result;
  if (raw != -1 && WIFEXITED(raw))
    result.status = WEXITSTATUS(raw);
  else if (raw != -1 && WIFSIGNALED(raw))
    result.status = 128 + WTERMSIG(raw);
  result.out = withPlainLineEnds(readText(capture.file("out")));
  result.err = withPlainLineEnds(readText(capture.file("err")));
  return result;
}

std::string exactly(const std::string& text) {
  std::string pattern = "^";
  for (char c : text) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
    pattern += c;
  }
  return pattern + "$";
}

void limitAddressSpace(uint64_t bytes) {
  struct rlimit limit;
  limit.rlim_cur = bytes;
  limit.rlim_max = bytes;
  setrlimit(RLIMIT_AS, &limit);
}

Messages collectInto(std::string* text) {
  return Messages{[text](const std::string& line) { *text += line; }};
}
