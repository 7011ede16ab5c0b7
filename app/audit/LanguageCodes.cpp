#include "LanguageCodes.h"

#include <QSet>
#include <QStringList>

namespace fd::audit {

namespace {

#include "IsoCodes.inc"

template <std::size_t N>
QSet<QString> setOf(const char* const (&codes)[N]) {
    QSet<QString> s;
    for (const char* c : codes) s.insert(QString::fromLatin1(c));
    return s;
}

struct Codes {
    QSet<QString> language2 = setOf(kIso639_1);
    QSet<QString> language3 = setOf(kIso639_3);
    QSet<QString> script = setOf(kIso15924);
    QSet<QString> region = setOf(kIso3166_1);
};

const Codes& codes() {
    static const Codes c;
    return c;
}

bool lettersOrDigits(const QString& s) {
    for (QChar c : s)
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))) return false;
    return !s.isEmpty();
}

bool digits(const QString& s) {
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return !s.isEmpty();
}

}  // namespace

bool validHreflang(const QString& value) {
    const QString v = value.trimmed().toLower();
    if (v == u"x-default") return true;
    const QStringList parts = v.split(u'-');
    if (parts.size() > 3 || !codes().language2.contains(parts[0])) return false;
    qsizetype i = 1;
    if (i < parts.size() && parts[i].size() == 4) {
        if (!codes().script.contains(parts[i])) return false;
        ++i;
    }
    if (i < parts.size()) {
        if (!codes().region.contains(parts[i])) return false;
        ++i;
    }
    return i == parts.size();
}

bool validLanguageTag(const QString& value) {
    const QStringList parts = value.trimmed().toLower().split(u'-');
    const QString& language = parts[0];
    if (!(language.size() == 2 ? codes().language2.contains(language)
                               : language.size() == 3 && codes().language3.contains(language)))
        return false;
    qsizetype i = 1;
    if (i < parts.size() && parts[i].size() == 4 && !digits(parts[i])) {
        if (!codes().script.contains(parts[i])) return false;
        ++i;
    }
    if (i < parts.size() && (parts[i].size() == 2 || (parts[i].size() == 3 && digits(parts[i])))) {
        if (parts[i].size() == 2 && !codes().region.contains(parts[i])) return false;
        ++i;
    }
    for (; i < parts.size(); ++i)
        if (!lettersOrDigits(parts[i]) || parts[i].size() > 8) return false;
    return true;
}

}  // namespace fd::audit
