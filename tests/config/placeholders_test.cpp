#include "config/placeholders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/config_test_support.h"
#include "config/zrConfig.h"
#include "system/folders.h"

namespace {

using zrtest::Utf8;
using zrtest::XmlDocument;

const PlaceholderValues kValues{u"Brand", u"Title", u"C:\\save", u"C:\\lib"};

std::string Expand(const std::u16string& text, size_t capacity = 260,
                   const PlaceholderValues& values = kValues) {
  std::u16string out(capacity + 8, u'#');  // room behind the capacity shows an overrun
  ExpandPlaceholderText(out.data(), capacity, text.c_str(), values);
  EXPECT_EQ(out.substr(capacity), std::u16string(8, u'#')) << "written past the capacity";
  return Utf8(out.c_str());
}

std::string Folder(int kind) {
  char16_t folder[260] = {};
  GetSystemFolder(kind, folder);
  return Utf8(folder);
}

class Placeholders : public zrtest::ConfigFolderTest {};

TEST_F(Placeholders, EveryTokenHasItsValue) {
  EXPECT_EQ(Expand(u"%brand%|%title%|%save%|%imglib%"), "Brand|Title|C:\\save|C:\\lib");
  EXPECT_EQ(Expand(u"%USERPROFILE%\\x"), Folder(9) + "\\x");
  EXPECT_EQ(Expand(u"%ProgramData%"), Folder(8));
  EXPECT_EQ(Expand(u"%ALLUSERSPROFILE%"), Folder(8));
  EXPECT_EQ(Expand(u"%brand%%title%"), "BrandTitle");
}

TEST_F(Placeholders, OtherTokensStayAsWritten) {
  EXPECT_EQ(Expand(u"%BRAND%\\%Title%"), "%BRAND%\\%Title%") << "tokens compare exactly";
  EXPECT_EQ(Expand(u"%unknown%\\%brand%"), "%unknown%\\Brand");
  EXPECT_EQ(Expand(u"%%brand%"), "%%brand%") << "\"%%\" is a token; \"brand%\" is text";
  EXPECT_EQ(Expand(u"50%"), "50%");
  EXPECT_EQ(Expand(u"save\\%brand"), "save\\%brand") << "an unterminated token runs to the end";
  EXPECT_EQ(Expand(u"%brand"), "%brand");
  EXPECT_EQ(Expand(u""), "");
}

TEST_F(Placeholders, TokensLongerThan258UnitsArePlainText) {
  const std::u16string longest = u"%" + std::u16string(256, u'x') + u"%";  // 258: a token
  const std::u16string tooLong = u"%" + std::u16string(257, u'x') + u"%";  // 259: text
  EXPECT_EQ(Expand(longest + u"%brand%", 600), Utf8(longest) + "Brand");
  EXPECT_EQ(Expand(tooLong + u"%brand%", 600), Utf8(tooLong) + "Brand");
  // Cut to the output, never past it.
  EXPECT_EQ(Expand(tooLong + u"%brand%", 100), Utf8(tooLong.substr(0, 99)));
}

TEST_F(Placeholders, AReplacementThatOverflowsIsCut) {
  EXPECT_EQ(Expand(u"ab%brand%cd", 6), "abBra");
  EXPECT_EQ(Expand(u"%brand%", 1), "");
  const PlaceholderValues wide{u"ABCDEF\U0001F600", u"T", u"S", u"I"};
  // The pair does not fit in 7 units: it goes whole, and nothing after it is added.
  EXPECT_EQ(Expand(u"%brand%xyz", 8, wide), "ABCDEF");
  EXPECT_EQ(Expand(u"%brand%xyz", 9, wide), Utf8(u"ABCDEF\U0001F600"));
  EXPECT_EQ(Expand(u"%brand%xyz", 11, wide), Utf8(u"ABCDEF\U0001F600xy"));
}

TEST_F(Placeholders, TheConfigurationExpandsNarrowShiftJisText) {
  InstallStartup(XmlDocument("<APP><brand>BR</brand><title>TI</title></APP>"));
  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  char16_t out[260];
  // "表" ends in the byte of a backslash; the text converts as Shift-JIS, not byte by byte.
  config.ExpandPlaceholders(out, 260, "\x95\x5C\\%brand%\\%title%");
  EXPECT_EQ(Utf8(out), "表\\BR\\TI");
  config.ExpandPlaceholders(out, 260, u"%save%|%imglib%");
  EXPECT_EQ(Utf8(out), Folder(9) + "\\BR\\TI|" + Folder(9) + "\\BR\\TI\\imglib");
  EXPECT_EQ(config.ExpandPlaceholders(out, 4, "%brand%xx"), 3u);
  EXPECT_EQ(Utf8(out), "BRx");
}

class LanguageText : public zrtest::ConfigFolderTest {
 protected:
  void SetUp() override {
    ConfigFolderTest::SetUp();
    InstallStartup(
        XmlDocument("<language><default>1</default><L00><language>japanese</language></L00>"
                    "<L01><language>english</language></L01><L02><language>中文</language></L02>"
                    "<L03><language>日本語テキスト</language></L03></language>" +
                    SaveInGameFolder()));
  }
  // The text expanded in a buffer of `capacity` units that holds it.
  static std::string Expanded(const zrConfig& config, const std::u16string& text,
                              size_t capacity = 260) {
    std::u16string buffer(capacity + 8, u'#');  // room behind the capacity shows an overrun
    buffer.replace(0, text.size() + 1, text.c_str(), text.size() + 1);
    config.ExpandLanguage(buffer.data(), capacity);
    EXPECT_EQ(buffer.substr(capacity), std::u16string(8, u'#')) << "written past the capacity";
    return Utf8(buffer.c_str());
  }
};

TEST_F(LanguageText, ReplacesTheInterfaceAndMainLanguage) {
  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  ConfigSettings& s = *zrConfig::Settings();
  s.language.id_UI = 2;
  s.language.id_main = 0;
  EXPECT_EQ(Expanded(config, u"ui_%LANG%\\%LANG_M%\\%LANG%.txt"), "ui_中文\\japanese\\中文.txt");
  char narrow[64] = "voice_%LANG_M%_%LANG%.int";
  config.ExpandLanguage(narrow, sizeof narrow);
  EXPECT_EQ(std::string(narrow), "voice_japanese_\x92\x86\x95\xB6.int");  // Shift-JIS "中文"
}

TEST_F(LanguageText, AnIndexOutsideTheTableTakesTheDefault) {
  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  ConfigSettings& s = *zrConfig::Settings();
  s.language.id_UI = 4;
  s.language.id_main = -1;
  EXPECT_EQ(Expanded(config, u"%LANG%/%LANG_M%"), "english/english");
  // The default outside the table too: the placeholder stays.
  s.language_definition.default_index = 7;
  EXPECT_EQ(Expanded(config, u"%LANG%/%LANG_M%"), "%LANG%/%LANG_M%");
  s.language.id_main = 0;
  EXPECT_EQ(Expanded(config, u"%LANG%/%LANG_M%"), "%LANG%/japanese");
}

TEST_F(LanguageText, ExpansionStaysWithinTheBuffer) {
  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  zrConfig::Settings()->language.id_UI = 1;
  EXPECT_EQ(Expanded(config, u"%LANG%!", 8), "english");
  // Narrow: the double-byte character that does not fit goes whole.
  zrConfig::Settings()->language.id_UI = 3;
  char narrow[16] = "%LANG%";
  std::memset(narrow + 7, '#', sizeof narrow - 7);
  config.ExpandLanguage(narrow, 8);
  EXPECT_EQ(std::string(narrow), "\x93\xFA\x96\x7B\x8C\xEA");  // "日本語"
  EXPECT_EQ(std::string(narrow + 8, narrow + 16), std::string(8, '#'))
      << "written past the capacity";
}

TEST_F(LanguageText, ReadingTheSetupMendsIndicesOutsideTheTable) {
  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  char16_t path[260];
  ASSERT_TRUE(zrtest::WriteLibraryFile(
      config.SetupPath(path, 260),
      XmlDocument("<language><id><UI>-4</UI><main>2</main><sub>4</sub></id></language>")));
  ASSERT_EQ(config.ReadSetup(kSetupDisplayPart), 1);
  EXPECT_EQ(zrConfig::Settings()->language.id_UI, 1);
  EXPECT_EQ(zrConfig::Settings()->language.id_main, 2);
  EXPECT_EQ(zrConfig::Settings()->language.id_sub, 1);
}

}  // namespace
