#include "EngineCatalogue.h"

#include <QSet>

#include "core/CADODBAccess.h"

namespace fd {

namespace {

const QString kRoutine = QStringLiteral("UpdateSearchEngineLists");

// Adds e to list unless its name is a key there already.
void append(std::vector<EngineEntry>& list, QSet<QString>& keys, const EngineEntry& e,
            const QString& listName, ErrorSink& sink) {
    if (keys.contains(e.name)) {
        sink.write(kRoutine, kKeyNotUnique,
                   QStringLiteral("Key is not unique in collection: %1").arg(e.name), listName);
        return;
    }
    keys.insert(e.name);
    list.push_back(e);
}

}  // namespace

QString engineListQuery() {
    return QStringLiteral(
        "Select SearchEngineID, SearchEngineName,ReviewQueryString, SubmitQueryString, "
        "SearchEngineTips, HTTPReviewMethod, HTTPSubmitMethod,Popularity from SearchEngines "
        "order by Popularity,SearchEngineName");
}

EngineLists buildEngineLists(Recordset& rows, ErrorSink& sink) {
    EngineLists lists;
    QSet<QString> reviewKeys, submissionKeys;
    lists.review.reserve(static_cast<std::size_t>(rows.recordCount()));
    lists.submission.reserve(static_cast<std::size_t>(rows.recordCount()));
    const int cName = 1, cReview = 2, cSubmit = 3, cTips = 4, cSubmitMethod = 6, cPopularity = 7;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        const QString popularity = rows.field(cPopularity);
        // Only the first character counts: "4", "40" and "400" are all out.
        if (popularity.startsWith(u'4')) continue;
        EngineEntry e;
        e.name = rows.field(cName);
        e.popularity = popularity;
        e.tips = rows.field(cTips);
        const QString review = rows.field(cReview);
        const QString submit = rows.field(cSubmit);
        if (!review.isEmpty()) {
            e.queryTemplate = review;
            append(lists.review, reviewKeys, e, QStringLiteral("lvwReviewList"), sink);
        }
        if (!submit.isEmpty()) {
            e.queryTemplate = submit;
            e.method = rows.field(cSubmitMethod);
            append(lists.submission, submissionKeys, e, QStringLiteral("lvwSubmissionList"), sink);
        }
    }
    return lists;
}

EngineLists loadEngineLists(const CADODBAccess& db, ErrorSink& sink) {
    EngineLists lists;
    leaveOnError(sink, kRoutine, [&] {
        RecordsetPtr rows = db.query(engineListQuery());
        lists = buildEngineLists(*rows, sink);
    });
    return lists;
}

}  // namespace fd
