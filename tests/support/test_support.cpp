#include "support/test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <stdexcept>

#include "system/heap.h"
#include "system/text_encoding.h"

namespace zrtest {

std::u16string Wide(const std::string& utf8) {
  std::u16string out(utf8.size() + 1, u'\0');
  out.resize(Utf8ToWide(utf8.c_str(), out.data(), out.size()));
  return out;
}

std::string Utf8(const char16_t* wide) {
  std::u16string text(wide ? wide : u"");
  std::string out(text.size() * 3 + 1, '\0');
  out.resize(WideToUtf8(text.c_str(), out.data(), out.size()));
  return out;
}

std::string Utf8(const std::u16string& wide) {
  return Utf8(wide.c_str());
}

namespace {
std::mutex captureMutex;
std::vector<std::string> capturedTexts;
void CaptureSink(TraceKind, const std::string& text) {
  std::lock_guard<std::mutex> lock(captureMutex);
  capturedTexts.push_back(text);
}

std::vector<RecordedMessageBox> recordedBoxes;
int recorderAnswer = platform::kAnswerOk;
std::mutex recorderLock;  // boxes may be shown on any thread
int RecordBox(const platform::MessageBoxRequest& request) {
  std::lock_guard<std::mutex> hold(recorderLock);
  recordedBoxes.push_back(
      {Utf8(request.text), Utf8(request.caption), request.flags, request.owner});
  return recorderAnswer;
}
}  // namespace

TraceCapture::TraceCapture() {
  Clear();
  SetTraceSink(CaptureSink);
}
TraceCapture::~TraceCapture() {
  SetTraceSink(nullptr);
}
const std::vector<std::string>& TraceCapture::Texts() const {
  return capturedTexts;
}
bool TraceCapture::Contains(const std::string& text) const {
  std::lock_guard<std::mutex> lock(captureMutex);
  return std::find(capturedTexts.begin(), capturedTexts.end(), text) != capturedTexts.end();
}
void TraceCapture::Clear() {
  std::lock_guard<std::mutex> lock(captureMutex);
  capturedTexts.clear();
}

MessageBoxRecorder::MessageBoxRecorder(int answer) {
  recordedBoxes.clear();
  recorderAnswer = answer;
  platform::SetMessageBoxHandler(RecordBox);
}
MessageBoxRecorder::~MessageBoxRecorder() {
  platform::SetMessageBoxHandler(nullptr);
}
const std::vector<RecordedMessageBox>& MessageBoxRecorder::Boxes() const {
  return recordedBoxes;
}

TempDir::TempDir() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / ("zr-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate.u8string();
      return;
    }
  }
  throw std::runtime_error("no temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Files a test made read-only must go too.
  const auto root = std::filesystem::u8path(path_);
  for (std::filesystem::recursive_directory_iterator entry(root, ignored), end;
       !ignored && entry != end; entry.increment(ignored)) {
    std::filesystem::permissions(entry->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(root, ignored);
}

std::string TempDir::PathOf(const std::string& relative) const {
#ifdef _WIN32
  std::string native = relative;
  std::replace(native.begin(), native.end(), '/', '\\');
  return path_ + "\\" + native;
#else
  return path_ + "/" + relative;
#endif
}

void TempDir::WriteFile(const std::string& relative, const std::string& bytes) const {
  const auto file = std::filesystem::u8path(PathOf(relative));
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempDir::ReadFile(const std::string& relative) const {
  std::ifstream in(std::filesystem::u8path(PathOf(relative)), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void HeapTest::SetUp() {
  ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1);
}

void HeapTest::TearDown() {
  zrHeapDestroy();
}

}  // namespace zrtest
