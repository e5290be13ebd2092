// A new version of a file, written beside it and put in its place only once complete, so that a
// copy that fails part-way leaves the old file as it was. A file that did not exist is written
// where it belongs, and removed again when the copy fails.
#pragma once

#include <string>

#include "platform/file_system.h"

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile() { Discard(); }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Opens `destination` for writing without sharing, creating it when missing and leaving its
  // contents alone when not, so that a read-only or locked file is refused here; then creates
  // the temporary file beside it. False, with the failing call's error left for
  // platform::LastError(), when either cannot be opened; Discard then cleans up.
  bool Open(const char16_t* destination);
  // Where the new contents go: the temporary file, or the new destination itself; invalid when
  // not open.
  platform::FileHandle handle() const { return temporary_; }
  // Closes both and puts the temporary file in the destination's place. False with the error
  // left when that fails; Discard then cleans up.
  bool Commit();
  // Closes both and removes the temporary file, and the destination too when Open created it.
  void Discard();

 private:
  void CloseBoth();

  std::u16string destinationPath_;
  std::u16string temporaryPath_;
  platform::FileHandle destination_ = platform::kInvalidFileHandle;  // held while replacing it
  platform::FileHandle temporary_ = platform::kInvalidFileHandle;
  bool createdDestination_ = false;  // the file did not exist and is written in place
};
