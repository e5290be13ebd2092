// The direct-I/O alignment of a file system, from statx. The kernel's own structure is used
// (glibc's copy of it predates the alignment fields), so this file includes no <sys/stat.h>.
#include <fcntl.h>
#include <linux/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/posix/native_path.h"

namespace platform {

uint32_t GetVolumeSectorSize(const char16_t* fullPath) {
  const std::string native = NativePath(fullPath);
  if (native.empty()) return 0;
  struct statx info = {};
  if (syscall(SYS_statx, AT_FDCWD, native.c_str(), 0, STATX_DIOALIGN, &info) != 0 ||
      !(info.stx_mask & STATX_DIOALIGN)) {
    return 0;
  }
  // A file system without direct I/O reports 0; memory must then also be page-aligned at most.
  if (info.stx_dio_mem_align > 4096) return 0;
  return info.stx_dio_offset_align;
}

}  // namespace platform
