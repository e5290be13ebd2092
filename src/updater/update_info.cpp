#include "updater/update_info.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/system_folders.h"
#include "system/bounded_text.h"
#include "system/text_encoding.h"
#include "xml/zrXml.h"

UpdateInfoRecord UpdateInfo;
LanguageMap LanguageTable;
LanguageEntry CurrentLanguage;

namespace {

// Longest value a query delivers.
constexpr size_t kValueCapacity = 4096;

template <size_t N>
void ReadText(const zrXml& xml, char16_t (&field)[N], zrXml::Keys keys) {
  xml.ReadString(field, N, u"", keys);
}

// Reads entry `name` ("lang00", ...) into `entry` and its prefix; false at the end of the table.
bool ReadLanguageEntry(const zrXml& xml, const char* name, LanguageEntry& entry,
                       std::u16string& prefix) {
  entry.code = static_cast<uint16_t>(xml.ReadInt(0xFFFF, {"language", name, "code"}));
  if (entry.code == 0xFFFF) return false;

  // The whole prefix names the entry's messages; the table key keeps what fits its field.
  std::u16string fullPrefix(kValueCapacity, u'\0');
  xml.ReadString(fullPrefix.data(), fullPrefix.size(), u"", {"language", name, "prifix"});
  fullPrefix.resize(WideLength(fullPrefix.c_str()));
  prefix = fullPrefix.substr(0, kPrefixCapacity - 1);
  ReadText(xml, entry.lang, {"language", name, "lang"});

  std::string path(fullPrefix.size() * 3 + 1, '\0');
  path.resize(WideToUtf8(fullPrefix.c_str(), path.data(), path.size()));
  const char* p = path.c_str();

  ReadText(xml, entry.wndtitle, {p, "message", "wndtitle"});
  ReadText(xml, entry.intoro, {p, "message", "intoro"});
  ReadText(xml, entry.success, {p, "message", "success"});
  ReadText(xml, entry.error_version, {p, "message", "error_version"});
  ReadText(xml, entry.error_inst, {p, "message", "error_inst"});
  ReadText(xml, entry.error_copy, {p, "message", "error_copy"});
  UnescapeNewlines(entry.wndtitle);
  UnescapeNewlines(entry.intoro);
  UnescapeNewlines(entry.success);
  UnescapeNewlines(entry.error_version);
  UnescapeNewlines(entry.error_inst);
  ReadText(xml, entry.sellang, {p, "message_sys", "sellang"});
  ReadText(xml, entry.copying, {p, "message_sys", "copying"});
  ReadText(xml, entry.language, {p, "message_error", "language"});
  ReadText(xml, entry.boot, {p, "message_error", "boot"});
  ReadText(xml, entry.title, {p, "message_error", "title"});
  return true;
}

}  // namespace

int LoadUpdateInfo(const char16_t* path) {
  UpdateInfo = {};
  LanguageTable.clear();
  zrXml xml;
  if (!xml.LoadFile(path)) return 0;

  ReadText(xml, UpdateInfo.brand, {"brand"});
  ReadText(xml, UpdateInfo.app, {"app"});
  ReadText(xml, UpdateInfo.instpath, {"instpath"});
  ReadText(xml, UpdateInfo.mutex, {"mutex"});
  ReadText(xml, UpdateInfo.confmutex, {"confmutex"});
  UpdateInfo.checkexeversion = xml.ReadInt(0, {"checkexeversion"});
  ReadText(xml, UpdateInfo.version_major, {"version", "major"});
  ReadText(xml, UpdateInfo.version_minor, {"version", "minor"});
  xml.ReadString(UpdateInfo.default_language, kPrefixCapacity, u"jp", {"language", "default"});

  // Entries are numbered without gaps: the first missing number ends the table.
  for (int n = 0;; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "lang%02d", n);
    LanguageEntry entry{};
    std::u16string prefix;
    if (!ReadLanguageEntry(xml, name, entry, prefix)) break;
    LanguageTable.emplace(prefix, entry);
  }
  return 1;
}

LanguageMap::const_iterator ChooseLanguage(uint16_t uiLanguage) {
  if (LanguageTable.size() <= 1) return LanguageTable.begin();
  for (auto it = LanguageTable.begin(); it != LanguageTable.end(); ++it) {
    if (it->second.code == uiLanguage) return it;
  }
  auto byDefault = LanguageTable.find(UpdateInfo.default_language);
  return byDefault != LanguageTable.end() ? byDefault : LanguageTable.begin();
}

int SelectLanguage(uint16_t uiLanguage) {
  auto chosen = ChooseLanguage(uiLanguage);
  if (chosen == LanguageTable.end()) return 0;
  CurrentLanguage = chosen->second;
  return 1;
}

int SelectLanguage() {
  if (LanguageTable.empty()) return 0;
  return SelectLanguage(platform::GetUserDefaultUILanguage());
}

void UnescapeNewlines(char16_t* text) {
  if (!text) return;
  char16_t* out = text;
  for (const char16_t* in = text; *in;) {
    if (in[0] == u'\\' && in[1] == u'n') {
      *out++ = u'\n';
      in += 2;
    } else {
      *out++ = *in++;
    }
  }
  *out = 0;
}
