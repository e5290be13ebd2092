// The key vocabulary of the configuration files as tables: each row names a key path and the
// field of the settings block it is read into (and, for the player's settings, written from).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "config/config_settings.h"
#include "xml/zrXml.h"

enum class SettingKind { kInt, kText };

// One key, or a run of indexed keys: the path may hold up to two printf indices ("%02d", "%d"),
// which run over `count` (and `count2`) values; each step moves the field by its stride in bytes.
struct SettingKey {
  const char* path;
  SettingKind kind;
  size_t offset;  // of the field for index 0 (and 0)
  size_t units;   // capacity of a text field in UTF-16 units; 0 for an integer
  int count;
  size_t stride;
  int count2;
  size_t stride2;
};

struct SettingKeyList {
  const SettingKey* first;
  size_t size;
  const SettingKey* begin() const { return first; }
  const SettingKey* end() const { return first + size; }
};

// config\startup.xml, in its three passes: the game definition (the FOLDER keys save and imglib,
// which expand placeholders, are read apart); the display and device defaults, read into the
// player's fields; fonts, keys and system voices.
SettingKeyList GameDefinitionKeys();
SettingKeyList DisplayDefaultKeys();
SettingKeyList FontKeyVoiceKeys();
// setup.xml: part 1 (bit 1) display, sound device, language, TTS and CONFIG; part 2 (bit 2) FONT,
// KEY, VOICE, MESSAGE, EFFECT, GAME and SYSTEMVOICE.
SettingKeyList SetupDisplayKeys();
SettingKeyList SetupPlayKeys();

// Calls `use(path, field)` for every key of a row, with the path's indices filled in; `block` is
// the settings block (const or not).
template <typename Byte, typename Use>
void ForEachSettingField(const SettingKey& key, Byte* block, Use use) {
  for (int i = 0; i < key.count; ++i) {
    for (int j = 0; j < key.count2; ++j) {
      char path[96];
      std::snprintf(path, sizeof path, key.path, i, j);
      use(std::string(path), block + key.offset + i * key.stride + j * key.stride2);
    }
  }
}

// Reads every key of `keys` that the document holds; a missing key keeps its field. With a
// section, only the keys whose path starts with that section name.
void ReadSettingKeys(const zrXml& xml, SettingKeyList keys, ConfigSettings& settings,
                     const char* section = nullptr);
// Sets every key of `keys` from its field. 1 when every value was taken, else 0.
int WriteSettingKeys(zrXml& xml, SettingKeyList keys, const ConfigSettings& settings);

// Ends every text field of the block within its array: for a block that came from elsewhere.
void TerminateSettingTexts(ConfigSettings& settings);
