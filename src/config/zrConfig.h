// The engine's configuration: the game definition that ships with the game (config\startup.xml,
// and config.int/gamedef.xml through the file server) and the player's settings (setup.xml in the
// save folder), held as one settings block (config_settings.h) plus the lists the game definition
// names. One per process, reached through zrConfig::Current(); library shutdown destroys it.
//
// Creation, in order: store the file names and the DDE mode and become the process-wide
// configuration; zero the block and set the defaults; read the startup file (through the file
// server when it has the file, else from the current directory) in three passes: the game
// definition, the display and device defaults, then fonts, keys and voices; read the voice table;
// in fetch mode take the block of a publishing process of the same program; copy the block into
// the saved copy; create the save folder unless it is "%STEAMUSERDATA%"; in publish mode serve
// the block over DDE. A missing or unreadable file leaves the defaults and is not reported.
//
// The default save folder is the user's roaming application data joined with the brand and the
// title as the startup file names them, and the image library folder the save folder joined with
// "imglib"; FOLDER/save and FOLDER/imglib replace them, with placeholders expanded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "config/config_lists.h"
#include "config/config_settings.h"

constexpr int32_t kConfigDdeNone = 0;
constexpr int32_t kConfigDdePublish = 1;
constexpr int32_t kConfigDdeFetch = 2;

// Parts of setup.xml: display, sound device, language, TTS and CONFIG; and FONT, KEY, VOICE,
// MESSAGE, EFFECT, GAME and SYSTEMVOICE.
constexpr uint32_t kSetupDisplayPart = 1;
constexpr uint32_t kSetupPlayPart = 2;

class zrConfig {
 public:
  // Null paths take "config\startup.xml" and "setup.xml"; paths are cut at 260 units.
  zrConfig(const char16_t* startupFile, const char16_t* setupFile, int32_t ddeMode);
  ~zrConfig();
  zrConfig(const zrConfig&) = delete;
  zrConfig& operator=(const zrConfig&) = delete;

  // The process-wide configuration, its settings block and the copy taken at the end of loading;
  // null while there is none.
  static zrConfig* Current();
  static ConfigSettings* Settings();
  static ConfigSettings* SavedSettings();

  // setup.xml in the save folder, for the parts named by `parts`. ReadSetup gives 1 when the file
  // was read; an interface, main or sub language index outside the language table becomes the
  // default index. WriteSetup keeps what the file holds of other parts and gives 1 when every
  // value was written (a text holding '<' or '>' cannot be).
  int ReadSetup(uint32_t parts);
  int WriteSetup(uint32_t parts);
  // config.int/gamedef.xml through the file server: its VOICE, MESSAGE, EFFECT, GAME and
  // SYSTEMVOICE sections, with the keys of setup.xml. 1 when the file was read.
  int ReadGameDefinition();

  // The placeholders of placeholders.h replaced with this configuration's values; the narrow
  // text is Shift-JIS. The length written to `out`.
  size_t ExpandPlaceholders(char16_t* out, size_t capacity, const char* text) const;
  size_t ExpandPlaceholders(char16_t* out, size_t capacity, const char16_t* text) const;
  // "%LANG%" and "%LANG_M%" replaced in place by the names of the interface and the main
  // language; an index outside the table takes the default index, and when that is outside too
  // the placeholder stays.
  void ExpandLanguage(char* text, size_t capacity) const;
  void ExpandLanguage(char16_t* text, size_t capacity) const;

  const std::vector<ConfigLanguageEntry>& Languages() const { return languages_; }
  const std::vector<ConfigSoundGroup>& SoundGroups() const { return soundGroups_; }
  const std::vector<ConfigVoiceEntry>& Voices() const { return voices_; }
  const std::vector<ConfigVoiceTableEntry>& VoiceTable() const { return voiceTable_; }
  int32_t ddeMode() const { return ddeMode_; }
  // The setup file's path: the save folder joined with its name.
  const char16_t* SetupPath(char16_t* out, size_t capacity) const;

 private:
  void SetDefaults();
  void SetSaveDefaults();
  void SetImageLibraryDefault();
  void ReadStartup();
  void ReadFolders(const zrXml& xml);
  void CheckLanguageIndices();
  const ConfigLanguageEntry* LanguageAt(int32_t index) const;
  void Publish();
  static int32_t AnswerDdeRequest(void* userData, const char16_t* itemName, void** data,
                                  uint32_t* size);

  char16_t startupFile_[260] = {};
  char16_t setupFile_[260] = {};
  int32_t ddeMode_ = kConfigDdeNone;
  std::unique_ptr<ConfigSettings> settings_;
  std::unique_ptr<ConfigSettings> saved_;
  std::vector<ConfigLanguageEntry> languages_;
  std::vector<ConfigSoundGroup> soundGroups_;
  std::vector<ConfigVoiceEntry> voices_;
  std::vector<ConfigVoiceTableEntry> voiceTable_;
};
