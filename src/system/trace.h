// Diagnostic output. Every trace and assertion text goes to one sink; by default traces are
// formatted and dropped (the program has no debug-output window), and tests install a sink to
// read them. Narrow formats are UTF-8; wide formats follow wide_format.h. A text is cut at 500
// characters.
#pragma once

#include <string>

enum class TraceKind { kTrace, kAssert };
using TraceSink = void (*)(TraceKind kind, const std::string& utf8Text);

// Installs a sink (null drops traces again); returns the previous one.
TraceSink SetTraceSink(TraceSink sink);
// Output is on from the start; shutdown turns it off.
void SetTraceOutputEnabled(bool enabled);

void Trace(const char* format, ...);
void TraceW(const char16_t* format, ...);

// Sends the text to the sink, then shows it in a modal message box without owner, caption
// "Assert message...", error icon, and returns when it is closed.
void AssertMessage(const char* format, ...);
void AssertMessageW(const char16_t* format, ...);

// A broken contract of the library: reported like AssertMessage, then the process ends.
constexpr int kContractViolationExitCode = 3;
[[noreturn]] void ContractViolation(const char* format, ...);
[[noreturn]] void ContractViolationW(const char16_t* format, ...);
