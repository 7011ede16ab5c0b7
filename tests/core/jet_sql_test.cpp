// The Jet-dialect translator, alone and through a real SQLite database.
#include <gtest/gtest.h>

#include "core/AppError.h"
#include "core/JetSql.h"
#include "support/TestFolder.h"

using namespace fd;

TEST(JetSqlTranslate, DateLiteralsBecomeIsoText) {
    struct Case {
        const char* jet;
        const char* sqlite;
    } cases[] = {
        {"#12/7/2026#", "'2026-12-07 00:00:00'"},
        {"#1/2/03#", "'2003-01-02 00:00:00'"},
        {"#1/2/45#", "'1945-01-02 00:00:00'"},
        {"#12/7/2026 14:05#", "'2026-12-07 14:05:00'"},
        {"#12/7/2026 2:05:09 PM#", "'2026-12-07 14:05:09'"},
        {"#12/7/2026 12:00:00 AM#", "'2026-12-07 00:00:00'"},
        {"#12/7/2026 12:30 pm#", "'2026-12-07 12:30:00'"},
        {"#2026-12-07#", "'2026-12-07 00:00:00'"},
        {"#2026-12-07T08:09:10#", "'2026-12-07 08:09:10'"},
        {"# 2026-12-07 08:09 #", "'2026-12-07 08:09:00'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(translateJetSql(QString::fromUtf8("x = ") + QString::fromUtf8(c.jet)),
                  QString::fromUtf8("x = ") + QString::fromUtf8(c.sqlite))
            << c.jet;
    }
}

