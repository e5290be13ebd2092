// zrpackage show DIR [--ui-language 0xNNNN]: the package description as the updater reads it, and
// the language it would choose.
#include <cstdio>

#include "commands.h"
#include "json_writer.h"
#include "platform/system_folders.h"
#include "system/numbers.h"
#include "system/paths.h"
#include "updater/update_info.h"

namespace {

void WriteEntry(JsonWriter& json, const std::u16string& prefix, const LanguageEntry& entry) {
  json.BeginObject();
  json.String("prefix", prefix);
  json.Number("code", entry.code);
  json.String("lang", entry.lang);
  json.String("wndtitle", entry.wndtitle);
  json.String("intoro", entry.intoro);
  json.String("success", entry.success);
  json.String("error_version", entry.error_version);
  json.String("error_inst", entry.error_inst);
  json.String("error_copy", entry.error_copy);
  json.String("sellang", entry.sellang);
  json.String("copying", entry.copying);
  json.String("language", entry.language);
  json.String("boot", entry.boot);
  json.String("title", entry.title);
  json.EndObject();
}

std::string Describe(uint16_t uiLanguage) {
  JsonWriter json;
  json.BeginObject();
  json.String("brand", UpdateInfo.brand);
  json.String("app", UpdateInfo.app);
  json.String("instpath", UpdateInfo.instpath);
  json.String("mutex", UpdateInfo.mutex);
  json.String("confmutex", UpdateInfo.confmutex);
  json.Number("checkexeversion", UpdateInfo.checkexeversion);
  json.String("version_major", UpdateInfo.version_major);
  json.String("version_minor", UpdateInfo.version_minor);
  json.String("default_language", UpdateInfo.default_language);
  json.BeginArray("languages");
  for (const auto& [prefix, entry] : LanguageTable) WriteEntry(json, prefix, entry);
  json.EndArray();
  const auto chosen = ChooseLanguage(uiLanguage);
  if (chosen == LanguageTable.end()) {
    json.Null("chosen");
  } else {
    json.String("chosen", chosen->first);
  }
  json.EndObject();
  return json.Text();
}

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

int RunShow(const Arguments& arguments) {
  const std::u16string* folder = nullptr;
  bool languageGiven = false;
  uint16_t uiLanguage = 0;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == u"--ui-language") {
      if (i + 1 >= arguments.size() || !ParseLanguage(arguments[i + 1], uiLanguage)) {
        PrintError("--ui-language needs a language identifier such as 0x0411");
        return kExitUsage;
      }
      languageGiven = true;
      ++i;
    } else if (!folder) {
      folder = &arguments[i];
    } else {
      PrintError("unexpected argument '" + ToUtf8(arguments[i]) + "'");
      return kExitUsage;
    }
  }
  if (!folder) {
    PrintError("show needs the package folder");
    return kExitUsage;
  }

  char16_t path[1024];
  if (!JoinPath(path, folder->c_str(), u"updateinfo.xml") || !LoadUpdateInfo(path)) {
    PrintError("cannot load updateinfo.xml in '" + ToUtf8(*folder) + "'");
    return kExitFailed;
  }
  if (!languageGiven) uiLanguage = platform::GetUserDefaultUILanguage();
  const std::string text = Describe(uiLanguage);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return kExitOk;
}
