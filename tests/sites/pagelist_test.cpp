// Page-list files, file-type keys, list file names and the SQL text of the
// web-site tables, checked against a real database where storing is the point.
#include "sites/PageList.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/AppError.h"
#include "sites/SitesSql.h"
#include "support/Errors.h"
#include "support/TestFolder.h"

using namespace fd;
using namespace fd::sites;

namespace {

QString writeBytes(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("list.wsr"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

}  // namespace

TEST(PageListFile, lineEnds_lastLineWithoutCrLfAndBlankLines) {
    EXPECT_EQ(splitPageList(QStringLiteral("a.htm\r\n\r\nb.asp\r\nc.doc")),
              (QStringList{"a.htm", "b.asp", "c.doc"}));
    // Files written elsewhere: LF alone, CR alone, mixed.
    EXPECT_EQ(splitPageList(QStringLiteral("a\nb\n\nc\n")), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(splitPageList(QStringLiteral("a\rb\r")), (QStringList{"a", "b"}));
    EXPECT_EQ(splitPageList(QStringLiteral("\r\n\r\n")), QStringList{});
    // Blanks and duplicates are kept exactly.
    EXPECT_EQ(splitPageList(QStringLiteral(" a b \r\na\r\na\r\n")),
              (QStringList{" a b ", "a", "a"}));
}

TEST(PageListFile, encoding_utf8KeptLatin1Fallback) {
    EXPECT_EQ(decodePageList(QByteArray("caf\xc3\xa9.htm")), QStringLiteral("café.htm"));
    // Not valid UTF-8: every byte is its Latin-1 character, nothing dropped.
    EXPECT_EQ(decodePageList(QByteArray("caf\xe9.htm")), QStringLiteral("café.htm"));
    EXPECT_EQ(decodePageList(QByteArray("\xef\xbb\xbfindex.htm")), QStringLiteral("index.htm"));
    // One stray byte spoils only its own line: the others stay UTF-8, under
    // every line-end form.
    EXPECT_EQ(decodePageList(QByteArray("caf\xc3\xa9.htm\r\nna\xefve.htm\r\n\xc3\xbc"
                                        "ber.htm\nx\xff\rr\xc3\xa9sum\xc3\xa9.htm")),
              QStringLiteral("café.htm\r\nnaïve.htm\r\nüber.htm\nxÿ\rrésumé.htm"));
    // Read line by line, only the file's own mark at its start is dropped; a
    // mark beginning a later page is that page's.
    EXPECT_EQ(decodePageList(QByteArray("\xef\xbb\xbf"
                                        "a.htm\r\n\xef\xbb\xbf"
                                        "b.htm\r\nc\xff.htm")),
              QStringLiteral("a.htm\r\n") + QChar(0xFEFF) + QStringLiteral("b.htm\r\ncÿ.htm"));
}

TEST(PageListFile, writeThenRead_roundTripsExactly) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("1Site.wsr"));
    const QStringList pages = {"index.htm", "ünï/cödé.html", " spaced ", "x", "x"};
    writePageListFile(path, pages);
    EXPECT_EQ(test::readFile(path), QByteArray("index.htm\r\n\xc3\xbcn\xc3\xaf/c\xc3\xb6"
                                               "d\xc3\xa9.html\r\n spaced "
                                               "\r\nx\r\nx\r\n\r\n"));
    EXPECT_EQ(readPageListFile(path), pages);
    // Nothing but the list is left in the folder (the temporary was renamed).
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"1Site.wsr"});
    // Found by fuzzing: a first page that begins with a byte-order mark lost
    // it on the way back, the reader taking it for the file's own mark (and
    // dropping two marks where the file had its own and the page's).
    const QStringList marked = {QChar(0xFEFF) + QStringLiteral("index.htm"), "a.htm"};
    writePageListFile(path, marked);
    EXPECT_EQ(readPageListFile(path), marked);
}

// A save replaces the file a link points to, keeps a replaced file's
// permissions, and clears temporaries a killed save left behind.
TEST(PageListFile, save_followsLinksKeepsModeAndClearsStaleTemporaries) {
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.wsr"));
    writePageListFile(real, {"old"});
    // A new file gets the usual mode for the umask.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    ASSERT_TRUE(
        QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QString link = dir.filePath(QStringLiteral("1_Site.wsr"));
    ASSERT_TRUE(QFile::link(real, link));
    const auto leftOver = [&](const char* name, int ageSeconds) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        f.open(QIODevice::WriteOnly);
        f.write("half");
        f.flush();
        f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                      QFileDevice::FileModificationTime);
    };
    leftOver(".real.wsr.part-Ab3dE9", 3600);   // a killed save: removed
    leftOver(".real.wsr.part-Zz9yY8", 0);      // another save under way: kept
    leftOver(".other.wsr.part-Ab3dE9", 3600);  // another list's: kept
    writePageListFile(link, {"new"});
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(test::readFile(real), QByteArray("new\r\n\r\n"));
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640);
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
        (QStringList{".other.wsr.part-Ab3dE9", ".real.wsr.part-Zz9yY8", "1_Site.wsr", "real.wsr"}));
}

