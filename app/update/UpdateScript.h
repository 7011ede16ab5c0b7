#pragma once
// Writes the update server's page, Update.asp: a script that holds a copy of
// every search engine of the local catalogue and answers a client's update
// request with the XML-wrapped statements that bring the client's catalogue
// up to that copy, logging each request to a monthly file on the server.

#include <QByteArray>
#include <QString>
#include <QVector>

#include "core/AppError.h"
#include "core/CADODBAccess.h"

namespace fd {

// One catalogue row, its fields in the order of the page's field list.
struct EngineRow {
    QString id;  // SearchEngineID as stored
    QString name, review, submit, tips, reviewMethod, submitMethod, popularity;
};

// The word in the envelope's author attribute (the client reads only the
// program attribute).
inline const QString kUpdateScriptAuthor = QStringLiteral("Farrowdale");

// A field value as it stands in a data line: apostrophes doubled for the SQL
// literal the page writes, double quotes doubled for the script string that
// holds it, and the script delimiters "<%" and "%>" broken up so the page's
// own script never sees them.
QString escapeScriptValue(const QString& value);

// A field value as the SQL the page answers with: between apostrophes and
// escaped as above; or, when it holds "|", a control character (CR, LF, tab)
// or a character outside ASCII, CAST(X'<UTF-8 bytes in hex>' AS TEXT), which
// keeps the data line whole and the answer on one line and in ASCII.
QString packScriptValue(const QString& value);

// The whole page, CR LF line ends, no line end after the last line.
QByteArray buildUpdateScript(const QVector<EngineRow>& rows,
                             const QString& author = kUpdateScriptAuthor);

// Reads the catalogue and writes Update.asp into the program folder,
// replacing any earlier page atomically. Failures are logged under
// "CreateUpdateScript"; returns true when the page was written.
bool CreateUpdateScript(const CADODBAccess& db, const QString& programFolder, ErrorSink& log);

}  // namespace fd
