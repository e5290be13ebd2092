// zrpackage config GAMEDIR: the game's effective configuration as the engine reads it when it
// starts in GAMEDIR: config\startup.xml, then the player's setup.xml from the save folder, with the
// folders' placeholders expanded.
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"
#include "config/config_keys.h"
#include "config/zrConfig.h"
#include "json_writer.h"
#include "platform/process.h"
#include "system/folders.h"
#include "xml/zrXml.h"

namespace {

constexpr char16_t kStartupFile[] = u"config\\startup.xml";
constexpr int kFileKind = 1;

// False after telling the user why the document cannot be read.
bool CheckDocument(const std::u16string& shownPath, const char16_t* path) {
  zrXml probe;
  if (probe.LoadFile(path)) return true;
  PrintError(ToUtf8(shownPath) + ": cannot be read as an XML document (" +
             probe.GetStatusMessage() + ")");
  return false;
}

// An integer of 0, or a text that starts with its terminator.
bool IsEmpty(SettingKind kind, const uint8_t* field) {
  const size_t bytes = kind == SettingKind::kInt ? sizeof(int32_t) : sizeof(char16_t);
  for (size_t i = 0; i < bytes; ++i) {
    if (field[i] != 0) return false;
  }
  return true;
}

// Every key of the lists with its value in the block; of indexed keys ("key%02d/name") only
// those that hold something, so the report stays readable.
void WriteKeys(JsonWriter& json, const char* name, std::initializer_list<SettingKeyList> lists,
               const ConfigSettings& settings) {
  json.BeginObject(name);
  const auto* block = reinterpret_cast<const uint8_t*>(&settings);
  for (const SettingKeyList& keys : lists) {
    for (const SettingKey& key : keys) {
      const bool indexed = key.count > 1 || key.count2 > 1;
      ForEachSettingField(key, block, [&](const std::string& path, const uint8_t* field) {
        if (indexed && IsEmpty(key.kind, field)) return;
        if (key.kind == SettingKind::kInt) {
          int32_t value;
          std::memcpy(&value, field, sizeof value);
          json.Number(path.c_str(), value);
        } else {
          std::u16string text(key.units, u'\0');
          std::memcpy(text.data(), field, key.units * sizeof(char16_t));
          text.resize(std::char_traits<char16_t>::length(text.c_str()));
          json.String(path.c_str(), text);
        }
      });
    }
  }
  json.EndObject();
}

std::string Describe(const std::u16string& folder, const zrConfig& config, const char16_t* setup,
                     bool setupFound) {
  const ConfigSettings& settings = *zrConfig::Settings();
  JsonWriter json;
  json.BeginObject();
  json.String("gameDir", folder);
  json.String("startupFile", kStartupFile);
  json.String("setupFile", setup);
  json.Bool("setupFound", setupFound);
  json.String("saveFolder", settings.folder.save);
  json.String("imageLibraryFolder", settings.folder.imglib);
  json.BeginArray("languages");
  for (const ConfigLanguageEntry& language : config.Languages()) {
    json.BeginObject();
    json.String("code", language.code);
    json.String("name", language.name);
    json.EndObject();
  }
  json.EndArray();
  WriteKeys(json, "game", {GameDefinitionKeys(), FontKeyVoiceKeys()}, settings);
  WriteKeys(json, "player", {SetupDisplayKeys(), SetupPlayKeys()}, settings);
  json.EndObject();
  return json.Text();
}

}  // namespace

int RunConfig(const Arguments& arguments) {
  if (arguments.size() != 1) {
    PrintError("config needs exactly one game folder");
    return kExitUsage;
  }
  const std::u16string& folder = arguments[0];
  // The engine reads its files relative to the folder it runs in.
  if (!platform::SetCurrentDirectory(folder.c_str())) {
    PrintError(ToUtf8(folder) + ": not a folder that can be entered");
    return kExitFailed;
  }
  if (GetPathKind(kStartupFile) != kFileKind) {
    PrintError(ToUtf8(folder) + ": has no config\\startup.xml");
    return kExitFailed;
  }
  if (!CheckDocument(folder + u"\\" + kStartupFile, kStartupFile)) return kExitFailed;

  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  char16_t setup[260];
  config.SetupPath(setup, 260);
  const bool setupFound = setup[0] != 0 && GetPathKind(setup) == kFileKind;
  if (setupFound) {
    if (!CheckDocument(setup, setup)) return kExitFailed;
    config.ReadSetup(kSetupDisplayPart | kSetupPlayPart);
  }
  std::fputs(Describe(folder, config, setup, setupFound).c_str(), stdout);
  return kExitOk;
}
