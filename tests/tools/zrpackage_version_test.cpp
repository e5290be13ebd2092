// The package tool's version command, run as a separate process.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "support/test_support.h"
#include "support/version_dlls.h"

namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun RunTool(const std::string& arguments) {
  zrtest::TempDir scratch;
  const std::string command = std::string(ZRPACKAGE_PATH) + " " + arguments + " 2>" +
                              scratch.PathOf("stderr") + " </dev/null";
  ToolRun run{};
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = scratch.ReadFile("stderr");
  return run;
}

TEST(ZrpackageVersion, PrintsTheRecordAsJson) {
  ZR_REQUIRE_VERSION_DLLS();
  const ToolRun run = RunTool("version " + zrtest::VersionDll("build_label"));
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

  const ToolRun japanese = RunTool("version " + zrtest::VersionDll("japanese"));
  ASSERT_EQ(japanese.status, 0) << japanese.err;
  EXPECT_NE(japanese.out.find("\"ProductName\": \"体験版 𠮷\""), std::string::npos);
}

TEST(ZrpackageVersion, FileWithoutVersionResourceFails) {
  ZR_REQUIRE_VERSION_DLLS();
  const ToolRun none = RunTool("version " + zrtest::VersionDll("no_version"));
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(none.out.empty());
  EXPECT_EQ(std::count(none.err.begin(), none.err.end(), '\n'), 1) << none.err;

  EXPECT_EQ(RunTool("version /nonexistent/file.dll").status, 1);
  EXPECT_EQ(RunTool("version").status, 2);
  EXPECT_EQ(RunTool("version a.dll b.dll").status, 2);
}

}  // namespace
