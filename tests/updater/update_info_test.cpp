#include "updater/update_info.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using zrtest::Utf8;

std::string Entry(int number, const std::string& code, const std::string& prefix) {
  char name[16];
  std::snprintf(name, sizeof name, "lang%02d", number);
  return "<" + std::string(name) + "><code>" + code + "</code><prifix>" + prefix +
         "</prifix><lang>" + prefix + "-lang</lang></" + name + ">";
}

std::string Messages(const std::string& prefix, const std::string& title) {
  return "<" + prefix + "><message><wndtitle>" + title + "</wndtitle><error_copy>" + title +
         "</error_copy></message><message_sys><copying>" + title +
         "</copying></message_sys><message_error><boot>" + title + "</boot><title>" + title +
         "</title></message_error></" + prefix + ">";
}

class UpdateInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { CurrentLanguage = {}; }

  int Load(const std::string& body) {
    folder_.WriteFile("updateinfo.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<document>" +
                                            body + "</document>\r\n");
    return LoadUpdateInfo(folder_.WidePathOf("updateinfo.xml").c_str());
  }

  std::vector<std::string> Prefixes() const {
    std::vector<std::string> prefixes;
    for (const auto& entry : LanguageTable) prefixes.push_back(Utf8(entry.first));
    return prefixes;
  }

  zrtest::TempDir folder_;
};

TEST_F(UpdateInfoTest, ReadsEveryFieldOfTheDescription) {
  ASSERT_EQ(Load("<brand>Maker</brand><app>Title</app><instpath>Maker\\Title</instpath>"
                 "<mutex>M1</mutex><confmutex>M2</confmutex><checkexeversion>0x10</checkexeversion>"
                 "<version><major>1</major><minor>02</minor></version>"
                 "<language><default>en</default>" +
                 Entry(0, "0x0411", "jp") + "</language>" + Messages("jp", "日本語の題")),
            1);
  EXPECT_EQ(Utf8(UpdateInfo.brand), "Maker");
  EXPECT_EQ(Utf8(UpdateInfo.app), "Title");
  EXPECT_EQ(Utf8(UpdateInfo.instpath), "Maker\\Title");
  EXPECT_EQ(Utf8(UpdateInfo.mutex), "M1");
  EXPECT_EQ(Utf8(UpdateInfo.confmutex), "M2");
  EXPECT_EQ(UpdateInfo.checkexeversion, 16);
  EXPECT_EQ(Utf8(UpdateInfo.version_major), "1");
  EXPECT_EQ(Utf8(UpdateInfo.version_minor), "02");
  EXPECT_EQ(Utf8(UpdateInfo.default_language), "en");
  ASSERT_EQ(LanguageTable.size(), 1u);
  const LanguageEntry& jp = LanguageTable.at(u"jp");
  EXPECT_EQ(jp.code, 0x0411);
  EXPECT_EQ(Utf8(jp.lang), "jp-lang");
  EXPECT_EQ(Utf8(jp.wndtitle), "日本語の題");
  EXPECT_EQ(Utf8(jp.title), "日本語の題");
}

TEST_F(UpdateInfoTest, AbsentKeysTakeDefaultsAndEmptyElementsReadAsZero) {
  ASSERT_EQ(Load("<checkexeversion></checkexeversion>"), 1);
  EXPECT_EQ(UpdateInfo.checkexeversion, 0);
  EXPECT_EQ(Utf8(UpdateInfo.default_language), "jp");
  EXPECT_TRUE(LanguageTable.empty());
  EXPECT_EQ(SelectLanguage(0x0411), 0);
  // An empty code is 0, not the 0xFFFF that ends the table.
  ASSERT_EQ(
      Load("<checkexeversion>5</checkexeversion><language>" + Entry(0, "", "xx") + "</language>"),
      1);
  EXPECT_EQ(UpdateInfo.checkexeversion, 5);
  ASSERT_EQ(LanguageTable.size(), 1u);
  EXPECT_EQ(LanguageTable.at(u"xx").code, 0);
}

