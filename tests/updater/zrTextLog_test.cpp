#include "updater/zrTextLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using zrtest::TempDir;
using zrtest::Wide;

std::vector<std::u16string> LinesOf(const zrTextLog& log) {
  return {log.Lines().begin(), log.Lines().end()};
}

std::u16string Repeat(const std::u16string& unit, size_t count) {
  std::u16string text;
  for (size_t i = 0; i < count; ++i) text += unit;
  return text;
}

// Shift-JIS of the characters the tests use; ソ and 表 have the trail byte 0x5C.
const std::string kSo = "\x83\x5C";
const std::string kHyo = "\x95\x5C";
const std::string kA = "\x82\xA0";    // あ
const std::string kKan = "\x8A\xBF";  // 漢
const std::string kHalfA = "\xB1";    // ｱ

TEST(zrTextLogLoad, SplitsAtEveryLineEndForm) {
  TempDir dir;
  dir.WriteFile("log", "one\r\ntwo\nthree\rstill\n\n\r\nlast");
  zrTextLog log;
  EXPECT_EQ(log.Load(dir.WidePathOf("log").c_str()), 1);
  EXPECT_EQ(LinesOf(log),
            (std::vector<std::u16string>{u"one", u"two", u"three\rstill", u"", u"", u"last"}));

  // A final line end adds no empty line; a second load appends.
  dir.WriteFile("log2", "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\r\n");
  EXPECT_EQ(log.Load(dir.WidePathOf("log2").c_str()), 1);
  EXPECT_EQ(log.Lines().size(), 7u);
  EXPECT_EQ(log.Lines().back(), u"データ");

  dir.WriteFile("empty", "");
  EXPECT_EQ(log.Load(dir.WidePathOf("empty").c_str()), 1);
  EXPECT_EQ(log.Lines().size(), 7u);
}

TEST(zrTextLogLoad, FailsWithoutAddingForAMissingFileOrAFolder) {
  TempDir dir;
  zrTextLog log;
  log.AddLine(u"kept");
  EXPECT_EQ(log.Load(dir.WidePathOf("missing").c_str()), 0);
  EXPECT_EQ(log.Load(dir.WidePath().c_str()), 0);
  EXPECT_EQ(LinesOf(log), std::vector<std::u16string>{u"kept"});
}

TEST(zrTextLogLoad, ReadsShiftJis) {
  TempDir dir;
  dir.WriteFile("log", "\"" + kSo + "\\" + kHyo + ".txt\"\r\n" + kA + kKan + kHalfA + "\n");
  zrTextLog log;
  log.UseShiftJis();
  EXPECT_EQ(log.Load(dir.WidePathOf("log").c_str()), 1);
  EXPECT_EQ(LinesOf(log), (std::vector<std::u16string>{u"\"ソ\\表.txt\"", u"あ漢ｱ"}));
}

TEST(zrTextLogLoad, CutsOverlongLinesAtAWholeCharacter) {
  TempDir dir;
  // UTF-8: at most 259 units.
  dir.WriteFile("utf8", std::string(300, 'x') + "\n" + std::string(10, 'y'));
  zrTextLog utf8;
  EXPECT_EQ(utf8.Load(dir.WidePathOf("utf8").c_str()), 1);
  EXPECT_EQ(LinesOf(utf8), (std::vector<std::u16string>{Repeat(u"x", 259), Repeat(u"y", 10)}));

  // Shift-JIS: read through 519 bytes of UTF-8, three a kanji: "a" and 172 of 300 kanji remain.
  std::string kanji;
  for (int i = 0; i < 300; ++i) kanji += kKan;
  dir.WriteFile("sjis", "a" + kanji + "\r\nnext\r\n");
  zrTextLog sjis;
  sjis.UseShiftJis();
  EXPECT_EQ(sjis.Load(dir.WidePathOf("sjis").c_str()), 1);
  EXPECT_EQ(LinesOf(sjis), (std::vector<std::u16string>{u"a" + Repeat(u"漢", 172), u"next"}));
}

