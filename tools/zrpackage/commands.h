// The package tool's commands. Each takes the arguments after the command's name and returns the
// process exit status.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Arguments = std::vector<std::u16string>;

// Exit statuses shared by the commands.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int RunShow(const Arguments& arguments);
int RunPlan(const Arguments& arguments);

// The arguments of the commands that read a package: the folder and an optional
// "--ui-language 0xNNNN" (the platform's UI language when absent). False after telling the user
// what is wrong.
struct PackageArguments {
  std::u16string folder;
  uint16_t uiLanguage;
};
bool ParsePackageArguments(const char* command, const Arguments& arguments,
                           PackageArguments& parsed);
int RunVersion(const Arguments& arguments);

// Prints a one-line message on standard error.
void PrintError(const std::string& utf8Message);
std::string ToUtf8(const std::u16string& text);
