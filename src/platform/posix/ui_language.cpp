#include "platform/posix/ui_language.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/system_folders.h"

namespace platform {

namespace {

constexpr uint16_t kEnglishUs = 0x0409;

struct LanguageName {
  const char* language;
  const char* country;  // null: the language's main identifier, used for any other country
  uint16_t identifier;
};

// The main identifier of each language comes last among its rows.
// clang-format off
constexpr LanguageName kLanguages[] = {
    {"ja", nullptr, 0x0411},
    {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009}, {"en", "NZ", 0x1409},
    {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09}, {"en", "PH", 0x3409}, {"en", "IN", 0x4009},
    {"en", "SG", 0x4809}, {"en", nullptr, 0x0409},
    {"zh", "TW", 0x0404}, {"zh", "HK", 0x0C04}, {"zh", "SG", 0x1004}, {"zh", "MO", 0x1404},
    {"zh", nullptr, 0x0804},
    {"ko", nullptr, 0x0412},
    {"de", "CH", 0x0807}, {"de", "AT", 0x0C07}, {"de", "LU", 0x1007}, {"de", "LI", 0x1407},
    {"de", nullptr, 0x0407},
    {"fr", "BE", 0x080C}, {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C}, {"fr", "LU", 0x140C},
    {"fr", "MC", 0x180C}, {"fr", nullptr, 0x040C},
    {"es", "MX", 0x080A}, {"es", "GT", 0x100A}, {"es", "CR", 0x140A}, {"es", "PA", 0x180A},
    {"es", "DO", 0x1C0A}, {"es", "VE", 0x200A}, {"es", "CO", 0x240A}, {"es", "PE", 0x280A},
    {"es", "AR", 0x2C0A}, {"es", "EC", 0x300A}, {"es", "CL", 0x340A}, {"es", "UY", 0x380A},
    {"es", "PY", 0x3C0A}, {"es", "BO", 0x400A}, {"es", "SV", 0x440A}, {"es", "HN", 0x480A},
    {"es", "NI", 0x4C0A}, {"es", "PR", 0x500A}, {"es", "US", 0x540A}, {"es", nullptr, 0x0C0A},
    {"it", "CH", 0x0810}, {"it", nullptr, 0x0410},
    {"pt", "PT", 0x0816}, {"pt", nullptr, 0x0416},
    {"ru", nullptr, 0x0419},
    {"nl", "BE", 0x0813}, {"nl", nullptr, 0x0413},
    {"sv", "FI", 0x081D}, {"sv", nullptr, 0x041D},
    {"ar", "IQ", 0x0801}, {"ar", "EG", 0x0C01}, {"ar", "LY", 0x1001}, {"ar", "DZ", 0x1401},
    {"ar", "MA", 0x1801}, {"ar", "TN", 0x1C01}, {"ar", "OM", 0x2001}, {"ar", "YE", 0x2401},
    {"ar", "SY", 0x2801}, {"ar", "JO", 0x2C01}, {"ar", "LB", 0x3001}, {"ar", "KW", 0x3401},
    {"ar", "AE", 0x3801}, {"ar", "BH", 0x3C01}, {"ar", "QA", 0x4001}, {"ar", nullptr, 0x0401},
    {"pl", nullptr, 0x0415}, {"cs", nullptr, 0x0405}, {"sk", nullptr, 0x041B},
    {"hu", nullptr, 0x040E}, {"ro", nullptr, 0x0418}, {"bg", nullptr, 0x0402},
    {"hr", nullptr, 0x041A}, {"sl", nullptr, 0x0424}, {"sr", nullptr, 0x281A},
    {"uk", nullptr, 0x0422}, {"be", nullptr, 0x0423}, {"el", nullptr, 0x0408},
    {"tr", nullptr, 0x041F}, {"he", nullptr, 0x040D}, {"fa", nullptr, 0x0429},
    {"hi", nullptr, 0x0439}, {"bn", nullptr, 0x0445}, {"ta", nullptr, 0x0449},
    {"th", nullptr, 0x041E}, {"vi", nullptr, 0x042A}, {"id", nullptr, 0x0421},
    {"ms", nullptr, 0x043E}, {"fil", nullptr, 0x0464}, {"tl", nullptr, 0x0464},
    {"da", nullptr, 0x0406}, {"fi", nullptr, 0x040B}, {"nb", nullptr, 0x0414},
    {"no", nullptr, 0x0414}, {"nn", nullptr, 0x0814}, {"is", nullptr, 0x040F},
    {"et", nullptr, 0x0425}, {"lv", nullptr, 0x0426}, {"lt", nullptr, 0x0427},
    {"ca", nullptr, 0x0403}, {"eu", nullptr, 0x042D}, {"gl", nullptr, 0x0456},
    {"ga", nullptr, 0x083C}, {"cy", nullptr, 0x0452}, {"af", nullptr, 0x0436},
    {"sq", nullptr, 0x041C}, {"mk", nullptr, 0x042F}, {"ka", nullptr, 0x0437},
    {"hy", nullptr, 0x042B}, {"kk", nullptr, 0x043F},
    {"mn", nullptr, 0x0450},
};
// clang-format on

}  // namespace

uint16_t UiLanguageFromLocaleName(const char* name) {
  if (!name) return kEnglishUs;
  // language[_COUNTRY][.codeset][@modifier]
  const size_t end = std::strcspn(name, ".@");
  const std::string locale(name, end);
  const size_t split = locale.find_first_of("_-");
  std::string language = locale.substr(0, split);
  std::string country = split == std::string::npos ? std::string() : locale.substr(split + 1);
  for (char& c : language) {
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
  }
  for (char& c : country) {
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
  }
  for (const LanguageName& entry : kLanguages) {
    if (language != entry.language) continue;
    if (!entry.country || country == entry.country) return entry.identifier;
  }
  return kEnglishUs;  // "C", "POSIX" and every language we do not know
}

// The messages locale decides, as it decides the language of a program's texts.
uint16_t GetUserDefaultUILanguage() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return UiLanguageFromLocaleName(value);
  }
  return kEnglishUs;
}

}  // namespace platform
