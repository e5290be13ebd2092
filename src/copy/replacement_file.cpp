#include "copy/replacement_file.h"

#include <atomic>
#include <random>
#include <vector>

#include "system/paths.h"

namespace {

constexpr uint32_t kWriteFlags = platform::kAttributeNormal | platform::kFlagSequentialScan;

// A name for the temporary file in the destination's folder that no other copy uses: a random
// number drawn once keeps processes apart, the counter this process's copies.
std::u16string TemporaryName(const std::u16string& destination) {
  static const uint64_t salt =
      (static_cast<uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}();
  static std::atomic<uint32_t> counter{0};
  std::u16string name;
  std::vector<char16_t> folder(destination.size() + 1);
  if (GetDirectoryPart(destination.c_str(), folder.data(), folder.size())) {
    name = folder.data();
    name += u'\\';
  }
  const uint64_t unique = salt + counter++;
  name += u"~zrcopy-";
  for (int shift = 60; shift >= 0; shift -= 4) name += u"0123456789abcdef"[(unique >> shift) & 0xF];
  name += u".tmp";
  return name;
}

}  // namespace

bool ReplacementFile::Open(const char16_t* destination) {
  Discard();
  destinationPath_ = destination;
  // A file that did not exist is written in place: until complete nothing was there before.
  temporary_ = platform::OpenFile(destination, platform::kGenericWrite, platform::kShareNone,
                                  platform::kCreateNew, kWriteFlags);
  if (temporary_ != platform::kInvalidFileHandle) {
    createdDestination_ = true;
    return true;
  }
  destination_ = platform::OpenFile(destination, platform::kGenericWrite, platform::kShareNone,
                                    platform::kOpenExisting, kWriteFlags);
  if (destination_ == platform::kInvalidFileHandle) return false;
  // A name taken meanwhile by someone else is passed over.
  for (int attempt = 0; attempt < 4; ++attempt) {
    temporaryPath_ = TemporaryName(destinationPath_);
    temporary_ = platform::OpenFile(temporaryPath_.c_str(), platform::kGenericWrite,
                                    platform::kShareNone, platform::kCreateNew, kWriteFlags);
    if (temporary_ != platform::kInvalidFileHandle) return true;
    temporaryPath_.clear();
    if (platform::LastError() != platform::kErrorFileExists) break;
  }
  return false;
}

void ReplacementFile::CloseBoth() {
  if (temporary_ != platform::kInvalidFileHandle) platform::CloseFile(temporary_);
  if (destination_ != platform::kInvalidFileHandle) platform::CloseFile(destination_);
  temporary_ = destination_ = platform::kInvalidFileHandle;
}

bool ReplacementFile::Commit() {
  CloseBoth();
  if (createdDestination_) {
    createdDestination_ = false;
    return true;
  }
  if (temporaryPath_.empty() ||
      !platform::ReplaceFile(temporaryPath_.c_str(), destinationPath_.c_str())) {
    return false;
  }
  temporaryPath_.clear();
  return true;
}

void ReplacementFile::Discard() {
  CloseBoth();
  if (!temporaryPath_.empty()) platform::DeleteFile(temporaryPath_.c_str());
  if (createdDestination_) platform::DeleteFile(destinationPath_.c_str());
  temporaryPath_.clear();
  createdDestination_ = false;
}
