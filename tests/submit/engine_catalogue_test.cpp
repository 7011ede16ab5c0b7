// Which engines the two lists get, from the rows of the catalogue query.
#include <gtest/gtest.h>

#include <QStringList>

#include "submit/EngineCatalogue.h"
#include "support/Errors.h"

using namespace fd;

namespace {

// A row: name, review template, submit template, tips, submit method, popularity.
Recordset rows(std::initializer_list<QStringList> values) {
    std::vector<Recordset::Row> out;
    int id = 1;
    for (const QStringList& v : values) {
        const QStringList full = {QString::number(id++), v[0], v[1], v[2], v[3], "get", v[4], v[5]};
        Recordset::Row row;
        for (const QString& s : full) row.push_back({s, false});
        out.push_back(row);
    }
    return Recordset(
        {"SearchEngineID", "SearchEngineName", "ReviewQueryString", "SubmitQueryString",
         "SearchEngineTips", "HTTPReviewMethod", "HTTPSubmitMethod", "Popularity"},
        std::move(out));
}

QStringList names(const std::vector<EngineEntry>& list) {
    QStringList n;
    for (const auto& e : list) n << e.name;
    return n;
}

}  // namespace

TEST(EngineLists, FiltersByTemplateAndPopularityKeepingQueryOrder) {
    Recordset rs = rows({
        {"Both", "r1", "s1", "tip", "post", "1"},
        {"ReviewOnly", "r2", "", "", "get", "14"},
        {"SubmitOnly", "", "s3", "", "POST", "2"},
        {"Four", "r4", "s4", "", "get", "4"},
        {"FortyFive", "r5", "s5", "", "get", "45"},
        {"FourHundred", "r6", "s6", "", "get", "400"},
        {"Three", "r7", "s7", "", "", "3"},
        {"Neither", "", "", "", "get", "1"},
    });
    test::RecordingSink sink;
    const EngineLists lists = buildEngineLists(rs, sink);
    EXPECT_EQ(names(lists.review), (QStringList{"Both", "ReviewOnly", "Three"}));
    EXPECT_EQ(names(lists.submission), (QStringList{"Both", "SubmitOnly", "Three"}));
    EXPECT_TRUE(sink.lines.isEmpty());

    // Each entry carries its own template; the method only in the submission list.
    EXPECT_EQ(lists.review[0].queryTemplate, "r1");
    EXPECT_EQ(lists.submission[0].queryTemplate, "s1");
    EXPECT_EQ(lists.submission[0].method, "post");
    EXPECT_EQ(lists.submission[1].method, "POST");
    EXPECT_EQ(lists.review[0].method, "");
    EXPECT_EQ(lists.review[0].tips, "tip");
    EXPECT_EQ(lists.review[1].popularity, "14");
}

TEST(EngineLists, DuplicateNameIsLoggedAndSkippedPerList) {
    Recordset rs = rows({
        {"Twin", "r1", "", "", "get", "1"},
        {"Twin", "r2", "s2", "", "post", "2"},
        {"Other", "r3", "s3", "", "get", "3"},
    });
    test::RecordingSink sink;
    const EngineLists lists = buildEngineLists(rs, sink);
    // The second "Twin" is refused by the review list only; the submission
    // list had no "Twin" yet.
    EXPECT_EQ(names(lists.review), (QStringList{"Twin", "Other"}));
    EXPECT_EQ(lists.review[0].queryTemplate, "r1");
    EXPECT_EQ(names(lists.submission), (QStringList{"Twin", "Other"}));
    ASSERT_EQ(sink.lines.size(), 1);
    EXPECT_TRUE(sink.lines[0].startsWith("UpdateSearchEngineLists,35602,"))
        << sink.lines[0].toStdString();
}

TEST(EngineLists, EmptyCatalogueGivesEmptyLists) {
    Recordset rs = rows({});
    test::RecordingSink sink;
    const EngineLists lists = buildEngineLists(rs, sink);
    EXPECT_TRUE(lists.review.empty());
    EXPECT_TRUE(lists.submission.empty());
}
