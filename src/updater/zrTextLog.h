// The lines of a small text file, loaded and saved as UTF-8 or Shift-JIS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

#include "system/zrClassBase.h"

class zrTextLog : public zrClassBase {
 public:
  static constexpr size_t kLineCapacity = 260;  // units of a line, terminator included
  // A line's Shift-JIS bytes in the file, its CR LF and the terminator fit this buffer.
  static constexpr size_t kSjisLineBytes = 512;
  // A Shift-JIS line is read through UTF-8 of at most this many bytes with the terminator.
  static constexpr size_t kUtf8LineBytes = 520;

  void UseShiftJis() { shiftJis_ = 1; }
  // Appends the file's lines (LF or CR LF ends; a lone CR stays in its line; empty lines kept);
  // 1 when the whole file was read, 0 (and nothing appended) otherwise. Lines longer than the
  // buffers are cut at a whole character.
  int Load(const char16_t* path);
  // Appends a copy of `text`, cut at a whole character to 259 units; 1 (0 only when memory
  // runs out).
  int AddLine(const char16_t* text);
  // Stable sort by platform::CompareTextIgnoringCase; of lines that compare equal the earliest
  // stays. 1.
  int SortUnique();
  // Writes every line followed by CR LF, without byte-order mark; 1 when the file was written
  // in full, 0 when it cannot be created or a write fails. A character Shift-JIS lacks is
  // written as '?'.
  int Save(const char16_t* path);

  const std::list<std::u16string>& Lines() const { return lines_; }

 private:
  std::u16string DecodeLine(const char* bytes) const;
  std::string EncodeLine(const std::u16string& line) const;

  std::list<std::u16string> lines_;
  int32_t shiftJis_ = 0;
};
