#include "config/zrConfig.h"

#include <atomic>
#include <mutex>
#include <new>
#include <string>

#include "config/config_documents.h"
#include "config/config_keys.h"
#include "config/config_publishing.h"
#include "config/placeholders.h"
#include "system/whole_text.h"
#include "file/zrFileServer.h"
#include "platform/process.h"
#include "system/bounded_text.h"
#include "system/folders.h"
#include "system/paths.h"
#include "system/text_encoding.h"
#include "system/zrDDE.h"
#include "xml/zrXml.h"

namespace {

std::atomic<zrConfig*> currentConfig{nullptr};
std::atomic<ConfigSettings*> currentSettings{nullptr};
std::atomic<ConfigSettings*> savedSettings{nullptr};
// Held while the DDE service reads an object and while its destruction clears the pointers, so
// that a request served on the service's thread never reads an object being destroyed.
std::mutex publishedConfigLock;

constexpr char16_t kDefaultStartupFile[] = u"config\\startup.xml";
constexpr char16_t kDefaultSetupFile[] = u"setup.xml";
constexpr char16_t kGameDefinitionFile[] = u"config.int/gamedef.xml";
constexpr char16_t kUnmanagedSaveFolder[] = u"%STEAMUSERDATA%";
constexpr const char* kGameDefinitionSections[] = {"VOICE", "MESSAGE", "EFFECT", "GAME",
                                                   "SYSTEMVOICE"};
constexpr size_t kValueUnits = 4096;  // the longest value a query gives

constexpr int kDocumentsFolder = 5;
constexpr int kRoamingAppData = 9;
constexpr int kPicturesFolder = 11;

// A special folder, or the current directory when it cannot be found.
void SetFolderOrCurrent(char16_t (&field)[kConfigPathUnits], int kind) {
  if (GetSystemFolder(kind, field, kConfigPathUnits)) return;
  if (platform::GetCurrentDirectory(field, kConfigPathUnits) == 0) field[0] = 0;
}

zrDDE* ReadyDde() {
  zrDDE* dde = zrDDE::Current();
  return dde && dde->IsReady() ? dde : nullptr;
}

}  // namespace

zrConfig::zrConfig(const char16_t* startupFile, const char16_t* setupFile, int32_t ddeMode)
    : ddeMode_(ddeMode) {
  CopyWholeWide(startupFile_, kConfigPathUnits, startupFile ? startupFile : kDefaultStartupFile);
  CopyWholeWide(setupFile_, kConfigPathUnits, setupFile ? setupFile : kDefaultSetupFile);
  currentConfig.store(this);
  settings_.reset(new (std::nothrow) ConfigSettings());
  saved_.reset(new (std::nothrow) ConfigSettings());
  if (!settings_ || !saved_) return;  // no block: the pointers stay empty
  SetDefaults();
  try {
    ReadStartup();
  } catch (const std::bad_alloc&) {
    // What was read so far stays; the rest keeps its defaults.
  }
  if (ddeMode_ == kConfigDdeFetch) {
    if (zrDDE* dde = ReadyDde()) FetchConfigBlock(*dde, *settings_);
  }
  *saved_ = *settings_;
  if (WideLength(settings_->folder.save) > 0 &&
      std::u16string(settings_->folder.save) != kUnmanagedSaveFolder) {
    CreateDirectoryTree(settings_->folder.save, 0);
  }
  currentSettings.store(settings_.get());
  savedSettings.store(saved_.get());
  if (ddeMode_ == kConfigDdePublish) Publish();
}

zrConfig::~zrConfig() {
  std::lock_guard<std::mutex> lock(publishedConfigLock);
  zrConfig* self = this;
  if (currentConfig.compare_exchange_strong(self, nullptr)) {
    currentSettings.store(nullptr);
    savedSettings.store(nullptr);
  }
}

zrConfig* zrConfig::Current() {
  return currentConfig.load();
}

ConfigSettings* zrConfig::Settings() {
  return currentSettings.load();
}

ConfigSettings* zrConfig::SavedSettings() {
  return savedSettings.load();
}

