// What the console shows of the windows, on standard output: a heading when a window first
// appears, a description of its picture, and the texts of a visible dialog.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/native_path.h"
#include "platform/posix/window_state.h"

namespace platform {

namespace {

void PrintLine(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// Describes the picture the first time the window gets one; painting also validates the window.
void DescribePicture(WindowHandle window, const DibInfoHeader& header, bool painting) {
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  WindowRecord* record = FindWindowRecord(state, window);
  if (!record) return;
  if (painting) record->needsPainting = false;
  if (record->pictureDescribed) return;
  record->pictureDescribed = true;
  PrintLine("[picture " + std::to_string(header.width) + "x" +
            std::to_string(std::abs(static_cast<int64_t>(header.height))) + ", " +
            std::to_string(header.bitCount) + "-bit]");
}

}  // namespace

void ShowWindowRecord(WindowRecord& record) {
  record.visible = true;
  // A dialog's controls paint themselves; its procedure never has kMessagePaint to answer.
  record.needsPainting = !record.isDialog;
  if (record.shownBefore) return;
  record.shownBefore = true;
  // A window without a title (the progress dialog) has no heading to show.
  if (!record.title.empty()) PrintLine("== " + Utf16ToUtf8(record.title.c_str()) + " ==");
  for (const auto& item : record.items) PrintLine(Utf16ToUtf8(item.second.c_str()));
}

void ShowAppWindow(WindowHandle window, int command) {
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  WindowRecord* record = FindWindowRecord(state, window);
  if (!record) return;
  if (command == kShowHide) {
    record->visible = false;
  } else if (!record->visible) {
    ShowWindowRecord(*record);
  }
}

void PaintWindowDib(WindowHandle window, const DibInfoHeader& header, const void* /*bits*/) {
  DescribePicture(window, header, true);
}

void DrawWindowDib(WindowHandle window, const DibInfoHeader& header, const void* /*bits*/) {
  DescribePicture(window, header, false);
}

void ValidateAppWindow(WindowHandle window) {
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  if (WindowRecord* record = FindWindowRecord(state, window)) record->needsPainting = false;
}

bool SetDialogItemText(WindowHandle dialog, int itemId, const char16_t* text) {
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  WindowRecord* record = FindWindowRecord(state, dialog);
  if (!record) return false;
  const auto item = record->items.find(itemId);
  if (item == record->items.end()) return false;
  item->second = text ? text : u"";
  if (record->visible) PrintLine(Utf16ToUtf8(item->second.c_str()));
  return true;
}

void SetDialogProgress(WindowHandle dialog, uint64_t done, uint64_t total, const char16_t* detail) {
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  WindowRecord* record = FindWindowRecord(state, dialog);
  if (!record || !record->visible) return;
  const uint64_t percent = total == 0 ? 0 : std::min<uint64_t>(100, done * 100 / total);
  char head[16];
  std::snprintf(head, sizeof head, "[%3u%%] ", static_cast<unsigned>(percent));
  PrintLine(head + Utf16ToUtf8(detail ? detail : u""));
}

}  // namespace platform
