// The archive tool's commands. Each takes the arguments after the command's name and returns the
// process exit status.
#pragma once

#include <string>
#include <vector>

#include "common/tool_main.h"
#include "file/zrArchive.h"

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

// Mounts the archive that the first path names, with the key; false after telling the user why.
bool MountNamedArchive(const CommandArguments& parsed, zrArchive& archive);
