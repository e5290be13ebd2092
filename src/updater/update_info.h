// The package description "updateinfo.xml": what the package updates, the mutex names, the
// minimum installed version, and the table of languages with every text the updater shows.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct UpdateInfoRecord {
  char16_t brand[260];      // folder of the installed program's record
  char16_t app[260];        // name of that record ("%s.xml")
  char16_t instpath[260];   // stored only
  char16_t mutex[260];      // running check: the game
  char16_t confmutex[260];  // running check: its configuration program
  int32_t checkexeversion;  // non-zero: exe and dll files are compared by file version
  char16_t version_major[256];
  char16_t version_minor[256];
  char16_t default_language[64];
};

struct LanguageEntry {
  uint16_t code;  // Windows language identifier
  char16_t lang[128];
  char16_t wndtitle[256];
  char16_t intoro[512];
  char16_t success[512];
  char16_t error_version[512];
  char16_t error_inst[512];
  char16_t error_copy[512];
  char16_t sellang[512];
  char16_t copying[512];
  char16_t language[512];
  char16_t boot[512];
  char16_t title[512];
};

// Ordered by prefix, unit by unit as unsigned 16-bit values; a prefix already present keeps its
// first entry.
using LanguageMap = std::map<std::u16string, LanguageEntry>;

constexpr size_t kPrefixCapacity = 64;  // units of a prefix, terminator included

extern UpdateInfoRecord UpdateInfo;
extern LanguageMap LanguageTable;
extern LanguageEntry CurrentLanguage;

// Reads the description (by default "updateinfo.xml" in the current folder) into UpdateInfo and
// LanguageTable; 1 when the file was loaded, whatever it held.
int LoadUpdateInfo(const char16_t* path = u"updateinfo.xml");

// Copies the entry for the user's UI language into CurrentLanguage; 0 when the table is empty.
int SelectLanguage();
int SelectLanguage(uint16_t uiLanguage);
// The entry SelectLanguage(uiLanguage) takes, or end() when the table is empty.
LanguageMap::const_iterator ChooseLanguage(uint16_t uiLanguage);

// Turns every backslash followed by "n" into a line feed, in place.
void UnescapeNewlines(char16_t* text);
