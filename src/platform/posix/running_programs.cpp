// Finds Windows programs that run from a folder: every process's command line is read from /proc,
// and each argument that names an .exe, by a Windows path (as Wine shows the program it runs) or
// by a native one, is resolved to the file it names.
#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/posix/native_path.h"
#include "platform/process.h"

namespace platform {

namespace {

// The real path of `native`, or of its folder when the file itself is gone; "" when neither
// resolves.
std::string Resolve(const std::string& native) {
  char resolved[PATH_MAX];
  if (realpath(native.c_str(), resolved)) return resolved;
  const size_t slash = native.rfind('/');
  if (slash == std::string::npos || slash == 0) return "";
  if (!realpath(native.substr(0, slash).c_str(), resolved)) return "";
  return std::string(resolved) + native.substr(slash);
}

bool NamesProgram(const std::string& argument) {
  if (argument.size() < 5) return false;
  std::string extension = argument.substr(argument.size() - 4);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".exe";
}

// "X:\..." or "X:/...": a path on one of the prefix's drives.
bool IsDrivePath(const std::string& argument) {
  return argument.size() > 3 && std::isalpha(static_cast<unsigned char>(argument[0])) &&
         argument[1] == ':' && (argument[2] == '\\' || argument[2] == '/');
}

// The file an argument names, resolved; "" when it names none this way.
std::string ProgramFile(const std::string& argument) {
  if (!NamesProgram(argument)) return "";
  if (IsDrivePath(argument)) return Resolve(NativePath(Utf8ToUtf16(argument).c_str()));
  if (argument[0] == '/') return Resolve(argument);
  return "";
}

std::string CommandLineOf(const std::string& pid) {
  std::ifstream file("/proc/" + pid + "/cmdline", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace

bool ProgramRunsFrom(const char16_t* folder) {
  const std::string root = Resolve(NativePath(folder));
  if (root.empty()) return false;
  const std::string inside = root == "/" ? root : root + "/";
  DIR* processes = opendir("/proc");
  if (!processes) return false;
  const std::string self = std::to_string(getpid());
  bool found = false;
  while (const dirent* entry = readdir(processes)) {
    const std::string pid = entry->d_name;
    if (pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
    const std::string commandLine = CommandLineOf(pid);
    for (size_t start = 0; start < commandLine.size() && !found;) {
      size_t end = commandLine.find('\0', start);
      if (end == std::string::npos) end = commandLine.size();
      const std::string program = ProgramFile(commandLine.substr(start, end - start));
      found = !program.empty() && program.compare(0, inside.size(), inside) == 0;
      start = end + 1;
    }
    if (found) break;
  }
  closedir(processes);
  return found;
}

}  // namespace platform
