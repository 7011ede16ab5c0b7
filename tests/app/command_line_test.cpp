// The program's command line, run as a separate process.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

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
