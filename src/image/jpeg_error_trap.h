// An error manager for the JPEG library that never ends the process: an error jumps back to the
// caller's recovery point, and every message (warnings included) goes to Trace, not to stderr.
#pragma once

// jpeglib.h needs FILE and size_t declared before it.
// clang-format off
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

struct JpegErrorTrap {
  jpeg_error_mgr manager;  // first, so that the library's pointer to it leads back to the trap
  std::jmp_buf recovery;   // set by the caller with setjmp before the first library call
};

// Makes `trap` ready; the result goes into the `err` field of a compressor or decompressor.
jpeg_error_mgr* UseJpegErrorTrap(JpegErrorTrap* trap);
