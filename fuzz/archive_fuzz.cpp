// Mounts arbitrary bytes as an archive, plain and with a key, then opens, seeks and reads every
// member the index names.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "file/zrArchive.h"
#include "file/zrBigFile.h"
#include "scratch_file.h"

namespace {

// The key the enciphered corpus files were packed with.
constexpr char kKey[] = "fuzz key";

void ReadEveryMember(zrArchive& archive) {
  std::vector<char> buffer;
  for (const auto& [key, entry] : archive.Index()) {
    zrBigFile member(&archive);
    if (!member.Open(entry.name.c_str(), ZRFILE_READ)) continue;
    const int32_t size = member.GetSize();
    buffer.resize(static_cast<size_t>(size) + 16);
    member.Read(buffer.data(), size + 16);
    // Pieces that start and end inside cipher blocks.
    for (int32_t start : {0, 1, 7, 9, size / 2, size - 1, size + 5}) {
      member.Seek(start);
      member.Read(buffer.data(), 3);
      member.Read(buffer.data(), 13);
    }
    archive.SeekMember(0, -3, 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFile scratch;
  scratch.Write(data, size);
  {
    zrArchive plain;
    if (plain.Mount(scratch.WidePath())) ReadEveryMember(plain);
  }
  zrArchive keyed;
  if (keyed.Mount(scratch.WidePath(), kKey, sizeof kKey - 1)) ReadEveryMember(keyed);
  return 0;
}
