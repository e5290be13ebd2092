#include "system/window_helpers.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_support.h"

namespace {

using namespace platform;

intptr_t Plain(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return DefaultWindowProcedure(window, message, wParam, lParam);
}

std::vector<int32_t> Corners(const WindowRect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

TEST(WindowClassTest, RegisterFillsInTheDefaultsAndUnregisterUndoesIt) {
  WindowClass windowClass;
  windowClass.Register(u"HelperWindow", Plain, CurrentInstance(), nullptr, nullptr, nullptr,
                       nullptr, nullptr, 3);
  ASSERT_GE(windowClass.atom, 0xC000);
  const WindowClassRecord& d = windowClass.description;
  EXPECT_EQ(d.size, 48u);
  EXPECT_EQ(d.style, 3u);
  EXPECT_EQ(d.procedure, Plain);
  EXPECT_EQ(d.instance, CurrentInstance());
  EXPECT_EQ(d.icon, DefaultApplicationIcon());
  EXPECT_EQ(d.smallIcon, DefaultApplicationIcon());
  EXPECT_EQ(d.cursor, ArrowCursor());
  EXPECT_EQ(d.background, BlackBrush());
  EXPECT_EQ(d.menuName, nullptr);

  // A second registration of the name is refused and leaves its record's atom 0.
  WindowClass twin;
  EXPECT_EQ(twin.Register(u"helperwindow", Plain, CurrentInstance(), nullptr, nullptr, nullptr,
                          nullptr, nullptr, 0)
                .atom,
            0);
  twin.Unregister();  // does nothing: the first registration stays
  WindowHandle window =
      CreateAppWindow(0, u"HelperWindow", u"", 0, 0, 0, 1, 1, nullptr, CurrentInstance());
  ASSERT_NE(window, nullptr);
  DestroyAppWindow(window);

  const uint16_t atom = windowClass.atom;
  windowClass.Unregister();
  EXPECT_EQ(windowClass.atom, atom);
  EXPECT_EQ(CreateAppWindow(0, u"HelperWindow", u"", 0, 0, 0, 1, 1, nullptr, CurrentInstance()),
            nullptr);
}

TEST(WindowClassTest, UnregisterOfANeverRegisteredRecordDoesNothing) {
  WindowClass never;
  never.Unregister();
  EXPECT_EQ(never.atom, 0);
  EXPECT_EQ(never.description.className, nullptr);
}

TEST(CenteredWindowRectTest, CentresTheClientAndAddsTheBorder) {
#ifdef _WIN32
  GTEST_SKIP() << "expects the Linux layer's fixed 1920x1080 screen and border widths; Windows "
                  "measures its own";
#else
  WindowRect rect = {0, 0, 640, 480};
  GetCenteredWindowRect(&rect, 0x90800000, 0, false);
  EXPECT_EQ(Corners(rect), (std::vector<int32_t>{639, 299, 1281, 781}));

  rect = {0, 0, 641, 481};  // odd leftovers truncate
  GetCenteredWindowRect(&rect, kStylePopup, -1, false);
  EXPECT_EQ(Corners(rect), (std::vector<int32_t>{639, 299, 1280, 780}));

  rect = {0, 0, 2001, 1200};  // larger than the screen: truncation toward zero
  GetCenteredWindowRect(&rect, kStylePopup | kStyleBorder, -1, false);
  EXPECT_EQ(Corners(rect), (std::vector<int32_t>{-41, -61, 1962, 1141}));
#endif
}

TEST(CenteredWindowRectTest, ANullRectangleIsReported) {
  zrtest::TraceCapture traces;
  zrtest::MessageBoxRecorder boxes;
  GetCenteredWindowRect(nullptr, 0x90800000, 0, false);
  EXPECT_TRUE(traces.Contains("rect構造体が未定義です"));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "rect構造体が未定義です");
}

class CenterWindowOnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    windowClass_.Register(u"CentredWindow", Plain, CurrentInstance(), nullptr, nullptr, nullptr,
                          nullptr, nullptr, 0);
  }
  void TearDown() override { windowClass_.Unregister(); }

  static WindowHandle Create(int32_t x, int32_t y, int32_t width, int32_t height) {
    return CreateAppWindow(0, u"CentredWindow", u"", kStylePopup, x, y, width, height, nullptr,
                           CurrentInstance());
  }
  static WindowRect Rect(WindowHandle window) {
    WindowRect rect = {};
    GetAppWindowRect(window, &rect);
    return rect;
  }

  WindowClass windowClass_;
};

TEST_F(CenterWindowOnTest, CentresOverTheReferenceEvenWhenLarger) {
  WindowHandle reference = Create(100, 50, 642, 482);
  WindowHandle small = Create(0, 0, 318, 44);
  WindowHandle large = Create(0, 0, 701, 601);
  EXPECT_EQ(CenterWindowOn(reference, small), 1);
  EXPECT_EQ(Corners(Rect(small)), (std::vector<int32_t>{262, 269, 580, 313}));
  EXPECT_EQ(CenterWindowOn(reference, large), 1);
  EXPECT_EQ(Corners(Rect(large)), (std::vector<int32_t>{71, -9, 772, 592}));
  EXPECT_EQ(Corners(Rect(reference)), (std::vector<int32_t>{100, 50, 742, 532}));
  DestroyAppWindow(small);
  DestroyAppWindow(large);
  DestroyAppWindow(reference);
}

TEST_F(CenterWindowOnTest, AMissingWindowMovesNothing) {
  WindowHandle reference = Create(100, 50, 642, 482);
  WindowHandle window = Create(5, 6, 318, 44);
  DestroyAppWindow(reference);
  EXPECT_EQ(CenterWindowOn(reference, window), 0);
  EXPECT_EQ(Corners(Rect(window)), (std::vector<int32_t>{5, 6, 323, 50}));
  EXPECT_EQ(CenterWindowOn(window, nullptr), 0);
  DestroyAppWindow(window);
}

}  // namespace