TEST(zrTextLogAddLine, CopiesAtMost259UnitsWithoutSplittingAPair) {
  zrTextLog log;
  const std::u16string name = u"\"data\\file.txt\"";
  std::u16string text = name;
  EXPECT_EQ(log.AddLine(text.c_str()), 1);
  text[1] = u'X';  // the log holds its own copy
  EXPECT_EQ(log.AddLine(Repeat(u"b", 300).c_str()), 1);
  const std::u16string pairAtTheCut = Repeat(u"c", 258) + u"\U0001F600";
  EXPECT_EQ(log.AddLine(pairAtTheCut.c_str()), 1);
  EXPECT_EQ(log.AddLine(nullptr), 1);
  EXPECT_EQ(LinesOf(log),
            (std::vector<std::u16string>{name, Repeat(u"b", 259), Repeat(u"c", 258), u""}));
}

TEST(zrTextLogSortUnique, IsStableAndKeepsTheFirstOfEqualLines) {
  zrTextLog log;
  for (const char16_t* line :
       {u"\"B.txt\"", u"\"c.txt\"", u"", u"\"a.txt\"", u"\"b.TXT\"", u"\"A.TXT\"", u"",
        u"\"b.txt\"", u"\"ｂ.txt\"", u"\"10.txt\"", u"\"9.txt\""}) {
    log.AddLine(line);
  }
  EXPECT_EQ(log.SortUnique(), 1);
  EXPECT_EQ(LinesOf(log),
            (std::vector<std::u16string>{u"", u"\"10.txt\"", u"\"9.txt\"", u"\"a.txt\"",
                                         u"\"B.txt\"", u"\"ｂ.txt\"", u"\"c.txt\""}));
}

TEST(zrTextLogSave, WritesShiftJisWithCrLfAndNoByteOrderMark) {
  TempDir dir;
  zrTextLog log;
  log.UseShiftJis();
  for (const char16_t* line : {u"\"ソ\\表.txt\"", u"", u"あ漢ｱ", u"a\u2603b"}) log.AddLine(line);
  EXPECT_EQ(log.Save(dir.WidePathOf("log").c_str()), 1);
  // A character Shift-JIS lacks is written as '?'.
  EXPECT_EQ(dir.ReadFile("log"),
            "\"" + kSo + "\\" + kHyo + ".txt\"\r\n\r\n" + kA + kKan + kHalfA + "\r\na?b\r\n");

  // Read back, the names are the same, trail byte 0x5C and all.
  zrTextLog again;
  again.UseShiftJis();
  EXPECT_EQ(again.Load(dir.WidePathOf("log").c_str()), 1);
  EXPECT_EQ(LinesOf(again),
            (std::vector<std::u16string>{u"\"ソ\\表.txt\"", u"", u"あ漢ｱ", u"a?b"}));

  // Saving replaces the whole file; an empty log leaves it empty.
  zrTextLog empty;
  EXPECT_EQ(empty.Save(dir.WidePathOf("log").c_str()), 1);
  EXPECT_EQ(dir.ReadFile("log"), "");
}

TEST(zrTextLogSave, WritesUtf8WithCrLf) {
  TempDir dir;
  zrTextLog log;
  log.AddLine(u"データ");
  log.AddLine(u"x");
  EXPECT_EQ(log.Save(dir.WidePathOf("log").c_str()), 1);
  EXPECT_EQ(dir.ReadFile("log"), "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\r\nx\r\n");
}

TEST(zrTextLogSave, BoundsEachShiftJisLineAtAWholeCharacter) {
  TempDir dir;
  zrTextLog log;
  log.UseShiftJis();
  log.AddLine((u"a" + Repeat(u"表", 258)).c_str());  // 517 bytes: cut to 509
  log.AddLine(Repeat(u"z", 259).c_str());            // 259 bytes: whole
  EXPECT_EQ(log.Save(dir.WidePathOf("log").c_str()), 1);
  std::string expected = "a";
  for (int i = 0; i < 254; ++i) expected += kHyo;
  expected += "\r\n" + std::string(259, 'z') + "\r\n";
  EXPECT_EQ(dir.ReadFile("log"), expected);
}

TEST(zrTextLogSave, FailsWhenTheFileCannotBeCreated) {
  TempDir dir;
  zrTextLog log;
  log.AddLine(u"x");
  EXPECT_EQ(log.Save(dir.WidePath().c_str()), 0);
  EXPECT_EQ(log.Save(dir.WidePathOf("missing/log").c_str()), 0);
}

}  // namespace
