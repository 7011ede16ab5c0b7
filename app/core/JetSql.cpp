#include "JetSql.h"

#include <QRegularExpression>

#include "AppError.h"

namespace fd {

namespace {

AppError syntaxError(const QString& what) {
    return AppError(err::kDatabase, what, QStringLiteral("Jet SQL translator"));
}

int expandYear(int y, int digits) {
    if (digits > 2) return y;
    return y < 30 ? 2000 + y : 1900 + y;  // two-digit years: 00-29 -> 2000s
}

}  // namespace

std::optional<QDateTime> parseJetDate(const QString& raw) {
    const QString text = raw.trimmed();
    static const QRegularExpression us(
        QStringLiteral(R"(^(\d{1,2})/(\d{1,2})/(\d{2}|\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)"
                       R"((?:\s*([AaPp][Mm]))?)?$)"));
    static const QRegularExpression iso(
        QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2})(?:[T\s]+(\d{1,2}):(\d{2})(?::(\d{2}))?)"
                       R"((?:\s*([AaPp][Mm]))?)?$)"));
    int y = 0, m = 0, d = 0;
    QRegularExpressionMatch mt = us.match(text);
    if (mt.hasMatch()) {
        m = mt.captured(1).toInt();
        d = mt.captured(2).toInt();
        y = expandYear(mt.captured(3).toInt(), mt.captured(3).size());
    } else {
        mt = iso.match(text);
        if (!mt.hasMatch()) return std::nullopt;
        y = mt.captured(1).toInt();
        m = mt.captured(2).toInt();
        d = mt.captured(3).toInt();
    }
    const QDate date(y, m, d);
    if (!date.isValid()) return std::nullopt;
    int h = 0, mi = 0, s = 0;
    if (mt.capturedLength(4) > 0) {
        h = mt.captured(4).toInt();
        mi = mt.captured(5).toInt();
        s = mt.capturedLength(6) > 0 ? mt.captured(6).toInt() : 0;
        const QString ampm = mt.captured(7).toUpper();
        if (!ampm.isEmpty()) {
            if (h < 1 || h > 12) return std::nullopt;
            if (ampm == QLatin1String("AM"))
                h = (h == 12) ? 0 : h;
            else
                h = (h == 12) ? 12 : h + 12;
        }
    }
    const QTime time(h, mi, s);
    if (!time.isValid()) return std::nullopt;
    return QDateTime(date, time);
}

QString translateJetSql(const QString& jet) {
    // SQLite reads a statement only up to a NUL character: what follows it
    // would be dropped, leaving a different statement than the one checked.
    if (jet.contains(QChar(0)))
        throw syntaxError(QStringLiteral("A statement may not hold a NUL character."));
    QString out;
    out.reserve(jet.size() + 16);
    const qsizetype n = jet.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = jet[i];
        if (c == u'\'') {
            // Single-quoted literal: copied as it stands ('' is an apostrophe).
            qsizetype j = i + 1;
            for (;;) {
                if (j >= n) throw syntaxError(QStringLiteral("Unterminated text literal"));
                if (jet[j] == u'\'') {
                    if (j + 1 < n && jet[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += QStringView(jet).mid(i, j - i + 1);
            i = j + 1;
        } else if (c == u'"') {
            // Double-quoted literal: "" inside is one ", written single-quoted.
            QString value;
            qsizetype j = i + 1;
            for (;;) {
                if (j >= n) throw syntaxError(QStringLiteral("Unterminated text literal"));
                if (jet[j] == u'"') {
                    if (j + 1 < n && jet[j + 1] == u'"') {
                        value += u'"';
                        j += 2;
                        continue;
                    }
                    break;
                }
                value += jet[j];
                ++j;
            }
            out += sq(value);
            i = j + 1;
        } else if (c == u'[' || c == u'`') {
            // [name] and `name`: quoted names, copied as they stand, so a
            // quote or ";" inside one is never taken for anything else.
            const qsizetype j = jet.indexOf(c == u'[' ? u']' : u'`', i + 1);
            if (j < 0) throw syntaxError(QStringLiteral("Unterminated quoted name"));
            out += QStringView(jet).mid(i, j - i + 1);
            i = j + 1;
        } else if (c == u'#') {
            const qsizetype j = jet.indexOf(u'#', i + 1);
            if (j < 0) throw syntaxError(QStringLiteral("Unterminated date literal"));
            const auto dt = parseJetDate(jet.mid(i + 1, j - i - 1));
            if (!dt) {
                throw syntaxError(QStringLiteral("Syntax error in date in query expression '%1'")
                                      .arg(jet.mid(i, j - i + 1)));
            }
            out += u'\'' + storedDateTime(*dt) + u'\'';
            i = j + 1;
        } else if (c == u';') {
            // One statement only: a trailing semicolon (and blanks) is all
            // that may follow it.
            if (!jet.mid(i + 1).trimmed().isEmpty()) {
                throw syntaxError(QStringLiteral("Characters found after end of SQL statement."));
            }
            i = n;
        } else if ((c == u'-' && i + 1 < n && jet[i + 1] == u'-') ||
                   (c == u'/' && i + 1 < n && jet[i + 1] == u'*')) {
            // Neither comment form: a comment could hide a quote or a ";"
            // from this reading and so smuggle in a second statement.
            throw syntaxError(QStringLiteral("Comments are not accepted in a statement."));
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

QString jetDate(const QDate& d) {
    // Four digits for the year: two would be read back as 19xx or 20xx.
    return QStringLiteral("%1/%2/%3").arg(d.month()).arg(d.day()).arg(d.year(), 4, 10, QChar(u'0'));
}

QString storedDateTime(const QDateTime& dt) {
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString jetDateTime(const QDateTime& dt) {
    return jetDate(dt.date()) + u' ' + dt.time().toString(QStringLiteral("H:mm:ss"));
}

QString dq(const QString& value) {
    QString v = value;
    v.replace(u'"', QStringLiteral("\"\""));
    return u'"' + v + u'"';
}

QString sq(const QString& value) {
    QString v = value;
    v.replace(u'\'', QStringLiteral("''"));
    return u'\'' + v + u'\'';
}

}  // namespace fd