TEST(PageListFile, badInput_isRefusedWithAnError) {
    QTemporaryDir dir;
    EXPECT_EQ(
        test::errorNumberOf([&] { readPageListFile(dir.filePath(QStringLiteral("none.wsr"))); }),
        err::kFileNotFound);
    EXPECT_EQ(test::errorNumberOf([&] { readPageListFile(dir.path()); }), err::kFileNotFound);
    const QString binary = writeBytes(dir, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    EXPECT_NE(test::errorNumberOf([&] { readPageListFile(binary); }), 0);
    // Only regular files are read: a FIFO would hold the window for ever and
    // a device such as /dev/zero never ends.
    const QString fifo = dir.filePath(QStringLiteral("fifo.wsr"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(test::errorNumberOf([&] { readPageListFile(fifo); }), err::kInvalidProcedureCall);
    EXPECT_EQ(test::errorNumberOf([&] { readPageListFile(QStringLiteral("/dev/zero")); }),
              err::kInvalidProcedureCall);
    // A link to a list is read through.
    ASSERT_TRUE(QFile::link(writeBytes(dir, "a.htm\r\n"), dir.filePath(QStringLiteral("ln"))));
    EXPECT_EQ(readPageListFile(dir.filePath(QStringLiteral("ln"))), QStringList{"a.htm"});
    // A folder that does not exist: nothing written, failure reported.
    EXPECT_NE(test::errorNumberOf(
                  [&] { writePageListFile(dir.filePath(QStringLiteral("no/such/x.wsr")), {"a"}); }),
              0);
}

TEST(PageListFile, longLinesAndManyLines) {
    QTemporaryDir dir;
    const QString longLine(100000, u'a');
    QByteArray bytes;
    for (int i = 0; i < 3; ++i) bytes += longLine.toUtf8() + "\r\n";
    const QStringList pages = readPageListFile(writeBytes(dir, bytes));
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[2], longLine);
}

// Progress hears of a long split now and then and always of its end, at the
// full count; stopping it mid-way yields nothing rather than half a list.
TEST(PageListFile, split_progressAndStop) {
    QString text;
    for (int i = 0; i < 200000; ++i) text += QStringLiteral("page%1.htm\r\n").arg(i);
    std::vector<std::pair<qint64, qint64>> calls;
    const auto pages = splitPageList(text, [&](qint64 done, qint64 total) {
        calls.emplace_back(done, total);
        return true;
    });
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->size(), 200000);
    ASSERT_GT(calls.size(), 2u);
    EXPECT_EQ(calls.back(), std::make_pair(qint64(text.size()), qint64(text.size())));
    for (std::size_t i = 1; i < calls.size(); ++i) EXPECT_GT(calls[i].first, calls[i - 1].first);

    int asked = 0;
    EXPECT_FALSE(splitPageList(text, [&](qint64, qint64) { return ++asked < 2; }));
    EXPECT_EQ(asked, 2);
}

TEST(FileTypes, pictureKeys) {
    EXPECT_EQ(fileTypeKey(QStringLiteral("images/logo.GIF")), QStringLiteral("MSC"));
    EXPECT_EQ(fileTypeKey(QStringLiteral("shop/cart.asp")), QStringLiteral("ASP"));
    EXPECT_EQ(fileTypeKey(QStringLiteral("contact")), QStringLiteral("MSC"));
    EXPECT_EQ(fileTypeKey(QStringLiteral("index.htm")), QStringLiteral("HTM"));
    EXPECT_EQ(fileTypeKey(QStringLiteral("index.html")), QStringLiteral("MSC"));
    EXPECT_EQ(fileTypeKey(QStringLiteral("a.b/manual.Doc")), QStringLiteral("DOC"));
    // A page named after a key with no dot is of that type.
    EXPECT_EQ(fileTypeKey(QStringLiteral("zip")), QStringLiteral("ZIP"));
    EXPECT_EQ(fileTypeKeys().size(), 13);
}

TEST(ListFileName, keyNameBlanksAndCut) {
    EXPECT_EQ(listFileName(3, QStringLiteral("My Web Site")), QStringLiteral("3_My_Web_Site.wsr"));
    EXPECT_EQ(listFileName(1, QStringLiteral("A very long web site name indeed")),
              QStringLiteral("1_A_very_long_web_site_name.wsr"));
    // A slash would name a folder that does not exist.
    EXPECT_EQ(listFileName(2, QStringLiteral("AC/DC")), QStringLiteral("2_AC_DC.wsr"));
    // The key ends at the "_": keys 1 and 11 never meet.
    EXPECT_NE(listFileName(1, QStringLiteral("12 Oaks")),
              listFileName(11, QStringLiteral("2 Oaks")));
}

TEST(AddressRules, queryStringsAndCompletion) {
    EXPECT_EQ(stripQueryString(QStringLiteral("a.asp?x=1")), QStringLiteral("a.asp"));
    EXPECT_EQ(stripQueryString(QStringLiteral("?x=1")), QStringLiteral("?x=1"));
    EXPECT_EQ(removeQuerystring(QStringLiteral("?x=1")), QString());
    EXPECT_EQ(completeAddress(QStringLiteral("example")), QStringLiteral("http://www.example.com"));
    EXPECT_EQ(completeAddress(QStringLiteral("HTTP://WWW.Example.COM")),
              QStringLiteral("HTTP://WWW.Example.COM"));
    EXPECT_EQ(completeAddress(QStringLiteral("http://www.example.org")),
              QStringLiteral("http://www.example.org.com"));
}

// Values with apostrophes and double quotes are stored intact by every
// statement; the URL and e-mail fields lose their apostrophes on purpose.
TEST(SitesSql, quotesSurviveEveryStatement) {
    test::TestFolder folder;
    const QString name = QStringLiteral("O'Brien's \"Best\" Shop");
    folder.exec(insertWebSiteSql(name, QDate(2026, 3, 4)));
    EXPECT_EQ(folder.scalar(QStringLiteral("select WebSiteGenericName from WebSites")), name);
    EXPECT_EQ(folder.scalar(QStringLiteral("select LastUpdateRequest from WebSites")).left(10),
              QStringLiteral("2026-03-04"));
    const long long id =
        folder.scalar(QStringLiteral("select WebSiteID from WebSites")).toLongLong();

    RootDetails d{QStringLiteral("o'b@x.ie"),
                  QStringLiteral("Seán O'Brien \"SOB\""),
                  QStringLiteral("http://x.ie/dir?a='1'"),
                  QStringLiteral("IE'"),
                  QStringLiteral("rep'orts@x.ie"),
                  QStringLiteral("Pubs & \"Bars\"")};
    folder.exec(insertWebSiteNameSql(id, QStringLiteral("http://o'brien.ie/"), d));
    auto row = [&](const char* col) {
        return folder.scalar(QStringLiteral("select %1 from WebSiteNames").arg(QLatin1String(col)));
    };
    EXPECT_EQ(row("WebSiteBaseURL"), QStringLiteral("http://obrien.ie/"));
    EXPECT_EQ(row("WebSiteEmailAddress"), QStringLiteral("ob@x.ie"));
    EXPECT_EQ(row("WebSiteSubmitterName"), d.submitterName);
    EXPECT_EQ(row("DirectoryListing"), d.directoryListing);
    EXPECT_EQ(row("CountryCode"), d.countryCode);
    EXPECT_EQ(row("EmailReportsTo"), QStringLiteral("reports@x.ie"));
    EXPECT_EQ(row("Industry"), d.industry);

    d.submitterName = QStringLiteral("Pádraig \"Paddy\" O'Neill");
    const long long nameId = row("WebSiteNameID").toLongLong();
    folder.exec(updateWebSiteNameSql(nameId, d));
    EXPECT_EQ(row("WebSiteSubmitterName"), d.submitterName);
    EXPECT_EQ(row("DirectoryListing"), QStringLiteral("http://x.ie/dir?a=1"));
    EXPECT_EQ(row("CountryCode"), QStringLiteral("IE"));
    EXPECT_EQ(row("Industry"), d.industry);

    const QString path = QStringLiteral("/home/o'neill/\"lists\"/0Site.wsr");
    folder.exec(updateLastListFileSql(id, path));
    EXPECT_EQ(folder.scalar(QStringLiteral("select LastListFile from WebSites")), path);

    ConfigurationRow cfg{name,
                         QStringLiteral("http://o'brien.ie/"),
                         d.directoryListing,
                         d.email,
                         d.countryCode,
                         d.reportEmail,
                         path,
                         d.industry};
    folder.exec(updateConfigurationSql(cfg));
    auto conf = [&](const char* col) {
        return folder.scalar(
            QStringLiteral("select %1 from WebSiteConfiguration").arg(QLatin1String(col)));
    };
    EXPECT_EQ(conf("WebSiteGenericName"), name);
    EXPECT_EQ(conf("RootWebSiteAddress"), cfg.rootUrl);
    EXPECT_EQ(conf("LastReport"), path);
    EXPECT_EQ(conf("Industry"), d.industry);
    EXPECT_EQ(conf("EmailChangeReportsTo"), d.reportEmail);
}
