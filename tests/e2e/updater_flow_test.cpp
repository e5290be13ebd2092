// The updater's flow run inside the test process, its message boxes answered and recorded by the
// test: which window owns each box, and what the flow does with the answers.
#include "updater/updater_flow.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/demo_install.h"
#include "platform/window.h"

namespace {

namespace fs = std::filesystem;
using platform::kAnswerCancel;
using platform::kAnswerOk;

class UpdaterFlow : public zrtest::DemoInstallTest {
 protected:
  // Runs the flow in the package folder, as the program does, and comes back to where it was.
  int RunFlow(int answer, bool unattended = false) {
    char here[4096];
    EXPECT_NE(getcwd(here, sizeof here), nullptr);
    setenv("WINEPREFIX", Prefix().c_str(), 1);
    EXPECT_EQ(chdir(Package().c_str()), 0);
    zrtest::MessageBoxRecorder recorder(answer);
    zrtest::TraceCapture quiet;
    UpdaterOptions options;
    options.unattended = unattended;
    const int status = RunUpdater(platform::CurrentInstance(), options);
    boxes_ = recorder.Boxes();
    EXPECT_EQ(chdir(here), 0);
    unsetenv("WINEPREFIX");
    return status;
  }

  std::vector<zrtest::RecordedMessageBox> boxes_;
};

TEST_F(UpdaterFlow, TheSplashOwnsTheConfirmationAndTheDialogTheResult) {
  ASSERT_EQ(RunFlow(kAnswerOk), 0);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].text, "Update the demo?");
  EXPECT_EQ(boxes_[0].flags, platform::kMessageBoxOkCancel);
  EXPECT_EQ(boxes_[1].text, "The update is complete.");
  EXPECT_EQ(boxes_[1].caption, "Demo Update");
  EXPECT_NE(boxes_[0].owner, nullptr);
  EXPECT_NE(boxes_[1].owner, nullptr);
  EXPECT_NE(boxes_[1].owner, boxes_[0].owner);
  EXPECT_EQ(GameFile("readme.txt"), "new readme");
}

TEST_F(UpdaterFlow, BothCopyErrorBoxesBelongToTheDialog) {
  fs::create_directories(Game() + "/readme.txt/inside");
  ASSERT_EQ(RunFlow(kAnswerOk), 0);
  ASSERT_EQ(boxes_.size(), 3u);
  EXPECT_EQ(boxes_[1].caption, "Error");
  EXPECT_EQ(boxes_[2].text, "A file could not be copied.");
  EXPECT_EQ(boxes_[2].caption, "Demo Update");
  EXPECT_EQ(boxes_[1].owner, boxes_[2].owner);
  EXPECT_NE(boxes_[1].owner, boxes_[0].owner);
}

TEST_F(UpdaterFlow, StartUpFailuresShowOwnerlessBoxesAndNoWindow) {
  fs::remove(Package() + "/updateinfo.xml");
  EXPECT_EQ(RunFlow(kAnswerOk), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].owner, nullptr);
  EXPECT_EQ(boxes_[0].text, "updateinfo.xml was not found.");
  EXPECT_EQ(boxes_[0].caption, "error");
  // Unattended, a failure is also the exit status.
  EXPECT_EQ(RunFlow(kAnswerOk, true), 1);
}

TEST_F(UpdaterFlow, WithoutASplashPictureTheUpdateStillRuns) {
  for (const char* picture : {"", "not a picture"}) {
    SCOPED_TRACE(picture);
    fs::remove(Package() + "/updatebg.hg3");
    if (*picture) dir_.WriteFile("package/updatebg.hg3", picture);
    fs::remove(Game() + "/readme.txt");
    ASSERT_EQ(RunFlow(kAnswerOk), 0);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(GameFile("readme.txt"), "new readme");
  }
}

TEST_F(UpdaterFlow, CancelEndsTheFlowAtTheConfirmation) {
  ASSERT_EQ(RunFlow(kAnswerCancel), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_FALSE(GameHas("install.log"));
}

}  // namespace
