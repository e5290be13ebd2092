#include "system/trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "platform/message_box.h"
#include "platform/process.h"
#include "system/text_encoding.h"
#include "system/wide_format.h"

namespace {

constexpr size_t kTraceLimit = 500;  // characters of one text

std::atomic<TraceSink> currentSink{nullptr};
std::atomic<bool> outputEnabled{true};

void Send(TraceKind kind, const std::string& text) {
  TraceSink sink = currentSink.load();
  if (sink && outputEnabled.load()) sink(kind, text);
}

// A cut may split a UTF-8 sequence; drop its orphaned start.
void TrimPartialSequence(std::string& text) {
  size_t start = text.size();
  while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) --start;
  if (start == 0) return;
  const unsigned char lead = static_cast<unsigned char>(text[start - 1]);
  if (lead < 0xC0) return;
  const size_t have = text.size() - (start - 1);
  const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  if (have < need) text.resize(start - 1);
}

std::string FormatNarrow(const char* format, va_list args) {
  char buffer[kTraceLimit + 1];
  std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
  std::string text(buffer);
  TrimPartialSequence(text);
  return text;
}

std::string FormatWideToUtf8(const char16_t* format, va_list args) {
  char16_t wide[kTraceLimit + 1];
  FormatWideV(wide, kTraceLimit + 1, format, args);
  char utf8[kTraceLimit * 3 + 1];
  WideToUtf8(wide, utf8, sizeof utf8);
  return utf8;
}

void ShowAssertion(const std::string& text) {
  Send(TraceKind::kAssert, text);
  char16_t wide[kTraceLimit + 1];
  Utf8ToWide(text.c_str(), wide, kTraceLimit + 1);
  platform::ShowMessageBox(nullptr, wide, u"Assert message...", platform::kMessageBoxIconError);
}

}  // namespace

TraceSink SetTraceSink(TraceSink sink) { return currentSink.exchange(sink); }

void SetTraceOutputEnabled(bool enabled) { outputEnabled.store(enabled); }

void Trace(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Send(TraceKind::kTrace, FormatNarrow(format, args));
  va_end(args);
}

void TraceW(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  Send(TraceKind::kTrace, FormatWideToUtf8(format, args));
  va_end(args);
}

void AssertMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatNarrow(format, args);
  va_end(args);
  ShowAssertion(text);
}

void AssertMessageW(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatWideToUtf8(format, args);
  va_end(args);
  ShowAssertion(text);
}

void ContractViolation(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatNarrow(format, args);
  va_end(args);
  ShowAssertion(text);
  platform::TerminateProcess(kContractViolationExitCode);
}

void ContractViolationW(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatWideToUtf8(format, args);
  va_end(args);
  ShowAssertion(text);
  platform::TerminateProcess(kContractViolationExitCode);
}
