#include "system/trace.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

TEST(Trace, NarrowAndWideTextsReachOneSink) {
  zrtest::TraceCapture traces;
  Trace("zrFile : ハンドルが無効です");
  TraceW(u"Read file failed : %d", 5);
  TraceW(u"xml open %s", u"C:\\ゲーム\\updateinfo.xml");
  EXPECT_EQ(traces.Texts(), (std::vector<std::string>{"zrFile : ハンドルが無効です",
                                                      "Read file failed : 5",
                                                      "xml open C:\\ゲーム\\updateinfo.xml"}));
}

TEST(Trace, TextsAreDroppedWithoutSinkOrWhenOutputIsOff) {
  Trace("nobody listens");  // must simply not crash
  zrtest::TraceCapture traces;
  SetTraceOutputEnabled(false);
  Trace("dropped");
  SetTraceOutputEnabled(true);
  Trace("kept");
  EXPECT_EQ(traces.Texts(), std::vector<std::string>{"kept"});
}

TEST(Trace, TextsAreCutAt500CharactersOnACharacterBoundary) {
  zrtest::TraceCapture traces;
  const std::string longAscii(600, 'a');
  Trace("%s", longAscii.c_str());
  const std::u16string longWide(600, u'字');
  TraceW(u"%s", longWide.c_str());
  std::string kanji;
  for (int i = 0; i < 300; ++i) kanji += "字";  // 3 bytes each
  Trace("%s", kanji.c_str());
  ASSERT_EQ(traces.Texts().size(), 3u);
  EXPECT_EQ(traces.Texts()[0], std::string(500, 'a'));
  EXPECT_EQ(zrtest::Wide(traces.Texts()[1]), std::u16string(500, u'字'));
  EXPECT_EQ(traces.Texts()[2].size(), 498u);  // 166 whole characters fit in 500 bytes
}

TEST(Trace, AssertMessageShowsABoxAndReturns) {
  zrtest::TraceCapture traces;
  zrtest::MessageBoxRecorder boxes;
  AssertMessageW(u"読み込みモードでオープンされていません : %s", u"a.txt");
  AssertMessage("既に違うファイルがオープンされています");
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[0].text, "読み込みモードでオープンされていません : a.txt");
  EXPECT_EQ(boxes.Boxes()[0].caption, "Assert message...");
  EXPECT_EQ(boxes.Boxes()[0].flags, platform::kMessageBoxIconError);
  EXPECT_TRUE(traces.Contains("既に違うファイルがオープンされています"));
}

TEST(TraceDeathTest, ContractViolationEndsTheProcessAfterTheBox) {
  EXPECT_EXIT(
      {
        zrtest::MessageBoxRecorder boxes;
        ContractViolation("ZRFILE_READ 又は ZRFILE_WRITE を指定してください");
      },
      ::testing::ExitedWithCode(kContractViolationExitCode), "");
}

}  // namespace
