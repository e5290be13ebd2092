// The program's arguments as UTF-16 (on Windows from the wide command line, elsewhere from the
// UTF-8 argv), program name first.
#pragma once

#include <string>
#include <vector>

namespace platform {

std::vector<std::u16string> GetCommandLineArguments(int argc, char** argv);

}  // namespace platform
