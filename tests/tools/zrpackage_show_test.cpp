// The package tool's show command, run as a separate process the way package authors run it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "support/test_support.h"

namespace {

zrtest::CommandRun RunTool(const std::string& arguments) {
  return zrtest::RunCommand(std::string(ZRPACKAGE_PATH) + " " + arguments);
}

const std::string kDemo = std::string(ZR_SOURCE_DIR) + "/examples/demo/package";

TEST(ZrpackageShow, DescribesTheDemoPackageInTheChosenLanguage) {
  const zrtest::CommandRun english = RunTool("show " + kDemo + " --ui-language 0x0409");
  ASSERT_EQ(english.status, 0) << english.err;
  EXPECT_NE(english.out.find("\"brand\": \"DemoSoft\""), std::string::npos);
  EXPECT_NE(english.out.find("\"checkexeversion\": 1,"), std::string::npos);
  EXPECT_NE(english.out.find("\"code\": 1041"), std::string::npos);
  EXPECT_NE(english.out.find("\"lang\": \"日本語\""), std::string::npos);
  EXPECT_NE(english.out.find("version 1.03.\\nDo you"), std::string::npos);
  EXPECT_NE(english.out.find("\"chosen\": \"en\"\n}\n"), std::string::npos);
  // Map order: "en" before "jp".
  EXPECT_LT(english.out.find("\"prefix\": \"en\""), english.out.find("\"prefix\": \"jp\""));

  const zrtest::CommandRun japanese = RunTool("show " + kDemo + " --ui-language 1041");
  ASSERT_EQ(japanese.status, 0);
  EXPECT_NE(japanese.out.find("\"chosen\": \"jp\""), std::string::npos);
}

TEST(ZrpackageShow, EscapesEveryTextAsValidJson) {
  zrtest::TempDir package;
  package.WriteFile("updateinfo.xml",
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<document>"
                    "<brand>a\"b\\c\td</brand><app>\xFF\xFF</app><language><lang00><code>1</code>"
                    "<prifix>x</prifix></lang00></language></document>");
  const zrtest::CommandRun run = RunTool("show " + package.Path() + " --ui-language 0x0411");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"brand\": \"a\\\"b\\\\c d\""), std::string::npos);  // tab read as space
  EXPECT_NE(run.out.find("\"app\": \"\\uffff\""), std::string::npos);
  EXPECT_NE(run.out.find("\"chosen\": \"x\""), std::string::npos);
}

TEST(ZrpackageShow, EmptyTableChoosesNothing) {
  zrtest::TempDir package;
  package.WriteFile("updateinfo.xml",
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<document></document>");
  const zrtest::CommandRun run = RunTool("show " + package.Path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"languages\": [],"), std::string::npos);
  EXPECT_NE(run.out.find("\"chosen\": null"), std::string::npos);
}

TEST(ZrpackageShow, FailuresGiveOneLineOnStandardError) {
  zrtest::TempDir empty;
  const zrtest::CommandRun missing = RunTool("show " + empty.Path());
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.out.empty());
  EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;

  EXPECT_EQ(RunTool("show " + kDemo + " --ui-language banana").status, 2);
  EXPECT_EQ(RunTool("show").status, 2);
  EXPECT_EQ(RunTool("frobnicate").status, 2);
}

}  // namespace
