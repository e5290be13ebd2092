#include "platform/error_text.h"

#include <cerrno>
#include <cstring>

#include "platform/file_system.h"
#include "platform/posix/native_path.h"

namespace platform {

namespace {

// The errno that a Windows number of this layer most often stands for.
int ErrnoFor(uint32_t error) {
  switch (error) {
    case kErrorFileNotFound:
    case kErrorPathNotFound:
      return ENOENT;
    case kErrorAccessDenied:
      return EACCES;
    case kErrorInvalidHandle:
      return EBADF;
    case kErrorSharingViolation:
      return EBUSY;
    case kErrorFileExists:
    case kErrorAlreadyExists:
      return EEXIST;
    case kErrorInvalidParameter:
    case kErrorNegativeSeek:
      return EINVAL;
    case kErrorInvalidName:
      return ENOTDIR;
    case 8:  // not enough memory
      return ENOMEM;
    case 112:  // disk full
      return ENOSPC;
    default:
      return EIO;
  }
}

}  // namespace

size_t ErrorText(uint32_t error, char16_t* out, size_t capacity) {
  if (capacity == 0) return 0;
  const int number = error == LastError() && LastErrno() != 0 ? LastErrno() : ErrnoFor(error);
  char buffer[256];
  const char* text = strerror_r(number, buffer, sizeof buffer);
  size_t length = 0;
  // The C library's texts are ASCII in the C locale, which the program keeps.
  for (; text[length] && length + 1 < capacity; ++length) {
    const unsigned char c = static_cast<unsigned char>(text[length]);
    out[length] = c < 0x80 ? c : u'?';
  }
  out[length] = 0;
  return length;
}

}  // namespace platform
