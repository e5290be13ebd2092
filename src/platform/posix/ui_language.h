// The Windows language identifier for a POSIX locale name, apart from the environment so that
// tests can hand it names.
#pragma once

#include <cstdint>

namespace platform {

// "ja_JP.UTF-8@modifier" style names (codeset and modifier ignored, "-" accepted for "_"):
// language and country give the identifier (ja_JP 0x0411, en_GB 0x0809, zh_TW 0x0404, ...); a
// bare language or an unlisted country takes the language's main one (ja 0x0411, zh 0x0804, pt
// 0x0416); an unknown language, "C", "POSIX", empty or null give 0x0409 (English, US).
uint16_t UiLanguageFromLocaleName(const char* name);

}  // namespace platform
