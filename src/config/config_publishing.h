// The settings block shared over DDE between processes of the same program: a publishing process
// answers "zrConfig_CONFIG" with the whole block and "zrConfig_PATH" with 260 bytes holding the
// folder of its executable (Shift-JIS, zero-filled); a fetching process takes the block only from
// a program in its own folder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/config_settings.h"
#include "system/zrDDE.h"

constexpr char kConfigServerName[] = "ZRDDE_SERVER";
constexpr char kConfigBlockItem[] = "zrConfig_CONFIG";
constexpr char kConfigPathItem[] = "zrConfig_PATH";
constexpr size_t kConfigPathBytes = 260;

// The folder of the running program's executable, Shift-JIS, zero-filled; empty when unknown.
void GetProgramFolder(char (&folder)[kConfigPathBytes]);

// The payload of `itemName` in a block from zrHeapAlloc, which the DDE service frees; 0 (no data)
// for any other name or when the heap has no room.
int32_t AnswerConfigItem(const ConfigSettings& settings, const char16_t* itemName, void** data,
                         uint32_t* size);

// Connects to the server and, when the publisher's folder equals this program's (ignoring case),
// copies its block into `settings`. False, with `settings` untouched, otherwise.
bool FetchConfigBlock(zrDDE& dde, ConfigSettings& settings);
