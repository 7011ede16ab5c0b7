#pragma once
// What a generated update page answers, without a script host: its data
// lines evaluated and its answering loop's UPDATE-or-INSERT rule applied.

#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace fd::test {

// Evaluates a script string expression made of "..." literals joined by &.
inline QString evalScriptString(const QString& expr) {
    QString out;
    int i = 0;
    while (i < expr.size()) {
        if (expr[i] == u'"') {
            ++i;
            while (i < expr.size()) {
                if (expr[i] == u'"') {
                    if (i + 1 < expr.size() && expr[i + 1] == u'"') {
                        out += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += expr[i++];
            }
        } else {
            ++i;  // blanks and the & between literals
        }
    }
    return out;
}

// What the page answers for a request's SearchEngines value: its data lines
// evaluated, then the loop's UPDATE-or-INSERT rule applied.
inline QString answer(const QByteArray& page, const QString& searchEngines) {
    const QStringList fields = {"SearchEngineID",    "SearchEngineName", "ReviewQueryString",
                                "SubmitQueryString", "SearchEngineTips", "HTTPReviewMethod",
                                "HTTPSubmitMethod",  "Popularity"};
    QStringList requested = searchEngines.split(u'|');
    QString out = QStringLiteral("<XML program=\"QELS\" author=\"Farrowdale\">\r\n");
    static const QRegularExpression line(
        R"(^arrSearchEngineInformation\(\d+\) = split\((.*),"\|"\)$)");
    for (const QString& l : QString::fromUtf8(page).split(QStringLiteral("\r\n"))) {
        const auto m = line.match(l);
        if (!m.hasMatch()) continue;
        const QStringList v = evalScriptString(m.captured(1)).split(u'|');
        bool listed = false;
        bool idNumeric = false;
        const long long id = v[0].toLongLong(&idNumeric);
        for (const QString& r : requested) {
            bool ok = false;
            const long long rid = r.toLongLong(&ok);
            if (idNumeric && ok && rid == id) listed = true;
        }
        if (listed) {
            QStringList sets;
            for (int k = 1; k < v.size(); ++k) sets << fields[k] + " = " + v[k];
            out += "UPDATE SearchEngines SET " + sets.join(u',') +
                   " WHERE SearchEngineID = " + v[0] + "\r\n";
        } else {
            out += "INSERT INTO SearchEngines (" + fields.join(u',') + ") VALUES (" + v.join(u',') +
                   ")\r\n";
        }
    }
    return out + "</XML>";
}

}  // namespace fd::test
