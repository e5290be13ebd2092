#ifdef _WIN32
#include <gtest/gtest.h>

TEST(WindowTest, LinuxOnly) {
  GTEST_SKIP() << "records every message a procedure sees and expects only the Linux layer's few; "
                  "Windows adds its own (non-client, activation, ...)";
}
#else
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/window.h"

namespace {

using namespace platform;

constexpr uint32_t kFirst = kMessageUser + 1;
constexpr uint32_t kSecond = kMessageUser + 2;
constexpr uint32_t kThird = kMessageUser + 3;
constexpr uint32_t kFourth = kMessageUser + 4;
constexpr uint32_t kEndDialog = kMessageUser + 5;
constexpr uint32_t kCounted = kMessageUser + 6;

// What the procedures saw, as "<window number>:<message>" in order.
std::vector<std::string> seen;
WindowHandle firstWindow = nullptr;
intptr_t createAnswer = 0;

std::string Entry(WindowHandle window, uint32_t message) {
  return std::string(window == firstWindow ? "1:" : "2:") + std::to_string(message);
}

intptr_t RecordingProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                            intptr_t lParam) {
  if (message == kMessageCreate && !firstWindow) firstWindow = window;
  seen.push_back(Entry(window, message));
  if (message == kMessageCreate) return createAnswer;
  return DefaultWindowProcedure(window, message, wParam, lParam);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seen.clear();
    firstWindow = nullptr;
    createAnswer = 0;
    ASSERT_NE(Register(u"RecordingWindow", RecordingProcedure), 0);
  }
  void TearDown() override {
    EXPECT_TRUE(UnregisterWindowClass(u"RecordingWindow", CurrentInstance()))
        << "a test left a window behind";
  }

  static uint16_t Register(const char16_t* name, WindowProcedure procedure) {
    WindowClassRecord record = {};
    record.size = 48;
    record.procedure = procedure;
    record.instance = CurrentInstance();
    record.className = name;
    return RegisterWindowClass(record);
  }
  // The first window a test creates is window 1 in `seen`.
  static WindowHandle Create(const char16_t* title = u"", uint32_t style = kStylePopup) {
    return CreateAppWindow(0, u"RecordingWindow", title, style, 10, 20, 300, 200, nullptr,
                           CurrentInstance());
  }
};

TEST_F(WindowTest, ClassesAndCreation) {
  EXPECT_EQ(Register(u"recordingwindow", RecordingProcedure), 0);  // names ignore case
  EXPECT_GE(Register(u"OtherWindow", RecordingProcedure), 0xC000);
  EXPECT_TRUE(UnregisterWindowClass(u"OTHERWINDOW", CurrentInstance()));
  EXPECT_FALSE(UnregisterWindowClass(u"OtherWindow", CurrentInstance()));
  EXPECT_EQ(CreateAppWindow(0, u"OtherWindow", u"", 0, 0, 0, 1, 1, nullptr, CurrentInstance()),
            nullptr);

  WindowHandle window = Create();
  EXPECT_EQ(seen, std::vector<std::string>{"1:1"});  // sent before CreateAppWindow returned
  EXPECT_FALSE(UnregisterWindowClass(u"RecordingWindow", CurrentInstance()))
      << "a class with a live window stays";
  EXPECT_TRUE(DestroyAppWindow(window));
  EXPECT_FALSE(IsAppWindow(window));
  EXPECT_FALSE(DestroyAppWindow(window));

  createAnswer = -1;  // a refused creation destroys the window
  firstWindow = nullptr;
  seen.clear();
  EXPECT_EQ(Create(), nullptr);
  EXPECT_EQ(seen, (std::vector<std::string>{"1:1", "1:2"}));
}

TEST_F(WindowTest, PostedMessagesArriveInOrderAndQuitComesAfterAllOfThem) {
  WindowHandle one = Create();
  WindowHandle two = Create();
  seen.clear();
  EXPECT_TRUE(PostWindowMessage(one, kFirst, 0, 0));
  EXPECT_TRUE(PostWindowMessage(two, kSecond, 0, 0));
  PostQuitAppMessage(7);
  EXPECT_TRUE(PostWindowMessage(one, kThird, 0, 0));  // posted after the quit, still served first
  EXPECT_EQ(RunMessageLoop(), 7);
  EXPECT_EQ(seen, (std::vector<std::string>{Entry(one, kFirst), Entry(two, kSecond),
                                            Entry(one, kThird)}));
  DestroyAppWindow(one);
  DestroyAppWindow(two);
}

TEST_F(WindowTest, MessagesForADestroyedWindowAreDropped) {
  WindowHandle gone = Create();
  ASSERT_TRUE(PostWindowMessage(gone, kFirst, 0, 0));
  DestroyAppWindow(gone);
  EXPECT_FALSE(PostWindowMessage(gone, kSecond, 0, 0));
  EXPECT_FALSE(PostWindowMessage(nullptr, kSecond, 0, 0));
  // The next record may well take the same address; it must not inherit the queued message.
  WindowHandle next = Create();
  seen.clear();
  PostWindowMessage(next, kThird, 0, 0);
  PostQuitAppMessage(0);
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(seen, std::vector<std::string>{Entry(next, kThird)});
  DestroyAppWindow(next);
}