void zrConfig::SetDefaults() {
  ConfigSettings& s = *settings_;
  s.version.ini = 10;
  s.screen.v_width = 800;
  s.screen.v_height = 600;
  s.window.width = 800;
  s.window.height = 600;
  s.window.fps = 60;
  s.texture_definition.size_x = 256;
  s.texture_definition.size_y = 256;
  CopyWide(s.folder.default_folder, u".");
  CopyWide(s.info.file, u"info.txt");
  CopyWide(s.font.face, u"ＭＳ ゴシック");
  s.voice.vol_master = 100;
  s.voice.vol_bgm = 100;
  s.voice.vol_se = 100;
  s.voice.vol_voice = 100;
  s.voice.vol_play = 100;
  s.etc.cache = 1;
  s.etc_definition.dragwnd = 1;
  SetFolderOrCurrent(s.etc.picture, kPicturesFolder);
  SetFolderOrCurrent(s.etc.imgimport, kPicturesFolder);
  SetFolderOrCurrent(s.etc.export_folder, kDocumentsFolder);
  SetSaveDefaults();
}

void zrConfig::SetSaveDefaults() {
  ConfigSettings& s = *settings_;
  char16_t appData[kConfigPathUnits] = {};
  GetSystemFolder(kRoamingAppData, appData);
  // A folder too long for the field is left empty rather than cut into another folder's name.
  JoinPath(s.folder.save, appData, s.app.brand, s.app.title);
  SetImageLibraryDefault();
}

void zrConfig::SetImageLibraryDefault() {
  ConfigSettings& s = *settings_;
  // Joined to an empty save folder, "imglib" would name a folder at the root.
  if (s.folder.save[0] == 0 || JoinPath(s.folder.imglib, s.folder.save, u"imglib") == 0) {
    s.folder.imglib[0] = 0;
  }
}

void zrConfig::ReadStartup() {
  zrXml xml;
  char16_t onDisk[kConfigPathUnits];
  char16_t current[kConfigPathUnits];
  const bool loaded =
      LoadServedDocument(xml, startupFile_, ZRFS_DISK_FIRST) ||
      (platform::GetCurrentDirectory(current, kConfigPathUnits) > 0 &&
       JoinPath(onDisk, current, startupFile_) > 0 && LoadDiskDocument(xml, onDisk));
  if (!loaded) return;

  ConfigSettings& s = *settings_;
  // Game definition.
  ReadSettingKeys(xml, GameDefinitionKeys(), s);
  SetSaveDefaults();  // now that the brand and the title are known
  ReadFolders(xml);
  languages_ = ReadLanguageTable(xml);
  soundGroups_ = ReadSoundGroups(xml);
  // Display and device defaults.
  ReadSettingKeys(xml, DisplayDefaultKeys(), s);
  // Fonts, keys and voices.
  ReadSettingKeys(xml, FontKeyVoiceKeys(), s);
  voices_ = ReadVoices(xml);
  // The voice table.
  voiceTable_ = ReadVoiceTable(xml);
}

void zrConfig::ReadFolders(const zrXml& xml) {
  ConfigSettings& s = *settings_;
  std::u16string value(kValueUnits, u'\0');
  char16_t expanded[kConfigPathUnits];
  if (xml.ReadString(value.data(), value.size(), u"", {"FOLDER", "save"})) {
    ExpandPlaceholders(expanded, kConfigPathUnits, value.c_str());
    CopyWide(s.folder.save, expanded);
    SetImageLibraryDefault();
  }
  if (xml.ReadString(value.data(), value.size(), u"", {"FOLDER", "imglib"})) {
    ExpandPlaceholders(expanded, kConfigPathUnits, value.c_str());
    CopyWide(s.folder.imglib, expanded);
  }
}

const char16_t* zrConfig::SetupPath(char16_t* out, size_t capacity) const {
  // Without a save folder there is no setup file (an empty folder would name the root).
  if (!settings_ || !settings_->folder.save[0] ||
      JoinPath(out, capacity, {settings_->folder.save, setupFile_}) == 0) {
    if (capacity > 0) out[0] = 0;
  }
  return out;
}

int zrConfig::ReadSetup(uint32_t parts) {
  zrXml xml;
  char16_t path[kConfigPathUnits];
  if (!settings_ || !LoadDiskDocument(xml, SetupPath(path, kConfigPathUnits))) return 0;
  if (parts & kSetupDisplayPart) {
    ReadSettingKeys(xml, SetupDisplayKeys(), *settings_);
    CheckLanguageIndices();
  }
  if (parts & kSetupPlayPart) ReadSettingKeys(xml, SetupPlayKeys(), *settings_);
  return 1;
}

