// The package tool's commands. Each takes the arguments after the command's name and returns the
// process exit status.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/tool_main.h"

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
int RunConfig(const Arguments& arguments);
