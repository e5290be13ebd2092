#include "config/config_lists.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "config/xml_key_path.h"

namespace {

constexpr int kMaxListIndex = 99;
constexpr size_t kValueUnits = 4096;  // the longest value a query gives

// Reads the values below one element ("SECTION/name/").
class Element {
 public:
  Element(const zrXml& xml, std::string path) : xml_(xml), path_(std::move(path)) {}

  bool Exists() const {
    zrXmlCursor cursor;
    return xml_.FindChildren(cursor, {path_.c_str()}) == 1;
  }
  int32_t Int(const char* key) const {
    return WithKeyPath(path_ + "/" + key,
                       [this](zrXml::Keys names) { return xml_.ReadInt(0, names); });
  }
  std::u16string Text(const char* key) const {
    std::u16string value(kValueUnits, u'\0');
    WithKeyPath(path_ + "/" + key, [&](zrXml::Keys names) {
      return xml_.ReadString(value.data(), value.size(), u"", names);
    });
    value.resize(std::char_traits<char16_t>::length(value.c_str()));
    return value;
  }

 private:
  const zrXml& xml_;
  std::string path_;
};

// Reads `pattern` (one "%02d") for 0, 1, ... until an index is missing.
template <typename Entry, typename Read>
std::vector<Entry> ReadIndexed(const zrXml& xml, const char* pattern, Read read) {
  std::vector<Entry> entries;
  for (int index = 0; index <= kMaxListIndex; ++index) {
    char path[64];
    std::snprintf(path, sizeof path, pattern, index);
    const Element element(xml, path);
    if (!element.Exists()) break;
    entries.push_back(read(element));
  }
  return entries;
}

}  // namespace

std::vector<ConfigLanguageEntry> ReadLanguageTable(const zrXml& xml) {
  return ReadIndexed<ConfigLanguageEntry>(xml, "language/L%02d", [](const Element& e) {
    return ConfigLanguageEntry{e.Text("code"), e.Text("language")};
  });
}

std::vector<ConfigSoundGroup> ReadSoundGroups(const zrXml& xml) {
  std::vector<ConfigSoundGroup> groups;
  zrXmlCursor cursor;
  if (!xml.FindChildren(cursor, {"SOUNDGROUP"})) return groups;
  for (std::string name; xml.NextChild(cursor, name);) {
    const Element e(xml, "SOUNDGROUP/" + name);
    groups.push_back(ConfigSoundGroup{name, e.Int("id"), e.Int("type"), e.Int("min"), e.Int("max"),
                                      e.Text("label"), e.Text("comment"), e.Int("MASTER"),
                                      e.Int("PART")});
  }
  // The document lists children last to first.
  std::reverse(groups.begin(), groups.end());
  return groups;
}

std::vector<ConfigVoiceEntry> ReadVoices(const zrXml& xml) {
  return ReadIndexed<ConfigVoiceEntry>(xml, "SOUNDCONFIG/v%02d", [](const Element& e) {
    return ConfigVoiceEntry{e.Text("voice"),    e.Int("mastervol"), e.Text("head"),
                            e.Text("group"),    e.Text("int"),      e.Int("vol/bgm"),
                            e.Int("vol/play"),  e.Int("vol/se"),    e.Int("vol/voice"),
                            e.Int("vol/master")};
  });
}

std::vector<ConfigVoiceTableEntry> ReadVoiceTable(const zrXml& xml) {
  return ReadIndexed<ConfigVoiceTableEntry>(xml, "TTS/tbl%02d", [](const Element& e) {
    return ConfigVoiceTableEntry{e.Int("id"),     e.Text("name"),   e.Text("voice"),
                                 e.Int("volume"), e.Int("default"), e.Text("dic")};
  });
}
