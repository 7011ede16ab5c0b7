// The program's command line, run as a separate process.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {
struct Result {
    int code;
    QString out;
};
Result run(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");  // help and version need no display
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FARROWDALE_BINARY), args);
    p.waitForFinished(30000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
}
}  // namespace

TEST(CommandLine, VersionAndHelpAnswerWithoutADisplay) {
    Result r = run({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith("Farrowdale ")) << r.out.toStdString();
    EXPECT_EQ(r.out.trimmed().section(' ', 1).count('.'), 2);
    r = run({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("--program-folder <DIR>")) << r.out.toStdString();
}

TEST(CommandLine, QtOwnOptionsAreAcceptedAndUnknownOnesRefused) {
    QTemporaryDir dir;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FARROWDALE_BINARY),
            {"-qwindowgeometry", "640x480+0+0", "--program-folder", dir.filePath("pf")});
    // Still running once the folder is seeded: the window option was taken.
    for (int i = 0; i < 100 && !QFile::exists(dir.filePath("pf/QELS.db")); ++i)
        p.waitForFinished(100);
    EXPECT_EQ(p.state(), QProcess::Running);
    p.kill();
    p.waitForFinished(5000);

    QProcess bad;
    bad.setProcessEnvironment(env);
    bad.start(QStringLiteral(FARROWDALE_BINARY), {"--no-such-option"});
    bad.waitForFinished(30000);
    EXPECT_NE(bad.exitCode(), 0);
    EXPECT_TRUE(bad.readAllStandardError().contains("Unknown option"));
}
