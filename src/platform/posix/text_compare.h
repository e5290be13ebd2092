// The posix model of lstrcmpiW with the locale given, so that both orders can be examined
// whatever the process's own locale is.
#pragma once

namespace platform {

// <0, 0 or >0 as `a` sorts before, equal to or after `b` (null counts as empty). Two texts are
// equal only when they are the same after case folding (ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic and full-width Latin letters). `japaneseOrder` selects the order of a Japanese user
// (the backslash, the yen sign of code page 932, after the other ASCII punctuation); otherwise
// the English (US) order.
int CompareTextIgnoringCaseFor(const char16_t* a, const char16_t* b, bool japaneseOrder);

}  // namespace platform
