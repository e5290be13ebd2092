// The Windows updater (updater.exe) under Wine on a virtual X display, driven as a person would:
// each message box is answered with Return or Escape once Wine has shown it. The boxes' texts
// come from Wine's message-box trace. Needs the prepared Wine prefix ($ZR_WINE_PREFIX) and the
// Windows build; scripts/test.sh runs this suite after that build.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/demo_install.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr uint32_t kSplashWidth = 320;
constexpr uint32_t kSplashHeight = 200;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string WindowsUpdaterPath() {
  const std::string given = Environment("ZR_WINDOWS_UPDATER");
  return given.empty() ? std::string(ZR_SOURCE_DIR) + "/build/windows-i686/updater.exe" : given;
}

// Starts `arguments` in `folder` with `environment` added, its output to `log`.
pid_t Start(const std::vector<std::string>& arguments, const std::string& folder,
            const std::vector<std::string>& environment, const std::string& log) {
  const pid_t child = fork();
  if (child != 0) return child;
  FILE* out = std::fopen(log.c_str(), "w");
  if (!out || chdir(folder.c_str()) != 0) _exit(97);
  dup2(fileno(out), 1);
  dup2(fileno(out), 2);
  for (const std::string& setting : environment) putenv(strdup(setting.c_str()));
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(98);
}

// The exit status, or -1 when the process is still running after `seconds` (it is then killed).
int WaitForExit(pid_t process, int seconds) {
  for (int tick = 0; tick < seconds * 20; ++tick) {
    int status = 0;
    if (waitpid(process, &status, WNOHANG) == process) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::this_thread::sleep_for(milliseconds(50));
  }
  kill(process, SIGKILL);
  waitpid(process, nullptr, 0);
  return -1;
}

class WindowsUpdater : public zrtest::DemoInstallTest {
 protected:
  void SetUp() override {
    if (Environment("ZR_WINE_PREFIX").empty() || !fs::exists(WindowsUpdaterPath())) {
      GTEST_SKIP() << "needs the prepared Wine prefix ($ZR_WINE_PREFIX) and the Windows build";
    }
    display_ = ":" + std::to_string(300 + getpid() % 600);
    xvfb_ = Start({"Xvfb", display_, "-screen", "0",
                   std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24",
                   "-nolisten", "tcp"},
                  "/", {}, "/dev/null");
    for (int tick = 0; tick < 100 && !Shell("xdpyinfo >/dev/null 2>&1"); ++tick) {
      std::this_thread::sleep_for(milliseconds(50));
    }
    DemoInstallTest::SetUp();
    WriteSplashPicture(kSplashWidth, kSplashHeight);
    fs::copy_file(WindowsUpdaterPath(), Package() + "/updater.exe");
  }

  void TearDown() override {
    if (xvfb_ > 0) {
      Shell("wineserver -k >/dev/null 2>&1");
      kill(xvfb_, SIGTERM);
      waitpid(xvfb_, nullptr, 0);
    }
    DemoInstallTest::TearDown();
  }

  // A copy of the prepared prefix, which already holds the settings the notes call for.
  void PreparePrefix() override {
    ASSERT_TRUE(Shell("cp -a '" + Environment("ZR_WINE_PREFIX") + "' '" + Prefix() + "'"));
  }

  std::vector<std::string> WineEnvironment(const std::string& language) const {
    return {"WINEPREFIX=" + Prefix(),           "DISPLAY=" + display_, "WINEDEBUG=-all,+msgbox",
            "WINEDLLOVERRIDES=mscoree,mshtml=", "LANG=" + language,    "LC_ALL=" + language};
  }

  bool Shell(const std::string& command) const {
    return std::system(
               ("DISPLAY=" + display_ + " WINEPREFIX='" + Prefix() + "' " + command).c_str()) == 0;
  }

  pid_t StartUpdater(const std::string& log, const std::string& arguments = "",
                     const std::string& language = "en_US.UTF-8") {
    std::vector<std::string> command = {"wine", "updater.exe"};
    if (!arguments.empty()) command.push_back(arguments);
    return Start(command, Package(), WineEnvironment(language), dir_.PathOf(log));
  }

  // The texts of the boxes Wine has shown so far, from its trace: L"text with \n".
  std::vector<std::string> Boxes(const std::string& log) const {
    std::vector<std::string> texts;
    const std::string trace = dir_.ReadFile(log);
    const std::string marker = "MSGBOX_OnInit L\"";
    for (size_t at = trace.find(marker); at != std::string::npos; at = trace.find(marker, at)) {
      at += marker.size();
      std::string text;
      for (; at < trace.size() && trace[at] != '"'; ++at) {
        if (trace[at] == '\\' && at + 1 < trace.size()) {
          ++at;
          text += trace[at] == 'n' ? '\n' : trace[at];
        } else {
          text += trace[at];
        }
      }
      texts.push_back(text);
    }
    return texts;
  }