TEST(JetSqlTranslate, QuotedLiteralsAndNames) {
    // Double-quoted text becomes single-quoted; "" inside is one ", and an
    // apostrophe inside is doubled for its new literal.
    EXPECT_EQ(translateJetSql(R"(WHERE a = "O'Brien ""x""")"), R"(WHERE a = 'O''Brien "x"')");
    // Single-quoted literals and bracketed names pass unchanged, even with
    // characters that mean something elsewhere.
    EXPECT_EQ(translateJetSql("SELECT [my name] FROM t WHERE b = 'a#1;\"x' AND c = ''''"),
              "SELECT [my name] FROM t WHERE b = 'a#1;\"x' AND c = ''''");
    EXPECT_EQ(translateJetSql("SELECT 1;  "), "SELECT 1");
    EXPECT_EQ(translateJetSql("SELECT `a'b;` FROM t WHERE c = '/* x */'"),
              "SELECT `a'b;` FROM t WHERE c = '/* x */'");
}

TEST(JetSqlTranslate, RefusesWhatCannotBeOneSafeStatement) {
    const char* bad[] = {
        "SELECT 'open",
        "SELECT \"open",
        "SELECT [open",
        "SELECT #12/7/2026",
        "SELECT #13/40/2026#",
        "SELECT #2/30/2026#",
        "SELECT #12/7/2026 25:00#",
        "SELECT #12/7/2026 13:00 PM#",
        "SELECT #soon#",
        "SELECT 1; DROP TABLE WebSites",
        "SELECT 1 -- comment",
        // A comment can hide a quote, and the quote the ";" after it.
        "UPDATE t SET a='x' /* ' */ ; DELETE FROM t; -- '",
        "UPDATE t SET a='x' /* ' */ ; DELETE FROM t",
        "UPDATE t SET a=\"x\" /* \" */ ; DELETE FROM t; /* \" */",
        "UPDATE t SET a=1 /**/; DELETE FROM t",
        "SELECT `a'` ; DELETE FROM t; -- '",
        "SELECT `open",
    };
    for (const char* s : bad) EXPECT_THROW(translateJetSql(QString::fromUtf8(s)), AppError) << s;
}

TEST(JetSqlTranslate, WritersAreLocaleIndependent) {
    EXPECT_EQ(jetDate(QDate(2026, 1, 5)), "1/5/2026");
    EXPECT_EQ(jetDateTime(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3))), "12/7/2026 9:05:03");
    EXPECT_EQ(dq(R"(say "hi")"), R"("say ""hi""")");
    EXPECT_EQ(sq("O'Brien"), "'O''Brien'");
    // What the writers produce, the translator reads back.
    const QDateTime now(QDate(2026, 2, 28), QTime(23, 59, 59));
    EXPECT_EQ(parseJetDate(jetDateTime(now)), now);
    // Found by fuzzing: a year before 1000 was written with fewer digits and
    // read back as a two-digit year (26 became 2026).
    const QDateTime early(QDate(26, 12, 7), QTime(8, 0));
    EXPECT_EQ(jetDate(early.date()), "12/7/0026");
    EXPECT_EQ(parseJetDate(jetDateTime(early)), early);
}

TEST(JetSqlTranslate, RefusesANulCharacterThatWouldEndTheStatementEarly) {
    // Found by fuzzing: SQLite stops reading at the NUL, so the statement
    // that ran was shorter than the one translated (here: every site gone).
    const QString cut = QStringLiteral("DELETE FROM WebSites WHERE WebSiteID = 5") + QChar(0) +
                        QStringLiteral(" OR 1 = 0");
    EXPECT_THROW(translateJetSql(cut), AppError);
    EXPECT_THROW(translateJetSql(QStringLiteral("SELECT '") + QChar(0) + QStringLiteral("'")),
                 AppError);
}

class JetSqlDatabase : public ::testing::Test {
protected:
    test::TestFolder folder;
    CADODBAccess& db() { return *folder.globals().gDB; }
};

TEST_F(JetSqlDatabase, ValuesRoundTripIntact) {
    const QString nasty = QString::fromUtf8("O'Brien's \"best\" #1 [shop]; -- ünïcode");
    db().execute("INSERT INTO WebSites (WebSiteGenericName, LastUpdateRequest) VALUES (" +
                 dq(nasty) + ", #12/7/2026#)");
    db().execute("INSERT INTO WebSites (WebSiteGenericName) VALUES (" + sq(nasty) + ")");
    auto rs = db().query("SELECT WebSiteGenericName, LastUpdateRequest FROM WebSites");
    ASSERT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(rs->field("WebSiteGenericName"), nasty);
    EXPECT_EQ(rs->field("LastUpdateRequest"), "2026-12-07 00:00:00");
    rs->moveNext();
    EXPECT_EQ(rs->field("WebSiteGenericName"), nasty);
}

TEST_F(JetSqlDatabase, ValueEqualToAColumnNameStaysAString) {
    // With SQLite's double-quoted-string fallback a "WebSiteID" value could
    // be read as the column; here it is always text.
    db().execute(R"(INSERT INTO WebSites (WebSiteGenericName) VALUES ("WebSiteID"))");
    EXPECT_EQ(folder.scalar("SELECT WebSiteGenericName FROM WebSites"), "WebSiteID");
    auto rs = db().query(
        R"(SELECT WebSiteID FROM WebSites WHERE WebSiteGenericName = "WebSiteGenericName")");
    EXPECT_TRUE(rs->eof());
}

TEST_F(JetSqlDatabase, BetweenAndOrderByWorkOnStoredDates) {
    for (const char* d : {"#12/31/2025 23:59:59#", "#1/1/2026#", "#1/15/2026 10:00#", "#2/1/2026#"})
        db().execute(QString::fromUtf8("INSERT INTO Submissions (SubmitDate) VALUES (%1)")
                         .arg(QString::fromUtf8(d)));
    auto rs = db().query(
        "SELECT SubmitDate FROM Submissions WHERE SubmitDate BETWEEN #1/1/2026# "
        "AND #1/31/2026 23:59:59# ORDER BY SubmitDate DESC");
    ASSERT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(rs->field(0), "2026-01-15 10:00:00");
}
