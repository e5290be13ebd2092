// File versions: the FileVersion text parse, the comparison, and whole records read from built
// libraries.
#include "file/file_version.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/test_support.h"
#include "support/version_dlls.h"

namespace {

using zrtest::Utf8;
using zrtest::VersionDll;
using zrtest::Wide;

std::string Dotted(uint32_t high, uint32_t low) {
  return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." +
         std::to_string(low >> 16) + "." + std::to_string(low & 0xFFFF);
}
std::string Version(const FileVersionRecord& record) {
  return Dotted(record.version_high, record.version_low);
}
// "a.b.c.d" as the parse sees the text.
std::string Parsed(const std::u16string& text) {
  uint32_t high = 0xDEAD;
  uint32_t low = 0xBEEF;
  ParseFileVersionText(text.c_str(), high, low);
  return Dotted(high, low);
}

TEST(FileVersionText, ReadsFourNumbersWithEitherSeparator) {
  EXPECT_EQ(Parsed(u"1, 2, 3, 4"), "1.2.3.4");
  EXPECT_EQ(Parsed(u"1.2.3.4"), "1.2.3.4");
  EXPECT_EQ(Parsed(u"1,2,3.4"), "1.2.3.4");  // the separator is chosen again for each number
  EXPECT_EQ(Parsed(u"1.2.3.4 (build 77)"), "1.2.3.4");
  EXPECT_EQ(Parsed(u"  1.  2.  3.  4"), "1.2.3.4");
  EXPECT_EQ(Parsed(u"0x10.2.3.4"), "16.2.3.4");
}

TEST(FileVersionText, NumbersCountOnlyBeforeASeparator) {
  EXPECT_EQ(Parsed(u"1.2.3"), "1.2.0.0");
  EXPECT_EQ(Parsed(u"1.2"), "1.0.0.0");
  EXPECT_EQ(Parsed(u"7"), "0.0.0.0");
  EXPECT_EQ(Parsed(u""), "0.0.0.0");
  // "," wins while the rest has one, so the piece "2.3" is no number and "4" has no separator.
  EXPECT_EQ(Parsed(u"1,2.3,4"), "1.0.0.0");
}

TEST(FileVersionText, PiecesThatAreNotNumbersGiveZero) {
  EXPECT_EQ(Parsed(u"a.2.3.4"), "0.2.3.4");
  EXPECT_EQ(Parsed(u"1..3.4"), "1.0.3.4");
  EXPECT_EQ(Parsed(u"1.2.3.beta"), "1.2.3.0");
  EXPECT_EQ(Parsed(u"1.2.3.4.5"), "1.2.3.0");  // "4.5" is a decimal fraction, not an integer
}

TEST(FileVersionText, KeepsLow16BitsAndLooksAt63Characters) {
  EXPECT_EQ(Parsed(u"70000.65537.-1.2"), "4464.1.65535.2");
  const std::u16string zeros(62, u'0');
  EXPECT_EQ(Parsed(zeros + u"9.2.3.4"), "9.2.3.4");   // 63 characters: read whole
  EXPECT_EQ(Parsed(zeros + u"09.2.3.4"), "0.2.3.4");  // 64: cut before the 9
  EXPECT_EQ(Parsed(u"1.2.3." + zeros + u"05"), "1.2.3.0");
  EXPECT_EQ(Parsed(u"1.2.3.   " + zeros + u"5"), "1.2.3.5");  // spaces do not count
}

FileVersionRecord WithVersion(uint32_t high, uint32_t low) {
  FileVersionRecord record{};
  record.version_high = high;
  record.version_low = low;
  return record;
}

TEST(FileVersionCompare, HighWordFirstThenLowUnsigned) {
  EXPECT_EQ(IsNewerVersion(WithVersion(0x10002, 0), WithVersion(0x10001, 0x90009)), 1);
  EXPECT_EQ(IsNewerVersion(WithVersion(0x10001, 0x90009), WithVersion(0x10002, 0)), 0);
  EXPECT_EQ(IsNewerVersion(WithVersion(0x10002, 1), WithVersion(0x10002, 0)), 1);
  EXPECT_EQ(IsNewerVersion(WithVersion(0x10002, 0), WithVersion(0x10002, 0)), 0);
  EXPECT_EQ(IsNewerVersion(WithVersion(0x80000000u, 0), WithVersion(0x7FFFFFFF, 0)), 1);
  EXPECT_EQ(IsNewerVersion(WithVersion(1, 0x80000000u), WithVersion(1, 0x7FFFFFFF)), 1);
}

// Reads a built library into `record`, which starts out full of garbage.
int Read(const std::string& name, FileVersionRecord& record) {
  std::memset(&record, 0x5A, sizeof record);
  return ReadFileVersion(Wide(VersionDll(name)).c_str(), record);
}

TEST(ReadFileVersion, FillsEveryStringInOrderAndTracesTheVersion) {
  ZR_REQUIRE_VERSION_DLLS();
  zrtest::TraceCapture traces;
  FileVersionRecord record;
  ASSERT_EQ(Read("comma_space", record), 1);
  EXPECT_EQ(Utf8(record.Comments), "comments");
  EXPECT_EQ(Utf8(record.CompanyName), "company");
  EXPECT_EQ(Utf8(record.FileDescription), "description");
  EXPECT_EQ(Utf8(record.FileVersion), "1, 2, 3, 4");
  EXPECT_EQ(Utf8(record.InternalName), "internal");
  EXPECT_EQ(Utf8(record.LegalCopyright), "copyright");
  EXPECT_EQ(Utf8(record.LegalTrademarks), "trademarks");
  EXPECT_EQ(Utf8(record.OriginalFilename), "original.dll");
  EXPECT_EQ(Utf8(record.ProductName), "product");
  EXPECT_EQ(Utf8(record.ProductVersion), "product version");
  EXPECT_EQ(Utf8(record.PrivateBuild), "private");
  EXPECT_EQ(Utf8(record.SpecialBuild), "special");
  EXPECT_EQ(record.version_high, (1u << 16) | 2);
  EXPECT_EQ(record.version_low, (3u << 16) | 4);
  EXPECT_TRUE(traces.Contains("version : 1, 2, 3, 4"));
}

TEST(ReadFileVersion, VersionComesFromTheFileVersionText) {
  ZR_REQUIRE_VERSION_DLLS();
  FileVersionRecord record;
  const std::pair<const char*, const char*> cases[] = {
      {"dots", "1.2.3.4"},  {"build_label", "1.2.3.4"}, {"commas_then_dot", "1.2.3.4"},
      {"mixed", "1.0.0.0"}, {"three", "1.2.0.0"},       {"two", "1.0.0.0"},
      {"single", "0.0.0.0"}};
  for (const auto& [name, version] : cases) {
    ASSERT_EQ(Read(name, record), 1) << name;
    EXPECT_EQ(Version(record), version) << name;
  }
  // A text longer than the field is cut at 255 units; the version still reads.
  ASSERT_EQ(Read("long_text", record), 1);
  EXPECT_EQ(Utf8(record.FileVersion), "1.2.3.4 " + std::string(247, 'x'));
  EXPECT_EQ(Version(record), "1.2.3.4");
  EXPECT_EQ(Utf8(record.PrivateBuild), "private");  // the next field is intact
}

TEST(ReadFileVersion, TranslationChoosesTheStringTable) {
  ZR_REQUIRE_VERSION_DLLS();
  FileVersionRecord record;
  ASSERT_EQ(Read("other_language", record), 1);
  EXPECT_EQ(Utf8(record.CompanyName), "second table");
  EXPECT_EQ(Version(record), "2.2.2.2");

  ASSERT_EQ(Read("japanese", record), 1);
  EXPECT_EQ(Utf8(record.CompanyName), "株式会社サンプル");
  EXPECT_EQ(Utf8(record.FileDescription), "ゲーム本体");
  EXPECT_EQ(Version(record), "3.0.1.0");
}

TEST(ReadFileVersion, MissingResourceOrTranslationLeavesTheRecordZero) {
  ZR_REQUIRE_VERSION_DLLS();
  const FileVersionRecord zero{};
  FileVersionRecord record;
  EXPECT_EQ(Read("no_translation", record), 1);
  EXPECT_EQ(std::memcmp(&record, &zero, sizeof record), 0);
  EXPECT_EQ(Read("no_version", record), 0);
  EXPECT_EQ(std::memcmp(&record, &zero, sizeof record), 0);
  EXPECT_EQ(Read("not_there", record), 0);
  EXPECT_EQ(std::memcmp(&record, &zero, sizeof record), 0);
}

}  // namespace
