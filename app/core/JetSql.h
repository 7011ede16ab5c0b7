#pragma once
// Turns a statement in the Jet dialect the program writes into SQLite's:
//  - #date# literals become ISO text ('2026-12-07 14:05:00'), so dates stored
//    that way compare and sort correctly;
//  - "double-quoted" text literals become 'single-quoted' ones ("" inside is
//    one "), so a value can never be read as a column name;
//  - 'single-quoted' literals, [bracketed] and `backquoted` names pass
//    unchanged.
// Anything after the first statement, a comment (-- or /* */), a NUL
// character, an unterminated literal or a bad date is refused with an
// AppError, so the statement never runs.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace fd {

QString translateJetSql(const QString& jet);

// Parses the text between # signs: m/d/yyyy, m/d/yy, optionally followed by
// h:mm or h:mm:ss with or without AM/PM, or an ISO form (yyyy-mm-dd, with an
// optional time after a blank or a T). Returns nothing when it is not a date.
std::optional<QDateTime> parseJetDate(const QString& text);

// The date literal forms the program writes: month/day/year, 24-hour time,
// independent of the user's locale.
QString jetDate(const QDate& d);           // 12/7/2026
QString jetDateTime(const QDateTime& dt);  // 12/7/2026 14:05:09
// How a date is stored, the form a date literal becomes:
// 2026-12-07 14:05:09.
QString storedDateTime(const QDateTime& dt);

// Text between double quotes with every " doubled; between apostrophes with
// every ' doubled.
QString dq(const QString& value);
QString sq(const QString& value);

}  // namespace fd
