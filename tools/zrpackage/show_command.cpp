// zrpackage show DIR [--ui-language 0xNNNN]: the package description as the updater reads it, and
// the language it would choose.
#include <cstdio>

#include "commands.h"
#include "json_writer.h"
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

}  // namespace

int RunShow(const Arguments& arguments) {
  PackageArguments parsed;
  if (!ParsePackageArguments("show", arguments, parsed)) return kExitUsage;
  char16_t path[1024];
  if (!JoinPath(path, parsed.folder.c_str(), u"updateinfo.xml") || !LoadUpdateInfo(path)) {
    PrintError("cannot load updateinfo.xml in '" + ToUtf8(parsed.folder) + "'");
    return kExitFailed;
  }
  const std::string text = Describe(parsed.uiLanguage);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return kExitOk;
}
