#ifdef _WIN32
#include <gtest/gtest.h>

TEST(ConsoleMessageBoxTest, LinuxOnly) {
  GTEST_SKIP() << "the Linux layer's console boxes, answered on standard input; Windows shows real "
                  "boxes, which wait for a click";
}
#else
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "support/test_support.h"

namespace {

using namespace platform;

// The answers the console boxes give, one box per flag word, to `input` on standard input. Run in
// a child so that the test's own standard input and error stay as they are.
std::vector<int> Answers(const std::string& input, const std::vector<uint32_t>& boxes) {
  zrtest::TempDir dir;
  dir.WriteFile("input", input);
  std::vector<int> answers;
  for (size_t count = 1; count <= boxes.size(); ++count) {
    // The child reports the answer of the last of `count` boxes.
    answers.push_back(zrtest::RunInChild([&] {
      if (!std::freopen(dir.PathOf("input").c_str(), "r", stdin)) return 0;
      if (!std::freopen("/dev/null", "w", stderr)) return 0;
      int answer = 0;
      for (size_t i = 0; i < count; ++i) {
        answer = ShowNativeMessageBox({nullptr, u"text", u"caption", boxes[i]});
      }
      return answer;
    }));
  }
  return answers;
}

TEST(ConsoleMessageBoxTest, AClosedInputNeverConfirms) {
  EXPECT_EQ(Answers("", {kMessageBoxOkCancel}), std::vector<int>{kAnswerCancel});
  EXPECT_EQ(Answers("", {kMessageBoxYesNo | kMessageBoxIconQuestion}), std::vector<int>{kAnswerNo});
  EXPECT_EQ(Answers("", {kMessageBoxOk | kMessageBoxIconError}), std::vector<int>{kAnswerOk});
  // Enter confirms; the input then ends.
  EXPECT_EQ(Answers("\n", {kMessageBoxOkCancel, kMessageBoxOkCancel}),
            (std::vector<int>{kAnswerOk, kAnswerCancel}));
}

TEST(ConsoleMessageBoxTest, AnswersPickTheButtonsWhateverTheirNames) {
  EXPECT_EQ(Answers(" y\nn\nC\nc\nno\nyes\n",
                    {kMessageBoxOkCancel, kMessageBoxOkCancel, kMessageBoxOkCancel,
                     kMessageBoxYesNo, kMessageBoxYesNo, kMessageBoxYesNo}),
            (std::vector<int>{kAnswerOk, kAnswerCancel, kAnswerCancel, kAnswerNo, kAnswerNo,
                              kAnswerYes}));
  EXPECT_EQ(Answers("n\n", {kMessageBoxOk}), std::vector<int>{kAnswerOk});
}

TEST(ConsoleMessageBoxTest, TheRestOfALongAnswerDoesNotAnswerTheNextBox) {
  const std::string longAnswer = "y" + std::string(100, ' ') + "n\n";
  EXPECT_EQ(Answers(longAnswer + "\n", {kMessageBoxOkCancel, kMessageBoxOkCancel}),
            (std::vector<int>{kAnswerOk, kAnswerOk}));
}

}  // namespace
#endif  // _WIN32