  // Waits until Wine has shown `count` boxes in this run.
  bool WaitForBoxes(const std::string& log, size_t count) const {
    for (int tick = 0; tick < 600 && Boxes(log).size() < count; ++tick) {
      std::this_thread::sleep_for(milliseconds(50));
    }
    return Boxes(log).size() >= count;
  }

  // Waits for box number `count` (from 1), notes its caption and owner, then answers it with
  // `key` ("Return" or "Escape"). Every box is centred on its owner, and every owner on the
  // screen, so the pointer at the centre gives the box the key.
  bool Answer(const std::string& log, size_t count, const std::string& key) {
    if (!WaitForBoxes(log, count)) return false;
    std::this_thread::sleep_for(milliseconds(400));
    shown_.push_back(OwnedBox());
    return Shell("xdotool mousemove " + std::to_string(kScreenWidth / 2) + " " +
                 std::to_string(kScreenHeight / 2) + " sleep 0.2 key " + key);
  }

  std::string X(const std::string& command) const {
    return zrtest::RunCommand("DISPLAY=" + display_ + " " + command).out;
  }

  // "<caption> / <owner>" of the box on screen: the visible window that Wine made transient for
  // its owner; the owner is "splash" (the titled window) or "dialog" (the untitled progress
  // dialog).
  std::string OwnedBox() const {
    std::istringstream windows(X("xdotool search --onlyvisible --name '.'"));
    for (std::string id; windows >> id;) {
      const std::string transient = X("xprop -id " + id + " WM_TRANSIENT_FOR");
      const size_t hash = transient.find("# ");
      if (hash == std::string::npos) continue;
      std::string owner = X("xdotool getwindowname " + transient.substr(hash + 2));
      std::string caption = X("xdotool getwindowname " + id);
      if (!owner.empty() && owner.back() == '\n') owner.pop_back();
      if (!caption.empty() && caption.back() == '\n') caption.pop_back();
      return caption + " / " + (owner.empty() ? "dialog" : "splash");
    }
    return "no owned box";
  }

  std::vector<std::string> shown_;

  // Red, green and blue of a screen pixel, packed as blue | green << 8 | red << 16.
  uint32_t ScreenPixel(const std::string& shot, int x, int y) const {
    const std::string file = dir_.PathOf("pixel.txt");
    Shell("convert '" + shot +
          "' -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' -crop 1x1+" +
          std::to_string(x) + "+" + std::to_string(y) + " info: > '" + file + "'");
    unsigned red = 0, green = 0, blue = 0;
    std::sscanf(dir_.ReadFile("pixel.txt").c_str(), "%u %u %u", &red, &green, &blue);
    return blue | green << 8 | red << 16;
  }

  std::string display_;
  pid_t xvfb_ = -1;
};

class WindowsUpdaterInLocale : public WindowsUpdater,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(WindowsUpdaterInLocale, ASuccessfulUpdateShowsThePictureAndWritesTheLinuxLog) {
  const std::string language = GetParam();
  // Names whose order needs Windows' rules: marks weighed by what precedes them, widths, kana
  // types, Japanese punctuation, hyphens.
  for (const char* name : {"ーテスト.txt", "ｶﾞ.txt", "が.txt", "カ.txt", "「a」.txt", "b-c.txt",
                           "bc-.txt", "ａー.txt", "aa.txt", "日ー.txt", "、.txt", "B.txt"}) {
    dir_.WriteFile(std::string("package/data/") + name, name);
  }
  // The Linux build's log for the same package and game, then the game as it was.
  const std::string before = dir_.PathOf("game-before");
  ASSERT_TRUE(Shell("cp -a '" + Game() + "' '" + before + "'"));
  dir_.WriteFile("answers", "\n\n");
  const auto native = zrtest::RunCommand("(cd '" + Package() + "' && LANG=" + language +
                                         " LC_ALL=" + language + " WINEPREFIX='" + Prefix() + "' " +
                                         UPDATER_PATH + " < '" + dir_.PathOf("answers") + "')");
  ASSERT_EQ(native.status, 0) << native.err;
  const std::string nativeLog = GameFile("install.log");
  fs::remove_all(Game());
  ASSERT_TRUE(Shell("cp -a '" + before + "' '" + Game() + "'"));

