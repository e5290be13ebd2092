#include "commands.h"

bool ParseCommandArguments(const char* command, size_t pathCount, const Arguments& arguments,
                           CommandArguments& parsed) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == u"--key") {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        PrintError("--key needs a text");
        return false;
      }
      parsed.key = ToUtf8(arguments[++i]);
    } else if (parsed.paths.size() < pathCount) {
      parsed.paths.push_back(arguments[i]);
    } else {
      PrintError("unexpected argument '" + ToUtf8(arguments[i]) + "'");
      return false;
    }
  }
  if (parsed.paths.size() < pathCount) {
    PrintError(std::string(command) + " needs " + std::to_string(pathCount) + " paths");
    return false;
  }
  return true;
}

bool MountNamedArchive(const CommandArguments& parsed, zrArchive& archive) {
  const char* reason = nullptr;
  if (archive.Mount(parsed.paths[0].c_str(), parsed.key.data(),
                    static_cast<uint32_t>(parsed.key.size()), &reason)) {
    return true;
  }
  PrintError(ToUtf8(parsed.paths[0]) + ": " + reason);
  return false;
}
