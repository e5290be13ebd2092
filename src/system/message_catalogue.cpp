#include "system/message_catalogue.h"

const char16_t* ResolveMessage(const char16_t* messageTemplate) {
  if (!messageTemplate) return u"";
  const char16_t sign = messageTemplate[0];
  if (sign != u'$' && sign != u'#') return messageTemplate;
  for (const char16_t* p = messageTemplate + 1; *p; ++p) {
    if (*p == sign) return p + 1;
  }
  return messageTemplate;
}
