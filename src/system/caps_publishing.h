// The probe's results served over DDE to the engine's other processes, which fetch them instead
// of probing again.
#pragma once

#include <cstdint>

#include "system/zrCaps.h"

constexpr char kCapsServerName[] = "ZRDDE_SERVER";
constexpr char kCapsDirectXCodeItem[] = "ZRCAPS_DDE_DXVER";
constexpr char kCapsDirectXTextItem[] = "ZRCAPS_DDE_DXSTR";
constexpr char kCapsCpuItem[] = "ZRCAPS_DDE_CPU";

// The payload of `itemName` for `caps` in a block from zrHeapAlloc, which the DDE service frees:
// the 4 bytes of the DirectX code; the DirectX text with its terminator and one more zero unit
// (2 x length + 4 bytes); the 576 bytes of the processor facts. 0 (no data) for any other name,
// or when the heap has no room.
int32_t AnswerCapsItem(zrCaps& caps, const char16_t* itemName, void** data, uint32_t* size);
