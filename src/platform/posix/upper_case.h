// The upper case Windows gives each UTF-16 unit when it compares file names without regard to
// case: every cased letter of the Basic Multilingual Plane, not only ASCII. Surrogates and
// uncased units are their own upper case.
#pragma once

namespace platform {

char16_t UpperCase(char16_t unit);

}  // namespace platform
