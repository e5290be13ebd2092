// Version resources of Windows executables and libraries. Windows reads them with
// GetFileVersionInfoW / VerQueryValueW; the posix layer reads the PE file itself (a game's exe and
// dll files are Windows files on every platform). A file that is not a PE file, or is truncated or
// malformed anywhere, has no version resource.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The file's version information block; false when it has none.
bool LoadVersionInfo(const char16_t* path, std::vector<uint8_t>& block);

// VerQueryValueW on a block from LoadVersionInfo: the first translation of
// "\VarFileInfo\Translation" as (language << 16) | code page, and a string value such as
// "\StringFileInfo\041104b0\FileVersion". False when absent.
bool QueryVersionTranslation(const std::vector<uint8_t>& block, uint32_t& translation);
bool QueryVersionString(const std::vector<uint8_t>& block, const char16_t* subBlock,
                        std::u16string& value);

}  // namespace platform
