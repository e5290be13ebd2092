#include "commands.h"
#include "platform/system_folders.h"
#include "system/numbers.h"

namespace {

// Parses "0x0411" or "1041"; false for anything that is not a 16-bit number.
bool ParseLanguage(const std::u16string& text, uint16_t& language) {
  size_t end = 0;
  int32_t value = 0;
  if (!ParseIntW(text.c_str(), &end, &value) || end != text.size() || value < 0 || value > 0xFFFF) {
    return false;
  }
  language = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

bool ParsePackageArguments(const char* command, const Arguments& arguments,
                           PackageArguments& parsed) {
  bool folderGiven = false;
  bool languageGiven = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == u"--ui-language") {
      if (i + 1 >= arguments.size() || !ParseLanguage(arguments[i + 1], parsed.uiLanguage)) {
        PrintError("--ui-language needs a language identifier such as 0x0411");
        return false;
      }
      languageGiven = true;
      ++i;
    } else if (!folderGiven) {
      parsed.folder = arguments[i];
      folderGiven = true;
    } else {
      PrintError("unexpected argument '" + ToUtf8(arguments[i]) + "'");
      return false;
    }
  }
  if (!folderGiven) {
    PrintError(std::string(command) + " needs the package folder");
    return false;
  }
  if (!languageGiven) parsed.uiLanguage = platform::GetUserDefaultUILanguage();
  return true;
}
