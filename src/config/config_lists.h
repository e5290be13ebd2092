// The lists of the game definition that live beside the settings block, in the configuration
// object: the language table, the sound groups, the voices and the text-to-speech voice table.
// Indexed lists (language/L00, SOUNDCONFIG/v00, TTS/tbl00, up to 99) run from index 0 to the first
// index the file does not have. Sound groups are every child of SOUNDGROUP, in file order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xml/zrXml.h"

// language/Lnn: code and language (the entry's name).
struct ConfigLanguageEntry {
  std::u16string code;
  std::u16string name;
};

// SOUNDGROUP/<any name>: id, type, min, max, label, comment, MASTER, PART.
struct ConfigSoundGroup {
  std::string element;  // the child's own name
  int32_t id;
  int32_t type;
  int32_t min;
  int32_t max;
  std::u16string label;
  std::u16string comment;
  int32_t master;
  int32_t part;
};

// SOUNDCONFIG/vnn: voice, mastervol, head, group, int, vol/bgm, vol/play, vol/se, vol/voice,
// vol/master.
struct ConfigVoiceEntry {
  std::u16string voice;
  int32_t mastervol;
  std::u16string head;
  std::u16string group;
  std::u16string archive;  // key "int"
  int32_t vol_bgm;
  int32_t vol_play;
  int32_t vol_se;
  int32_t vol_voice;
  int32_t vol_master;
};

// TTS/tblnn: id, name, voice, volume, default, dic.
struct ConfigVoiceTableEntry {
  int32_t id;
  std::u16string name;
  std::u16string voice;
  int32_t volume;
  int32_t is_default;  // key "default"
  std::u16string dic;
};

std::vector<ConfigLanguageEntry> ReadLanguageTable(const zrXml& xml);
std::vector<ConfigSoundGroup> ReadSoundGroups(const zrXml& xml);
std::vector<ConfigVoiceEntry> ReadVoices(const zrXml& xml);
std::vector<ConfigVoiceTableEntry> ReadVoiceTable(const zrXml& xml);