TEST_F(WindowTest, PaintingComesWhenNoPostedMessageWaits) {
  intptr_t (*painter)(WindowHandle, uint32_t, uintptr_t, intptr_t) =
      [](WindowHandle w, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
    seen.push_back(std::to_string(message));
    if (message == kFirst) PostWindowMessage(w, kSecond, 0, 0);
    if (message == kMessagePaint) {
      DibInfoHeader header = {40, 2, 2, 1, 24, 0, 16, 0, 0, 0, 0};
      const unsigned char bits[16] = {};
      PaintWindowDib(w, header, bits);
      PostWindowMessage(w, kThird, 0, 0);
    }
    if (message == kThird) PostQuitAppMessage(0);
    return 0;
  };
  ASSERT_NE(Register(u"Painter", painter), 0);
  testing::internal::CaptureStdout();
  WindowHandle window = CreateAppWindow(0, u"Painter", u"Painter", kStylePopup | kStyleVisible, 0,
                                        0, 2, 2, nullptr, CurrentInstance());
  PostWindowMessage(window, kFirst, 0, 0);
  EXPECT_EQ(RunMessageLoop(), 0);
  testing::internal::GetCapturedStdout();
  const std::string paint = std::to_string(kMessagePaint);
  // Painted once: painting validated the window, so no second kMessagePaint followed.
  EXPECT_EQ(seen, (std::vector<std::string>{"1", std::to_string(kFirst), std::to_string(kSecond),
                                            paint, std::to_string(kThird)}));

  // A hidden window is not painted; showing it again asks for painting; UpdateAppWindow paints now.
  ShowAppWindow(window, kShowHide);
  seen.clear();
  UpdateAppWindow(window);
  EXPECT_TRUE(seen.empty());
  testing::internal::CaptureStdout();
  ShowAppWindow(window, kShowNormal);
  UpdateAppWindow(window);
  UpdateAppWindow(window);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "shown and pictured before";
  EXPECT_EQ(seen, std::vector<std::string>{paint});
  PostQuitAppMessage(0);
  RunMessageLoop();  // runs the kThird the paint posted
  DestroyAppWindow(window);
  EXPECT_TRUE(UnregisterWindowClass(u"Painter", CurrentInstance()));
}

TEST_F(WindowTest, DefaultProcedureValidatesPaintingAndClosesTheWindow) {
  WindowHandle window = Create(u"", kStylePopup | kStyleVisible);
  // Painted once while the loop waits (an unvalidated window would be painted again and again),
  // then closed by a message from another thread.
  std::thread later([window] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    PostWindowMessage(window, kMessageClose, 0, 0);
    PostQuitAppMessage(3);
  });
  EXPECT_EQ(RunMessageLoop(), 3);
  later.join();
  EXPECT_FALSE(IsAppWindow(window));
  EXPECT_EQ(seen, (std::vector<std::string>{"1:1", "1:15", "1:16", "1:2"}));
}

// Several threads post while the loop runs; every message arrives once, each thread's in order.
TEST_F(WindowTest, MessagesPostedFromManyThreadsAreAllDispatched) {
  constexpr int kThreads = 4;
  constexpr int kEach = 2000;
  static std::vector<int> nextOf;
  static int received;
  nextOf.assign(kThreads, 0);
  received = 0;
  intptr_t (*counter)(WindowHandle, uint32_t, uintptr_t, intptr_t) =
      [](WindowHandle, uint32_t message, uintptr_t thread, intptr_t sequence) -> intptr_t {
    if (message != kCounted) return 0;
    if (nextOf[thread] == sequence) ++nextOf[thread];
    if (++received == kThreads * kEach) PostQuitAppMessage(received);
    return 0;
  };
  ASSERT_NE(Register(u"Counter", counter), 0);
  WindowHandle window =
      CreateAppWindow(0, u"Counter", u"", kStylePopup, 0, 0, 1, 1, nullptr, CurrentInstance());
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([window, t] {
      for (int i = 0; i < kEach; ++i) PostWindowMessage(window, kCounted, t, i);
    });
  }
  EXPECT_EQ(RunMessageLoop(), kThreads * kEach);
  for (std::thread& poster : posters) poster.join();
  EXPECT_EQ(nextOf, std::vector<int>(kThreads, kEach));
  DestroyAppWindow(window);
  EXPECT_TRUE(UnregisterWindowClass(u"Counter", CurrentInstance()));
}

// The dialog's own loop keeps the owner served: the owner answers the dialog, which then ends.
WindowHandle openedDialog = nullptr;
intptr_t DialogProcedure(WindowHandle dialog, uint32_t message, uintptr_t, intptr_t lParam) {
  seen.push_back("dialog:" + std::to_string(message));
  if (message == kMessageInitDialog) {
    openedDialog = dialog;
    seen.push_back("parameter:" + std::to_string(lParam));
    PostWindowMessage(firstWindow, kFourth, 0, 0);
  }
  if (message == kEndDialog) EndAppDialog(dialog, 42);
  return 0;
}

