// The rules by which Windows reads a value from a profile (.ini) text, for the posix layer's
// ReadProfileString:
// - a line ends at CR or LF; blanks around it are ignored and blank lines skipped;
// - "[name]" starts a section: the name runs to the line's last ']', blanks around it ignored;
//   a line that starts with '[' but has no ']' is no section line;
// - any other line is a key: the name up to the first '=' and the value after it, blanks
//   around each ignored; a line without '=' is a key with an empty value; lines before the first
//   section belong to a section named "". Comment lines (";...") are keys like any other, which
//   no ordinary name matches;
// - a lookup takes the first section whose name equals the asked one, without regard to case or
//   to blanks around the asked name, and in it the first such key; later sections of the same
//   name are not searched;
// - a value enclosed in a pair of the same quotes (' or ") loses them.
#pragma once

#include <string>

namespace platform {

// The text of a profile file's bytes: UTF-16LE after its byte-order mark, UTF-8 after its mark,
// otherwise code page 932 (what a Japanese Windows reads as its ANSI code page).
std::u16string DecodeProfileText(const std::string& bytes);

// The value of `key` in `section` of `text`; false when there is none.
bool FindProfileValue(const std::u16string& text, const std::u16string& section,
                      const std::u16string& key, std::u16string& value);

}  // namespace platform
