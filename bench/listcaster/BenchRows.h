#pragma once
// The rows the Listcaster benchmarks export: a submission log's columns with
// varied lengths, the same for every run.

#include <QString>
#include <QStringList>

inline QStringList makeRow(int i) {
    static const char* const engines[] = {"Searchly", "Findex", "Lookwise", "Crawlbee", "Seekaroo"};
    static const char* const pages[] = {"index.htm", "products/catalogue.htm", "about.htm",
                                        "contact/form.php", "news/2002/february/item.htm"};
    return {QStringLiteral("http://www.site%1.example/").arg(i % 97),
            QString::fromLatin1(pages[i % 5]),
            QString::fromLatin1(engines[(i / 3) % 5]),
            QStringLiteral("%1.%2.02").arg(i % 28 + 1).arg(i % 12 + 1),
            QStringLiteral("%1:%2")
                .arg(i % 24, 2, 10, QLatin1Char('0'))
                .arg(i % 60, 2, 10, QLatin1Char('0')),
            QString::number(i * 7919 % 100000),
            i % 7 == 0 ? QStringLiteral("resubmitted after review") : QStringLiteral("ok"),
            QStringLiteral("webmaster%1@site.example").arg(i % 13)};
}
