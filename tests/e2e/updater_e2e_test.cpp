// The updater program run as a user runs it: from a package folder, against a game installed in a
// Wine-style prefix, with its questions answered on standard input. Every case checks the boxes
// shown, in order, and what happened to the installation.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/demo_install.h"
#include "support/test_support.h"
#include "support/version_dlls.h"

namespace {

namespace fs = std::filesystem;

// The console's rendering of one message box with the answer read from the input file.
std::string Box(const std::string& caption, const std::string& text, bool twoButtons = false,
                const std::string& answer = "OK") {
  return "== " + caption + " ==\n" + text + "\n" + (twoButtons ? "[OK/cancel] " : "[OK] ") +
         answer + "\n";
}

class UpdaterEndToEnd : public zrtest::DemoInstallTest {
 protected:
  // Runs the updater in the package folder with `answers` on standard input.
  zrtest::CommandRun Run(const std::string& answers, const std::string& arguments = "") {
    dir_.WriteFile("answers", answers);
    return zrtest::RunCommand("(cd '" + Package() + "' && WINEPREFIX='" + Prefix() +
                              "' timeout 60 " + UPDATER_PATH + " " + arguments + " < '" +
                              dir_.PathOf("answers") + "')");
  }
};

TEST_F(UpdaterEndToEnd, ASuccessfulUpdateCopiesEveryFileAndWritesTheLog) {
  const auto run = Run("\n\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, Box("Demo Update", "Update the demo?", true) +
                         Box("Demo Update", "The update is complete."));
  EXPECT_NE(run.out.find("== Demo Update ==\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("[picture 32x16, 24-bit]"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Copying files.\n"), std::string::npos) << run.out;

  EXPECT_EQ(GameFile("readme.txt"), "new readme");
  EXPECT_EQ(GameFile("script/a.dat"), "new a");
  EXPECT_EQ(GameFile("script/deep/b.dat"), std::string(300000, 'b'));
  EXPECT_EQ(GameFile("日本語.txt"), "japanese name");
  EXPECT_EQ(GameFile("keep.txt"), "untouched");
  if (zrtest::FileExists(zrtest::VersionDll("dots"))) {
    EXPECT_EQ(GameFile("Demo.exe"), dir_.ReadFile("package/data/Demo.exe"));
  }
  struct stat source {};
  struct stat copied {};
  ASSERT_EQ(stat((Package() + "/data/script/deep/b.dat").c_str(), &source), 0);
  ASSERT_EQ(stat((Game() + "/script/deep/b.dat").c_str(), &copied), 0);
  EXPECT_EQ(copied.st_mtim.tv_sec, source.st_mtim.tv_sec);
  // Sorted, quoted, Shift-JIS ("日本語" is 93 fa 96 7b 8c ea) with CR LF.
  EXPECT_EQ(GameFile("install.log"),
            std::string(zrtest::FileExists(zrtest::VersionDll("dots")) ? "\"Demo.exe\"\r\n" : "") +
                "\"readme.txt\"\r\n\"script\\a.dat\"\r\n\"script\\deep\\b.dat\"\r\n"
                "\"\x93\xfa\x96\x7b\x8c\xea.txt\"\r\n");
}

TEST_F(UpdaterEndToEnd, CancelTouchesNothing) {
  for (const std::string& answers : {std::string("c\n"), std::string("")}) {
    SCOPED_TRACE(answers.empty() ? "end of input" : "cancel");
    const auto run = Run(answers);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, Box("Demo Update", "Update the demo?", true, "cancel"));
    EXPECT_FALSE(GameHas("readme.txt"));
    EXPECT_FALSE(GameHas("install.log"));
    EXPECT_EQ(GameFile("script/a.dat"), "old a");
  }
}

TEST_F(UpdaterEndToEnd, AMissingOrTooOldGameIsRefusedAfterTheConfirmation) {
  SetInstalledVersion(1, 1);
  auto run = Run("\n\n");
  EXPECT_EQ(run.err, Box("Demo Update", "Update the demo?", true) +
                         Box("Error", "The installed version is too old."));
  EXPECT_FALSE(GameHas("readme.txt"));

  fs::remove(Prefix() + "/drive_c/ProgramData/DemoSoft/Demo.xml");
  run = Run("\n\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, Box("Demo Update", "Update the demo?", true) +
                         Box("Demo Update", "The demo is not installed."));
  EXPECT_FALSE(GameHas("install.log"));
}

