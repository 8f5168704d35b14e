#include "bench/common/childrun.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace {

// In the child: sends descriptor `fd` to `path`; false when it cannot.
bool redirect(int fd, const std::string& path) {
  if (path.empty()) return true;
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  return file >= 0 && dup2(file, fd) >= 0;
}

}  // namespace

ChildRun runChild(const std::vector<std::string>& args, const std::string& stdoutPath,
                  const std::string& stderrPath) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (!redirect(1, stdoutPath) || !redirect(2, stderrPath)) _exit(127);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  ChildRun run;
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
            (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  run.peakKiB = usage.ru_maxrss;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  return run;
}