int zrConfig::WriteSetup(uint32_t parts) {
  zrXml xml;
  char16_t path[kConfigPathUnits];
  if (!settings_ || !*SetupPath(path, kConfigPathUnits)) return 0;
  // The parts not written keep what the file holds.
  if (!LoadDiskDocument(xml, path)) xml.Create();
  int written = 1;
  if ((parts & kSetupDisplayPart) && !WriteSettingKeys(xml, SetupDisplayKeys(), *settings_)) {
    written = 0;
  }
  if ((parts & kSetupPlayPart) && !WriteSettingKeys(xml, SetupPlayKeys(), *settings_)) {
    written = 0;
  }
  xml.Save(path);
  return written && xml.GetStatus() == 0 ? 1 : 0;
}

int zrConfig::ReadGameDefinition() {
  zrXml xml;
  if (!settings_ || !LoadServedDocument(xml, kGameDefinitionFile, ZRFS_ARCHIVE_FIRST)) return 0;
  for (const char* section : kGameDefinitionSections) {
    ReadSettingKeys(xml, SetupPlayKeys(), *settings_, section);
  }
  return 1;
}

void zrConfig::CheckLanguageIndices() {
  ConfigLanguage& language = settings_->language;
  for (int32_t* index : {&language.id_UI, &language.id_main, &language.id_sub}) {
    if (*index < 0 || static_cast<size_t>(*index) >= languages_.size()) {
      *index = settings_->language_definition.default_index;
    }
  }
}

size_t zrConfig::ExpandPlaceholders(char16_t* out, size_t capacity, const char* text) const {
  std::u16string wide(kValueUnits, u'\0');
  if (text && *text && SjisToWide(wide.data(), wide.size(), text) == 0) wide[0] = 0;
  return ExpandPlaceholders(out, capacity, wide.c_str());
}

size_t zrConfig::ExpandPlaceholders(char16_t* out, size_t capacity, const char16_t* text) const {
  if (!settings_) return CopyWide(out, capacity, text);
  const ConfigSettings& s = *settings_;
  const PlaceholderValues values{s.app.brand, s.app.title, s.folder.save, s.folder.imglib};
  return ExpandPlaceholderText(out, capacity, text, values);
}

const ConfigLanguageEntry* zrConfig::LanguageAt(int32_t index) const {
  const auto inTable = [this](int32_t i) {
    return i >= 0 && static_cast<size_t>(i) < languages_.size();
  };
  if (inTable(index)) return &languages_[index];
  const int32_t fallback = settings_ ? settings_->language_definition.default_index : -1;
  return inTable(fallback) ? &languages_[fallback] : nullptr;
}

void zrConfig::ExpandLanguage(char16_t* text, size_t capacity) const {
  if (!settings_) return;
  const ConfigLanguageEntry* ui = LanguageAt(settings_->language.id_UI);
  const ConfigLanguageEntry* main = LanguageAt(settings_->language.id_main);
  ExpandLanguageText(text, capacity, ui ? ui->name.c_str() : nullptr,
                     main ? main->name.c_str() : nullptr);
}

void zrConfig::ExpandLanguage(char* text, size_t capacity) const {
  if (!settings_) return;
  const ConfigLanguageEntry* ui = LanguageAt(settings_->language.id_UI);
  const ConfigLanguageEntry* main = LanguageAt(settings_->language.id_main);
  std::string uiName(kValueUnits, '\0');
  std::string mainName(kValueUnits, '\0');
  if (ui) WideToSjis(uiName.data(), uiName.size(), ui->name.c_str());
  if (main) WideToSjis(mainName.data(), mainName.size(), main->name.c_str());
  ExpandLanguageText(text, capacity, ui ? uiName.c_str() : nullptr,
                     main ? mainName.c_str() : nullptr);
}

void zrConfig::Publish() {
  zrDDE* dde = ReadyDde();
  if (!dde) return;
  // A server of that name made earlier in this process (by the system probe) serves as well.
  dde->CreateServer(kConfigServerName);
  dde->RegisterItem(kConfigBlockItem, AnswerDdeRequest, this);
  dde->RegisterItem(kConfigPathItem, AnswerDdeRequest, this);
}

int32_t zrConfig::AnswerDdeRequest(void* userData, const char16_t* itemName, void** data,
                                   uint32_t* size) {
  std::lock_guard<std::mutex> lock(publishedConfigLock);
  auto* config = static_cast<zrConfig*>(userData);
  if (!config || config != currentConfig.load()) return 0;  // destroyed meanwhile
  return AnswerConfigItem(*config->settings_, itemName, data, size);
}