TEST_F(UpdaterEndToEnd, AFailedCopyShowsTwoBoxesAndKeepsTheOldFiles) {
  // A folder where a file must go: it cannot be replaced, whoever runs the test.
  fs::create_directories(Game() + "/readme.txt/inside");
  const auto run = Run("\n\n\n");
  EXPECT_EQ(run.status, 0);
  const size_t confirmation = Box("Demo Update", "Update the demo?", true).size();
  const std::string after = run.err.substr(confirmation);
  EXPECT_EQ(after.rfind("== Error ==\n", 0), 0u) << run.err;
  EXPECT_NE(after.find("readme.txt"), std::string::npos) << run.err;
  const std::string last = Box("Demo Update", "A file could not be copied.");
  ASSERT_GE(after.size(), last.size());
  EXPECT_EQ(after.substr(after.size() - last.size()), last);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '='), 3 * 4) << run.err;  // three boxes
  EXPECT_EQ(run.err.find("complete"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(Game() + "/readme.txt/inside"));
}

TEST_F(UpdaterEndToEnd, UnattendedRunsTellTheirResultByExitStatus) {
  auto run = Run("", "--unattended");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "Demo Update: The update is complete.\n");
  EXPECT_EQ(GameFile("readme.txt"), "new readme");

  fs::remove(Game() + "/readme.txt");
  fs::create_directories(Game() + "/readme.txt/inside");
  run = Run("", "--unattended");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Demo Update: A file could not be copied.\n"), std::string::npos)
      << run.err;
}

TEST_F(UpdaterEndToEnd, ASecondUpdaterWhileOneRunsIsTurnedAway) {
  // The first updater holds the mutexes while it waits at its confirmation, reading a pipe that
  // this test keeps open.
  const std::string fifo = dir_.PathOf("first-input");
  const std::string output = dir_.PathOf("first-output");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const pid_t first = fork();
  ASSERT_GE(first, 0);
  if (first == 0) {
    const int in = open(fifo.c_str(), O_RDONLY);
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || chdir(Package().c_str()) != 0) _exit(99);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    setenv("WINEPREFIX", Prefix().c_str(), 1);
    execl(UPDATER_PATH, UPDATER_PATH, static_cast<char*>(nullptr));
    _exit(98);
  }
  FILE* answers = std::fopen(fifo.c_str(), "w");
  ASSERT_NE(answers, nullptr);
  for (int i = 0; i < 400 && dir_.ReadFile("first-output").find("[OK/cancel]") == std::string::npos;
       ++i) {
    usleep(25000);
  }
  const auto second = Run("\n");
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(second.err, Box("Demo Update", "The demo is running."));
  std::fputs("c\n", answers);
  std::fclose(answers);
  int status = -1;
  ASSERT_EQ(waitpid(first, &status, 0), first);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(GameHas("readme.txt"));
}

TEST_F(UpdaterEndToEnd, AGameRunningUnderWineIsSeenByItsProgramPath) {
  // Wine shows the Windows path of the program it runs as the process's first argument.
  dir_.WriteFile("prefix/drive_c/Games/" + GameName() + "/Demo.exe", "MZ");
  // Another case than the folder's: Windows paths are not case-sensitive.
  const std::string program = "c:\\GAMES\\" + GameName() + "\\demo.EXE";
  const pid_t game = fork();
  ASSERT_GE(game, 0);
  if (game == 0) {
    execl("/bin/sleep", program.c_str(), "30", static_cast<char*>(nullptr));
    _exit(98);
  }
  usleep(100000);
  const auto run = Run("\n");
  kill(game, SIGTERM);
  waitpid(game, nullptr, 0);
  EXPECT_EQ(run.err, Box("Demo Update", "The demo is running."));
  EXPECT_FALSE(GameHas("readme.txt"));
}

}  // namespace
