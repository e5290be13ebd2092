// What the command-line tools share: arguments as UTF-16 texts, exit statuses, one-line errors
// that name the tool, and running the command named by the first argument.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

using Arguments = std::vector<std::u16string>;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct ToolCommand {
  const char16_t* name;
  int (*run)(const Arguments& arguments);  // takes the arguments after the command's name
};

// Runs the command that the first argument names; prints `usage` on standard output for "help"
// or "--help", and on standard error with no command or an unknown one. Errors start with `tool`.
int RunTool(const char* tool, const char* usage, int argc, char** argv,
            std::initializer_list<ToolCommand> commands);

// Prints "<tool>: <message>" on standard error.
void PrintError(const std::string& utf8Message);
std::string ToUtf8(const std::u16string& text);
