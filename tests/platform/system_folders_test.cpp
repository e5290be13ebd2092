#include "platform/system_folders.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/posix/ui_language.h"
#endif
#include "platform_test_support.h"

namespace {

#ifndef _WIN32
std::string Folder(int kind) {
  char16_t out[260];
  if (!platform::GetSystemFolder(kind, out, 260)) return "(failed)";
  return zrtest::Utf8(out);
}
#endif

TEST(SystemFoldersTest, PrefixFoldersAsAProgramInsideSeesThem) {
#ifdef _WIN32
  GTEST_SKIP() << "reads the folders of a fake Wine prefix; Windows asks the shell";
#else
  zrtest::FakeWinePrefix prefix;
  zrtest::EnvOverride user("USER", "player");
  EXPECT_EQ(Folder(0), "C:\\users\\player\\Desktop");
  EXPECT_EQ(Folder(1), "C:\\users\\Public\\Desktop");
  EXPECT_EQ(Folder(2), "C:\\users\\player\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu");
  EXPECT_EQ(Folder(3),
            "C:\\users\\player\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs");
  EXPECT_EQ(Folder(4), "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
  EXPECT_EQ(Folder(5), "C:\\users\\player\\Documents");
  EXPECT_EQ(Folder(7), "C:\\windows");
  EXPECT_EQ(Folder(8), "C:\\ProgramData");
  EXPECT_EQ(Folder(9), "C:\\users\\player\\AppData\\Roaming");
  EXPECT_EQ(Folder(10), "C:\\Program Files");
  EXPECT_EQ(Folder(11), "C:\\users\\player\\Pictures");
  EXPECT_EQ(Folder(12), "(failed)");
  EXPECT_EQ(Folder(-1), "(failed)");
  char16_t small[10];
  EXPECT_FALSE(platform::GetSystemFolder(8, small, 10));
#endif
}

TEST(SystemFoldersTest, ProgramFilesFollowsThePrefixKind) {
#ifdef _WIN32
  GTEST_SKIP() << "reads the kind of a fake Wine prefix; Windows asks the shell";
#else
  zrtest::FakeWinePrefix prefix(/*wow64=*/true);
  EXPECT_EQ(Folder(10), "C:\\Program Files (x86)");  // what a 32-bit program is shown
#endif
}

TEST(SystemFoldersTest, MissingPrefixFailsAllButTempAndWindows) {
#ifdef _WIN32
  GTEST_SKIP() << "a missing Wine prefix and TMPDIR concern only the Linux layer";
#else
  zrtest::TempDir dir;
  zrtest::EnvOverride prefix("WINEPREFIX", dir.PathOf("none").c_str());
  for (int kind : {0, 1, 2, 3, 4, 5, 8, 9, 10, 11}) EXPECT_EQ(Folder(kind), "(failed)") << kind;
  EXPECT_EQ(Folder(7), "C:\\windows");
  zrtest::EnvOverride temp("TMPDIR", "/var/tmp");
  EXPECT_EQ(Folder(6), "/var/tmp/");
  zrtest::EnvOverride noTemp("TMPDIR", nullptr);
  EXPECT_EQ(Folder(6), "/tmp/");
#endif
}

TEST(UiLanguageTest, LocaleNamesGiveWindowsIdentifiers) {
#ifdef _WIN32
  GTEST_SKIP() << "the Linux layer's mapping of locale names; Windows knows its UI language";
#else
  // clang-format off
  const std::pair<const char*, uint16_t> cases[] = {
      {"ja_JP.UTF-8", 0x0411}, {"ja", 0x0411}, {"ja_JP.UTF-8@x", 0x0411}, {"JA-jp", 0x0411},
      {"en_US", 0x0409}, {"en_GB.UTF-8", 0x0809}, {"zh_CN.GB2312", 0x0804}, {"zh_TW", 0x0404},
      {"zh", 0x0804}, {"ko_KR.EUC-KR", 0x0412}, {"de_DE", 0x0407}, {"de_AT", 0x0C07},
      {"de_BE", 0x0407}, {"fr_FR", 0x040C}, {"es_ES", 0x0C0A}, {"es_MX", 0x080A},
      {"it_IT", 0x0410}, {"ru_RU.KOI8-R", 0x0419}, {"pt_BR", 0x0416}, {"pt_PT", 0x0816},
      {"pt", 0x0416}, {"C", 0x0409}, {"C.UTF-8", 0x0409}, {"POSIX", 0x0409}, {"xx_YY", 0x0409},
      {"", 0x0409}, {nullptr, 0x0409}};
  // clang-format on
  for (const auto& [name, language] : cases) {
    EXPECT_EQ(platform::UiLanguageFromLocaleName(name), language) << (name ? name : "(null)");
  }
#endif
}

TEST(UiLanguageTest, TheFirstSetLocaleVariableDecides) {
#ifdef _WIN32
  GTEST_SKIP()
      << "LC_ALL, LC_MESSAGES and LANG decide only on Linux; Windows knows its UI language";
#else
  zrtest::EnvOverride all("LC_ALL", "");
  zrtest::EnvOverride messages("LC_MESSAGES", "de_DE.UTF-8");
  zrtest::EnvOverride lang("LANG", "ja_JP.UTF-8");
  EXPECT_EQ(platform::GetUserDefaultUILanguage(), 0x0407);
  {
    zrtest::EnvOverride all2("LC_ALL", "ko_KR.UTF-8");
    EXPECT_EQ(platform::GetUserDefaultUILanguage(), 0x0412);
  }
  zrtest::EnvOverride messages2("LC_MESSAGES", nullptr);
  EXPECT_EQ(platform::GetUserDefaultUILanguage(), 0x0411);
  zrtest::EnvOverride lang2("LANG", nullptr);
  EXPECT_EQ(platform::GetUserDefaultUILanguage(), 0x0409);
#endif
}

}  // namespace
