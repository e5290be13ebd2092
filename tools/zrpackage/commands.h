// The package tool's commands. Each takes the arguments after the command's name and returns the
// process exit status.
#pragma once

#include <string>
#include <vector>

using Arguments = std::vector<std::u16string>;

// Exit statuses shared by the commands.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int RunShow(const Arguments& arguments);
int RunVersion(const Arguments& arguments);

// Prints a one-line message on standard error.
void PrintError(const std::string& utf8Message);
std::string ToUtf8(const std::u16string& text);