  const pid_t updater = StartUpdater("run.log", "", language);
  ASSERT_TRUE(WaitForBoxes("run.log", 1));
  // Around the confirmation, the splash window shows the picture 1:1, transparent parts white.
  const std::string shot = dir_.PathOf("splash.png");
  ASSERT_TRUE(Shell("import -window root '" + shot + "'"));
  const int left = (kScreenWidth - static_cast<int>(kSplashWidth)) / 2;
  const int top = (kScreenHeight - static_cast<int>(kSplashHeight)) / 2;
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{4, 4}, {40, 190}, {300, 10}}) {
    EXPECT_EQ(ScreenPixel(shot, left + x, top + y), SplashColour(kSplashWidth, x, y))
        << "picture pixel " << x << "," << y;
  }
  ASSERT_TRUE(Answer("run.log", 1, "Return"));
  ASSERT_TRUE(Answer("run.log", 2, "Return"));
  EXPECT_EQ(WaitForExit(updater, 60), 0);
  EXPECT_EQ(Boxes("run.log"),
            (std::vector<std::string>{"Update the demo?", "The update is complete."}));
  EXPECT_EQ(shown_, (std::vector<std::string>{"Demo Update / splash", "Demo Update / dialog"}));
  EXPECT_EQ(GameFile("readme.txt"), "new readme");
  EXPECT_EQ(GameFile("日本語.txt"), "japanese name");
  EXPECT_EQ(GameFile("install.log"), nativeLog);
}

INSTANTIATE_TEST_SUITE_P(Locales, WindowsUpdaterInLocale,
                         ::testing::Values("en_US.UTF-8", "ja_JP.UTF-8"));

TEST_F(WindowsUpdater, EscapeAtTheConfirmationTouchesNothing) {
  const pid_t updater = StartUpdater("run.log");
  ASSERT_TRUE(Answer("run.log", 1, "Escape"));
  EXPECT_EQ(WaitForExit(updater, 60), 0);
  EXPECT_EQ(Boxes("run.log"), std::vector<std::string>{"Update the demo?"});
  EXPECT_FALSE(GameHas("readme.txt"));
  EXPECT_FALSE(GameHas("install.log"));
}

TEST_F(WindowsUpdater, AMissingOrTooOldGameIsRefused) {
  SetInstalledVersion(1, 1);
  pid_t updater = StartUpdater("old.log");
  ASSERT_TRUE(Answer("old.log", 1, "Return"));
  ASSERT_TRUE(Answer("old.log", 2, "Return"));
  EXPECT_EQ(WaitForExit(updater, 60), 0);
  EXPECT_EQ(Boxes("old.log"),
            (std::vector<std::string>{"Update the demo?", "The installed version is too old."}));

  fs::remove(Prefix() + "/drive_c/ProgramData/DemoSoft/Demo.xml");
  updater = StartUpdater("missing.log");
  ASSERT_TRUE(Answer("missing.log", 1, "Return"));
  ASSERT_TRUE(Answer("missing.log", 2, "Return"));
  EXPECT_EQ(WaitForExit(updater, 60), 0);
  EXPECT_EQ(Boxes("missing.log"),
            (std::vector<std::string>{"Update the demo?", "The demo is not installed."}));
  EXPECT_FALSE(GameHas("readme.txt"));
}

TEST_F(WindowsUpdater, ASecondUpdaterIsTurnedAwayWhileTheFirstWaits) {
  const pid_t first = StartUpdater("first.log");
  ASSERT_TRUE(WaitForBoxes("first.log", 1));
  const pid_t second = StartUpdater("second.log");
  ASSERT_TRUE(Answer("second.log", 1, "Return"));
  EXPECT_EQ(WaitForExit(second, 60), 0);
  EXPECT_EQ(Boxes("second.log"), std::vector<std::string>{"The demo is running."});
  ASSERT_TRUE(Answer("first.log", 1, "Escape"));
  EXPECT_EQ(WaitForExit(first, 60), 0);
}

TEST_F(WindowsUpdater, AFailedCopyShowsTheErrorThenTheCopyMessage) {
  fs::create_directories(Game() + "/readme.txt/inside");
  const pid_t updater = StartUpdater("run.log");
  for (size_t box = 1; box <= 3; ++box) ASSERT_TRUE(Answer("run.log", box, "Return")) << box;
  EXPECT_EQ(WaitForExit(updater, 60), 0);
  const std::vector<std::string> boxes = Boxes("run.log");
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_NE(boxes[1].find("readme.txt"), std::string::npos) << boxes[1];
  EXPECT_EQ(boxes[2], "A file could not be copied.");
  EXPECT_EQ(shown_, (std::vector<std::string>{"Demo Update / splash", "Error / dialog",
                                              "Demo Update / dialog"}));
  EXPECT_TRUE(fs::is_directory(Game() + "/readme.txt/inside"));
}

TEST_F(WindowsUpdater, UnattendedAppliesTheUpdateAndSaysSo) {
  const pid_t updater = StartUpdater("run.log", "/unattended");
  EXPECT_EQ(WaitForExit(updater, 60), 0);
  EXPECT_TRUE(Boxes("run.log").empty());
  EXPECT_NE(dir_.ReadFile("run.log").find("Demo Update: The update is complete."),
            std::string::npos);
  EXPECT_EQ(GameFile("readme.txt"), "new readme");
}

}  // namespace
