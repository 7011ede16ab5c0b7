// Replacing a user's file through a FileReplacement: what is written to its
// device becomes the whole new file only at commit; a failed write, a
// cancel or an object that goes away leaves the old file and nothing beside
// it; the target must be a regular file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <csignal>

#include "core/AppError.h"
#include "core/FileReplace.h"

using namespace fd;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList entries(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// Writes past this many bytes fail as on a full disk ("File too large"),
// for as long as the object lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

}  // namespace

TEST(FileReplacement, writesInPiecesBecomeTheWholeFileOnlyAtCommit) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.txt"));
    replaceFileContents(path, "the old report", QStringLiteral("test"));

    // Small pieces, one larger than the device's buffer, and more small ones.
    const QByteArray big(300000, 'x');
    FileReplacement file(path);
    ASSERT_TRUE(file.open());
    EXPECT_EQ(file.device().write("head\r\n"), 6);
    EXPECT_EQ(file.device().write(big), big.size());
    for (int i = 0; i < 1000; ++i) file.device().write("line\r\n");
    EXPECT_EQ(bytesOf(path), QByteArray("the old report")) << "nothing shows before the commit";
    ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
    QByteArray expected = "head\r\n" + big;
    for (int i = 0; i < 1000; ++i) expected += "line\r\n";
    EXPECT_EQ(bytesOf(path), expected);
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("report.txt")});
    EXPECT_TRUE(file.errorString().isEmpty());
}

TEST(FileReplacement, cancelOrNoCommitKeepsTheOldFileAndLeavesNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("map.htm"));
    replaceFileContents(path, "old", QStringLiteral("test"));
    {
        FileReplacement file(path);
        ASSERT_TRUE(file.open());
        file.device().write("new, but never committed");
    }
    EXPECT_EQ(bytesOf(path), QByteArray("old"));
    FileReplacement file(path);
    ASSERT_TRUE(file.open());
    file.device().write("new, then cancelled");
    file.cancel();
    EXPECT_FALSE(file.commit()) << "nothing is left to commit";
    EXPECT_EQ(bytesOf(path), QByteArray("old"));
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("map.htm")});
}

TEST(FileReplacement, aWriteThatFailsFailsTheCommitWithTheSystemsReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.wsr"));
    replaceFileContents(path, "old list", QStringLiteral("test"));
    FileReplacement file(path);
    ASSERT_TRUE(file.open());
    {
        const FileSizeLimit limit(100000);
        // Buffered pieces fail when the buffer meets the limit; every write
        // after that fails at once.
        const QByteArray piece(1000, 'p');
        bool failed = false;
        for (int i = 0; i < 500 && !failed; ++i) failed = file.device().write(piece) < 0;
        EXPECT_TRUE(failed);
        EXPECT_EQ(file.device().write("more"), -1);
        EXPECT_FALSE(file.commit());
    }
    EXPECT_EQ(file.errorString(), QStringLiteral("File too large"));
    EXPECT_EQ(bytesOf(path), QByteArray("old list"));
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("list.wsr")});

    // The same through replaceFileContents: its message names the file.
    try {
        const FileSizeLimit limit(10);
        replaceFileContents(path, QByteArray(100, 'n'), QStringLiteral("Pages"));
        ADD_FAILURE() << "written past the limit";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::kPermissionDenied);
        EXPECT_EQ(e.description(),
                  QStringLiteral("Cannot write ") + path + QStringLiteral(": File too large"));
        EXPECT_EQ(e.source(), QStringLiteral("Pages"));
    }
    EXPECT_EQ(bytesOf(path), QByteArray("old list"));
}

TEST(FileReplacement, onlyARegularFileInAFolderThatExistsIsReplaced) {
    QTemporaryDir dir;
    FileReplacement folder(dir.path());
    EXPECT_FALSE(folder.open());
    EXPECT_EQ(folder.errorString(), QStringLiteral("not a regular file"));
    EXPECT_EQ(folder.device().write("x"), -1) << "a device that never opened takes nothing";
    EXPECT_FALSE(folder.commit());

    FileReplacement missing(dir.filePath(QStringLiteral("no-such-folder/file.txt")));
    EXPECT_FALSE(missing.open());
    EXPECT_EQ(missing.errorString(), QStringLiteral("No such file or directory"));

    FileReplacement unnamed{QString()};
    EXPECT_FALSE(unnamed.open());
    EXPECT_FALSE(unnamed.errorString().isEmpty());
    EXPECT_TRUE(entries(dir).isEmpty());

    try {
        replaceFileContents(dir.filePath(QStringLiteral("no-such-folder/file.txt")), "x",
                            QStringLiteral("Pages"));
        ADD_FAILURE() << "written into a missing folder";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::kPathNotFound);
    }
}