TEST_F(UpdateInfoTest, MissingOrUnreadableDescriptionFails) {
  EXPECT_EQ(LoadUpdateInfo(folder_.WidePathOf("absent.xml").c_str()), 0);
  folder_.WriteFile("bom.xml", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><document/>");
  EXPECT_EQ(LoadUpdateInfo(folder_.WidePathOf("bom.xml").c_str()), 0);
}

TEST_F(UpdateInfoTest, TableEndsAtTheFirstMissingNumberOrAnAllOnesCode) {
  ASSERT_EQ(Load("<language>" + Entry(0, "1", "a") + Entry(2, "2", "c") + "</language>"), 1);
  EXPECT_EQ(Prefixes(), std::vector<std::string>{"a"});
  ASSERT_EQ(Load("<language>" + Entry(0, "1", "a") + Entry(1, "-1", "b") + Entry(2, "2", "c") +
                 "</language>"),
            1);
  EXPECT_EQ(Prefixes(), std::vector<std::string>{"a"});
  ASSERT_EQ(Load("<language>" + Entry(0, "0x1FFFF", "a") + "</language>"), 1);
  EXPECT_TRUE(LanguageTable.empty());
}

TEST_F(UpdateInfoTest, TableIsOrderedByUnitsAndKeepsTheFirstOfEqualPrefixes) {
  ASSERT_EQ(Load("<language>" + Entry(0, "1", "b") + Entry(1, "2", "日本") + Entry(2, "3", "ab") +
                 Entry(3, "4", "a") + Entry(4, "5", "b") + Entry(5, "6", "") + "</language>"),
            1);
  EXPECT_EQ(Prefixes(), (std::vector<std::string>{"", "a", "ab", "b", "日本"}));
  EXPECT_EQ(LanguageTable.at(u"b").code, 1);  // entry 4 was dropped
}

TEST_F(UpdateInfoTest, LanguageChoiceFollowsUiLanguageThenDefaultThenSmallestPrefix) {
  const std::string table =
      Entry(0, "0x0411", "jp") + Entry(1, "0x0409", "en") + Entry(2, "0x0804", "cn");
  const std::string messages = Messages("jp", "J") + Messages("en", "E") + Messages("cn", "C");
  ASSERT_EQ(Load("<language><default>cn</default>" + table + "</language>" + messages), 1);
  EXPECT_EQ(Utf8(ChooseLanguage(0x0409)->first), "en");
  ASSERT_EQ(SelectLanguage(0x0407), 1);
  EXPECT_EQ(Utf8(CurrentLanguage.wndtitle), "C");

  ASSERT_EQ(Load("<language><default>de</default>" + table + "</language>" + messages), 1);
  ASSERT_EQ(SelectLanguage(0x0407), 1);
  EXPECT_EQ(Utf8(CurrentLanguage.wndtitle), "C");  // cn is the smallest prefix
  // The default is compared exactly.
  ASSERT_EQ(Load("<language><default>EN</default>" + table + "</language>" + messages), 1);
  EXPECT_EQ(Utf8(ChooseLanguage(0x0407)->first), "cn");
}

TEST_F(UpdateInfoTest, SingleEntryIsChosenWhateverItsCode) {
  ASSERT_EQ(Load("<language><default>xx</default>" + Entry(0, "0x0412", "ko") + "</language>" +
                 Messages("ko", "K")),
            1);
  ASSERT_EQ(SelectLanguage(0x0411), 1);
  EXPECT_EQ(CurrentLanguage.code, 0x0412);
  EXPECT_EQ(Utf8(CurrentLanguage.wndtitle), "K");
}

TEST_F(UpdateInfoTest, OnlyTheMessageTextsUnescapeNewlines) {
  ASSERT_EQ(Load("<language>" + Entry(0, "1", "jp") + "</language>" + Messages("jp", "A\\nB")), 1);
  const LanguageEntry& jp = LanguageTable.at(u"jp");
  EXPECT_EQ(Utf8(jp.wndtitle), "A\nB");
  EXPECT_EQ(Utf8(jp.error_copy), "A\\nB");
  EXPECT_EQ(Utf8(jp.copying), "A\\nB");
  EXPECT_EQ(Utf8(jp.boot), "A\\nB");
  EXPECT_EQ(Utf8(jp.title), "A\\nB");
}

TEST_F(UpdateInfoTest, LargeLanguageTableLoadsInLinearTime) {
  // Every entry is read through some sixteen queries; when each query searched the sibling
  // lists, this table took minutes to load.
  constexpr int kEntries = 40000;
  std::string table;
  std::string messages;
  for (int n = 0; n < kEntries; ++n) {
    const std::string prefix = "p" + std::to_string(n);
    table += Entry(n, std::to_string(n + 1), prefix);
    messages += Messages(prefix, "title" + std::to_string(n));
  }
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Load("<language><default>p7</default>" + table + "</language>" + messages), 1);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed.count(), 60.0);  // seconds

  ASSERT_EQ(LanguageTable.size(), static_cast<size_t>(kEntries));
  for (int n : {0, 12345, kEntries - 1}) {
    const std::string prefix = "p" + std::to_string(n);
    const LanguageEntry& entry = LanguageTable.at(zrtest::Wide(prefix));
    EXPECT_EQ(entry.code, n + 1);
    EXPECT_EQ(Utf8(entry.lang), prefix + "-lang");
    EXPECT_EQ(Utf8(entry.wndtitle), "title" + std::to_string(n));
    EXPECT_EQ(Utf8(entry.title), "title" + std::to_string(n));
  }
  EXPECT_EQ(Utf8(UpdateInfo.default_language), "p7");
}

TEST(UnescapeNewlines, HasNoEscapeForTheBackslashItself) {
  char16_t text[] = u"a\\\\nb\\x\\";
  UnescapeNewlines(text);
  EXPECT_EQ(std::u16string(text), u"a\\\nb\\x\\");
  char16_t empty[] = u"";
  UnescapeNewlines(empty);
  EXPECT_EQ(std::u16string(empty), u"");
}

TEST_F(UpdateInfoTest, OverlongValuesAreCutAtTheirFields) {
  const std::string longText(5000, 'x');
  const std::string longPrefix(100, 'p');
  ASSERT_EQ(Load("<brand>" + longText + "</brand><version><major>" + longText +
                 "</major></version><language><default>" + longText + "</default>" +
                 Entry(0, "1", longPrefix) + "</language>" + Messages(longPrefix, longText)),
            1);
  EXPECT_EQ(Utf8(UpdateInfo.brand), std::string(259, 'x'));
  EXPECT_EQ(Utf8(UpdateInfo.version_major), std::string(255, 'x'));
  EXPECT_EQ(Utf8(UpdateInfo.default_language), std::string(63, 'x'));
  ASSERT_EQ(LanguageTable.size(), 1u);
  const auto& [prefix, entry] = *LanguageTable.begin();
  EXPECT_EQ(Utf8(prefix), std::string(63, 'p'));
  // The messages were still found under the whole prefix.
  EXPECT_EQ(Utf8(entry.wndtitle), std::string(255, 'x'));
  EXPECT_EQ(Utf8(entry.boot), std::string(511, 'x'));
}

}  // namespace
