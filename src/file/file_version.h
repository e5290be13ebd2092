// File versions of executables and libraries, from the FileVersion text of their version
// resource.
#pragma once

#include <cstdint>

struct FileVersionRecord {
  char16_t Comments[256];
  char16_t CompanyName[256];
  char16_t FileDescription[256];
  char16_t FileVersion[256];
  char16_t InternalName[256];
  char16_t LegalCopyright[256];
  char16_t LegalTrademarks[256];
  char16_t OriginalFilename[256];
  char16_t ProductName[256];
  char16_t ProductVersion[256];
  char16_t PrivateBuild[256];
  char16_t SpecialBuild[256];
  uint32_t version_low;   // (third << 16) | fourth
  uint32_t version_high;  // (first << 16) | second
};

// 1 when the file has a version resource (the record is then filled; all zero without a
// translation), else 0.
int ReadFileVersion(const char16_t* path, FileVersionRecord& record);

// The version words of a FileVersion text such as "1, 2, 3, 4" or "1.2.3.4 (build 77)": each of
// the first three numbers counts only when a separator ("," when the rest of the text has one,
// else ".") follows it; a piece that is not a number gives 0, and only 64 - 1 characters of a
// piece are looked at. Each number keeps its low 16 bits.
void ParseFileVersionText(const char16_t* text, uint32_t& versionHigh, uint32_t& versionLow);

// 1 when `source` is strictly newer: version high first, then version low, unsigned.
int IsNewerVersion(const FileVersionRecord& source, const FileVersionRecord& destination);
