// Child processes for the tests, with fork and the shell.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "support/test_support.h"

namespace zrtest {

CommandRun RunCommand(const std::string& commandLine) {
  TempDir scratch;
  const std::string command = commandLine + " 2>" + scratch.PathOf("stderr") + " </dev/null";
  CommandRun run{};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {-1, "", ""};
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = scratch.ReadFile("stderr");
  return run;
}

int RunInChild(const std::function<int()>& body, int seconds) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    alarm(static_cast<unsigned>(seconds));  // ends a child that hangs
    _exit(body() & 0xFF);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zrtest
