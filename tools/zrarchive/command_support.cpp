#include <cstdio>

#include "commands.h"
#include "system/text_encoding.h"

std::string ToUtf8(const std::u16string& text) {
  std::string out(text.size() * 3 + 1, '\0');
  out.resize(WideToUtf8(text.c_str(), out.data(), out.size()));
  return out;
}

void PrintError(const std::string& utf8Message) {
  std::fprintf(stderr, "zrarchive: %s\n", utf8Message.c_str());
}

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
