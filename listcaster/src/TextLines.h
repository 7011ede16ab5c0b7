#pragma once
// The library's own helper for texts of several lines.

#include <QString>
#include <QStringList>

namespace listcaster {

// The lines of a text, whichever line breaks it uses (CR LF, LF or CR).
inline QStringList splitLines(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t.split(QLatin1Char('\n'));
}

}  // namespace listcaster
