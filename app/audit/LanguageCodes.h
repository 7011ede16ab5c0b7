#pragma once
// Language tags as search engines and browsers take them, checked against
// the ISO code lists Debian's iso-codes package holds.

#include <QString>

namespace fd::audit {

// An hreflang value: "x-default", or an ISO 639-1 language, optionally
// followed by an ISO 15924 script and an ISO 3166-1 region ("de", "de-AT",
// "zh-Hant-TW"), in any letter case.
bool validHreflang(const QString& value);

// A lang attribute (BCP 47): an ISO 639-1 or 639-3 language, then
// optionally a script, a region (ISO 3166-1, or three digits) and further
// subtags of letters and digits.
bool validLanguageTag(const QString& value);

}  // namespace fd::audit
