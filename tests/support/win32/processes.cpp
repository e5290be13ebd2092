// Child processes for the tests on Windows, through the C runtime's command processor.
#include <stdio.h>

#include "support/test_support.h"

namespace zrtest {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide strings are UTF-16 on Windows");

CommandRun RunCommand(const std::string& commandLine) {
  TempDir scratch;
  const std::u16string command = Wide(commandLine + " 2>\"" + scratch.PathOf("stderr") + "\" <NUL");
  FILE* pipe = _wpopen(reinterpret_cast<const wchar_t*>(command.c_str()), L"rb");
  if (!pipe) return {-1, "", ""};
  CommandRun run{};
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  run.status = _pclose(pipe);  // the exit code itself, or -1
  run.err = scratch.ReadFile("stderr");
  return run;
}

int RunInChild(const std::function<int()>& body, int) {
  return body() & 0xFF;
}

}  // namespace zrtest