intptr_t OwnerProcedure(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
  seen.push_back("owner:" + std::to_string(message));
  if (message == kFourth) PostWindowMessage(openedDialog, kEndDialog, 0, 0);
  if (message == kFirst) {
    seen.push_back("result:" + std::to_string(RunModalDialog(CurrentInstance(), 1003, window,
                                                             DialogProcedure, 9)));
    PostQuitAppMessage(0);
  }
  return 0;
}

TEST_F(WindowTest, ModalDialogServesItsOwnerAndEndsWithItsResult) {
  ASSERT_NE(Register(u"Owner", OwnerProcedure), 0);
  firstWindow =
      CreateAppWindow(0, u"Owner", u"", kStylePopup, 0, 0, 1, 1, nullptr, CurrentInstance());
  seen.clear();
  PostWindowMessage(firstWindow, kFirst, 0, 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(RunMessageLoop(), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(seen, (std::vector<std::string>{"owner:" + std::to_string(kFirst), "dialog:272",
                                            "parameter:9", "owner:" + std::to_string(kFourth),
                                            "dialog:" + std::to_string(kEndDialog), "dialog:2",
                                            "result:42"}));
  EXPECT_FALSE(IsAppWindow(openedDialog));
  EXPECT_EQ(RunModalDialog(CurrentInstance(), 1004, firstWindow, DialogProcedure, 0), -1);
  DestroyAppWindow(firstWindow);
  EXPECT_TRUE(UnregisterWindowClass(u"Owner", CurrentInstance()));
}

TEST_F(WindowTest, QuitInsideAModalDialogEndsItAndStaysForTheOuterLoop) {
  WindowHandle owner = Create();
  intptr_t (*quitting)(WindowHandle, uint32_t, uintptr_t, intptr_t) =
      [](WindowHandle dialog, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
    if (message == kMessageInitDialog) {
      openedDialog = dialog;
      PostQuitAppMessage(5);
    }
    return 0;
  };
  testing::internal::CaptureStdout();
  EXPECT_EQ(RunModalDialog(CurrentInstance(), 1003, owner, quitting, 0), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_FALSE(IsAppWindow(openedDialog));
  EXPECT_EQ(RunMessageLoop(), 5);
  DestroyAppWindow(owner);
}

TEST_F(WindowTest, DestroyingTheOwnerEndsItsModalDialog) {
  WindowHandle owner = Create();
  intptr_t (*destroying)(WindowHandle, uint32_t, uintptr_t, intptr_t) =
      [](WindowHandle dialog, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
    seen.push_back("dialog:" + std::to_string(message));
    if (message == kMessageInitDialog) {
      openedDialog = dialog;
      PostWindowMessage(firstWindow, kMessageClose, 0, 0);
    }
    return 0;
  };
  seen.clear();
  testing::internal::CaptureStdout();
  EXPECT_EQ(RunModalDialog(CurrentInstance(), 1003, owner, destroying, 0), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_FALSE(IsAppWindow(owner));
  EXPECT_FALSE(IsAppWindow(openedDialog));
  // The owned dialog goes first, as on Windows.
  EXPECT_EQ(seen, (std::vector<std::string>{"dialog:272", "1:16", "dialog:2", "1:2"}));
}

// The console shows a heading when a window appears, its picture once, and a dialog's texts.
TEST_F(WindowTest, ConsoleShowsHeadingsPicturesAndDialogTexts) {
  testing::internal::CaptureStdout();
  WindowHandle hidden = Create(u"Hidden");
  WindowHandle splash = Create(u"更新 Splash", kStylePopup | kStyleVisible);
  DibInfoHeader header = {40, 640, 480, 1, 24, 0, 0, 0, 0, 0, 0};
  DrawWindowDib(splash, header, nullptr);
  PaintWindowDib(splash, header, nullptr);
  header.height = -2;
  header.bitCount = 32;
  DrawWindowDib(hidden, header, nullptr);
  intptr_t (*texts)(WindowHandle, uint32_t, uintptr_t, intptr_t) =
      [](WindowHandle dialog, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
    if (message == kMessageInitDialog) {
      EXPECT_TRUE(SetDialogItemText(dialog, 1005, u"コピー中"));  // shown once it appears
      EXPECT_FALSE(SetDialogItemText(dialog, 1006, u"no such item"));
      PostWindowMessage(dialog, kFirst, 0, 0);
    }
    if (message == kFirst) {
      SetDialogItemText(dialog, 1005, u"visible");
      ShowAppWindow(dialog, kShowHide);
      SetDialogItemText(dialog, 1005, u"hidden");
      ShowAppWindow(dialog, kShowNormal);
      EndAppDialog(dialog, 1);
    }
    return 0;
  };
  EXPECT_EQ(RunModalDialog(CurrentInstance(), 1003, splash, texts, 0), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "== 更新 Splash ==\n[picture 640x480, 24-bit]\n[picture 640x2, 32-bit]\n"
            "コピー中\nvisible\n");
  DestroyAppWindow(hidden);
  DestroyAppWindow(splash);
}

}  // namespace
#endif  // _WIN32
