// The archive tool's commands. Each takes the arguments after the command's name and returns the
// process exit status.
#pragma once

#include <string>
#include <vector>

using Arguments = std::vector<std::u16string>;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int RunPack(const Arguments& arguments);
int RunList(const Arguments& arguments);
int RunExtract(const Arguments& arguments);

// The positional arguments of a command and its optional "--key TEXT" (the key is the text's
// UTF-8 bytes; empty when absent). False after telling the user what is wrong.
struct CommandArguments {
  std::vector<std::u16string> paths;
  std::string key;
};
bool ParseCommandArguments(const char* command, size_t pathCount, const Arguments& arguments,
                           CommandArguments& parsed);

// Prints a one-line message on standard error.
void PrintError(const std::string& utf8Message);
std::string ToUtf8(const std::u16string& text);
