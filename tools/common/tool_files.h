// Whole files in and out, for tools that work on one file at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// False when the file cannot be opened or read whole (files of 2 GiB and more cannot).
bool ReadWholeFile(const std::u16string& path, std::vector<uint8_t>& bytes);
// Creates or replaces the file with `size` bytes.
bool WriteWholeFile(const std::u16string& path, const void* data, uint32_t size);
