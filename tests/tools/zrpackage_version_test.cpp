// The package tool's version command, run as a separate process.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "support/test_support.h"
#include "support/version_dlls.h"

namespace {

// A tool that hangs fails the test within a minute.
zrtest::CommandRun RunTool(const std::string& arguments) {
  return zrtest::RunCommand("timeout 60 " + std::string(ZRPACKAGE_PATH) + " " + arguments);
}

TEST(ZrpackageVersion, PrintsTheRecordAsJson) {
  ZR_REQUIRE_VERSION_DLLS();
  const zrtest::CommandRun run = RunTool("version " + zrtest::VersionDll("build_label"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find("{\n  \"Comments\": \"comments\",\n  \"CompanyName\": \"company\",\n"), 0u)
      << run.out;
  EXPECT_NE(run.out.find("\"FileVersion\": \"1.2.3.4 (build 77)\","), std::string::npos);
  EXPECT_NE(run.out.find("\"SpecialBuild\": \"special\",\n"
                         "  \"version_high\": 65538,\n"
                         "  \"version_low\": 196612,\n"
                         "  \"version\": [\n    1,\n    2,\n    3,\n    4\n  ]\n}\n"),
            std::string::npos)
      << run.out;

  const zrtest::CommandRun japanese = RunTool("version " + zrtest::VersionDll("japanese"));
  ASSERT_EQ(japanese.status, 0) << japanese.err;
  EXPECT_NE(japanese.out.find("\"ProductName\": \"体験版 𠮷\""), std::string::npos);
}

TEST(ZrpackageVersion, FileWithoutVersionResourceFails) {
  ZR_REQUIRE_VERSION_DLLS();
  const zrtest::CommandRun none = RunTool("version " + zrtest::VersionDll("no_version"));
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(none.out.empty());
  EXPECT_EQ(std::count(none.err.begin(), none.err.end(), '\n'), 1) << none.err;

  EXPECT_EQ(RunTool("version /nonexistent/file.dll").status, 1);
  // A FIFO has no reader and would block an open that waits for one.
  zrtest::TempDir dir;
  ASSERT_EQ(mkfifo(dir.PathOf("game.dll").c_str(), 0666), 0);
  EXPECT_EQ(RunTool("version " + dir.PathOf("game.dll")).status, 1);
  EXPECT_EQ(RunTool("version").status, 2);
  EXPECT_EQ(RunTool("version a.dll b.dll").status, 2);
}

}  // namespace
