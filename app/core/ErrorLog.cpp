#include "ErrorLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace fd {

QString logTimestamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

namespace {

// An entry is one line: a line break inside a field (a server's message can
// carry one) is written as \r or \n, so it can never start a forged entry.
QString oneLine(const QString& field) {
    QString v = field;
    v.replace(u'\r', QStringLiteral("\\r"));
    v.replace(u'\n', QStringLiteral("\\n"));
    return v;
}

}  // namespace

QString ErrorLog::path() const {
    return QDir(folder_).filePath(QStringLiteral("errorlog.txt"));
}

namespace {
void appendEntry(const QString& programFolder, const QString& routine, long number,
                 const QString& description, const QString& source) {
    QFile f(QDir(programFolder).filePath(QStringLiteral("errorlog.txt")));
    const bool exists = f.exists();
    if (!f.open(exists ? (QIODevice::WriteOnly | QIODevice::Append) : QIODevice::WriteOnly)) return;
    QByteArray out;
    if (!exists) {
        out += "Error Log - Created: " + logTimestamp().toUtf8() + "\r\n";
        out +=
            "Format: Date & Time of Error, Routine Name, Error Number, Error Description, "
            "Error Source\r\n\r\n";
    }
    out += (logTimestamp() + u',' + oneLine(routine) + u',' + QString::number(number) +
            QStringLiteral(",'") + oneLine(description) + QStringLiteral("',") + oneLine(source))
               .toUtf8();
    out += "\r\n";
    f.write(out);
    f.close();
}
}  // namespace

void WriteErrorLog(const QString& programFolder, const QString& routine, long number,
                   const QString& description, const QString& source) {
    if (number == 0 || number == 384 || number == 20 ||
        description == QLatin1String("Resume without error"))
        return;
    appendEntry(programFolder, routine, number, description, source);
}

void WriteLogNote(const QString& programFolder, const QString& routine, const QString& text) {
    appendEntry(programFolder, routine, 0, text, QStringLiteral("Main"));
}

}  // namespace fd
