// The posix model of lstrcmpiW with the locale given, so that both orders can be examined
// whatever the process's own locale is.
#pragma once

namespace platform {

// <0, 0 or >0 as `a` sorts before, equal to or after `b` (null counts as empty). Texts are equal
// when they weigh the same: when they differ only in case (ASCII, Latin-1, Latin Extended-A,
// Greek, Cyrillic and full-width Latin letters), or in how they write the same thing ("e\u0301"
// and "é", "ss" and "ß", "aー" and "aa"). `japaneseOrder` selects the order of a Japanese user
// (the backslash, the yen sign of code page 932, among the CJK brackets; a repeat mark after a
// kanji repeats it); otherwise the English (US) order.
int CompareTextIgnoringCaseFor(const char16_t* a, const char16_t* b, bool japaneseOrder);

}  // namespace platform
