// The program's command line: read as a table of arguments, and at the real
// program, which must report every mistake before it needs a display.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <functional>

#include "core/CADODBAccess.h"
#include "core/ProgramFolder.h"
#include "window/CommandLine.h"

using namespace fd;

namespace {

struct Result {
    QProcess::ExitStatus status;
    int code;
    QString out;
    QString err;
};

// The environment of a terminal without any display.
QProcessEnvironment noDisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "FARROWDALE_HOME"})
        env.remove(v);
    env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
    return env;
}

Result run(const QStringList& args, const QProcessEnvironment& env = noDisplay()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FARROWDALE_BINARY), args);
    p.waitForFinished(30000);
    return {p.exitStatus(), p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// A program folder whose update address is a closed loopback port, so the
// silent update at start never leaves the machine.
void prepareFolder(const QString& folder) {
    ASSERT_TRUE(prepareProgramFolder(folder, QStringLiteral(FARROWDALE_DATA_DIR)).ok);
    CADODBAccess db(connectionStringFor(folder));
    db.fnSQL_NoRS("UPDATE WebSiteConfiguration SET UpdateURL = 'http://127.0.0.1:9/Update.asp'");
}

// Starts the program and waits (bounded) until ready() holds; the program
// must still be running then. It is ended afterwards.
bool startsAndRuns(const QStringList& args, const QProcessEnvironment& env,
                   const std::function<bool()>& ready, QString* err) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FARROWDALE_BINARY), args);
    p.waitForStarted(10000);
    for (int i = 0; i < 300 && !ready() && p.state() == QProcess::Running; ++i)
        p.waitForFinished(100);
    const bool running = ready() && p.state() == QProcess::Running;
    p.kill();
    p.waitForFinished(5000);
    *err = QString::fromUtf8(p.readAllStandardError());
    return running;
}

}  // namespace

TEST(CommandLine, ArgumentsAreReadBeforeTheApplication) {
    QTemporaryDir tmp;
    QFile plain(tmp.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    using A = CommandLine::Action;
    const struct {
        QStringList args;
        A action;
        const char* text;  // part of the answer
    } cases[] = {
        {{}, A::Run, ""},
        {{"--program-folder", tmp.path()}, A::Run, ""},
        {{"-program-folder=" + tmp.path()}, A::Run, ""},
        {{"-platform", "offscreen", "-qwindowgeometry", "640x480+0+0", "-reverse"}, A::Run, ""},
        {{"-style=fusion", "--display", ":7", "-sync"}, A::Run, ""},
        {{"--help"}, A::Help, "--program-folder <DIR>"},
        {{"--help-all"}, A::Help, "--program-folder <DIR>"},
        {{"-v"}, A::Version, "Farrowdale 9.8.7"},
        {{"--bogus"}, A::Error, "Unknown option 'bogus'"},
        {{"-xyz"}, A::Error, "Unknown option 'xyz'"},
        {{"--program-folder"}, A::Error, "Missing value after '--program-folder'"},
        {{"-platform"}, A::Error, "Missing value after '-platform'"},
        {{"--program-folder", ""}, A::Error, "needs a folder"},
        {{"--program-folder", tmp.filePath("plain")}, A::Error, "is not a folder"},
        {{"--program-folder", tmp.filePath("plain/sub")}, A::Error, "cannot be created"},
        {{"site.wsr"}, A::Error, "Unexpected argument 'site.wsr'"},
        {{"--bogus", "--help"}, A::Error, "Unknown option"},
    };
    for (const auto& c : cases) {
        const CommandLine cl = readCommandLine(QStringList{"farrowdale"} + c.args, "9.8.7");
        const std::string what = c.args.join(' ').toStdString() + " -> " + cl.text.toStdString();
        EXPECT_EQ(cl.action, c.action) << what;
        EXPECT_TRUE(cl.text.contains(QString::fromUtf8(c.text))) << what;
    }
    EXPECT_EQ(readCommandLine({"farrowdale", "--program-folder", tmp.path()}, "1").programFolder,
              tmp.path());
}

TEST(CommandLine, MistakesAreReportedWithoutADisplay) {
    QTemporaryDir tmp;
    QFile plain(tmp.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    QProcessEnvironment unavailable = noDisplay();
    unavailable.insert("QT_QPA_PLATFORM", "no-such-platform");
    QProcessEnvironment badHome = noDisplay();
    badHome.insert("FARROWDALE_HOME", tmp.filePath("plain"));
    const struct {
        QStringList args;
        QProcessEnvironment env;
        const char* message;
    } cases[] = {
        {{"--bogus"}, noDisplay(), "Unknown option 'bogus'"},
        {{"--program-folder"}, unavailable, "Missing value after '--program-folder'"},
        {{"--program-folder", tmp.filePath("plain")}, noDisplay(), "is not a folder"},
        {{}, badHome, "(named by FARROWDALE_HOME)"},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args, c.env);
        const std::string what = c.args.join(' ').toStdString() + ": " + r.err.toStdString();
        EXPECT_EQ(r.status, QProcess::NormalExit) << what;
        EXPECT_EQ(r.code, 2) << what;
        EXPECT_TRUE(r.err.startsWith("farrowdale: ")) << what;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << what;
    }
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("plain/sub")));
}

TEST(CommandLine, VersionAndHelpAnswerWithoutADisplay) {
    Result r = run({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith("Farrowdale ")) << r.out.toStdString();
    EXPECT_EQ(r.out.trimmed().section(' ', 1).count('.'), 2);
    r = run({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("--program-folder <DIR>")) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("qwindowgeometry")) << "Qt's options stay out of the help";
}

TEST(CommandLine, QtOwnOptionsReachTheApplication) {
    // No display and no platform in the environment: the program runs only
    // when -platform on the command line reached Qt.
    QTemporaryDir tmp;
    const QString folder = tmp.filePath("pf");
    prepareFolder(folder);
    // The start puts a missing delivered file back: the sign it got that far.
    QFile::remove(folder + "/about.wav");
    QString err;
    EXPECT_TRUE(startsAndRuns(
        {"-platform", "offscreen", "-qwindowgeometry", "640x480+0+0", "--program-folder", folder},
        noDisplay(), [&] { return QFile::exists(folder + "/about.wav"); }, &err))
        << err.toStdString();
}

TEST(ProgramStart, FirstStartMovesTheDoubledFolderIntoTheDocumentedOne) {
    QTemporaryDir home;
    const QString folder = home.filePath("data/Farrowdale");
    const QString doubled = folder + "/Farrowdale";
    prepareFolder(doubled);
    QFile list(doubled + "/mine.wsr");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("index.html\r\n");
    list.close();
    QProcessEnvironment env = noDisplay();
    env.insert("HOME", home.path());
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    const auto logged = [&] {
        QFile log(folder + "/errorlog.txt");
        return log.open(QIODevice::ReadOnly) && log.readAll().contains(",MoveProgramFolder,");
    };
    QString err;
    EXPECT_TRUE(startsAndRuns({"-platform", "offscreen"}, env, logged, &err)) << err.toStdString();
    EXPECT_TRUE(QFile::exists(folder + "/QELS.db"));
    EXPECT_TRUE(QFile::exists(folder + "/mine.wsr"));
    EXPECT_FALSE(QFileInfo::exists(doubled));
}
