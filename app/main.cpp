// Farrowdale: keeps web sites, their pages and their submissions to search
// engines.

#include <QApplication>
#include <QDir>
#include <cstdio>

#include "browser/WebEngineBrowser.h"
#include "core/ProgramFolder.h"
#include "platform/Dialogs.h"
#include "window/CommandLine.h"
#include "window/MainModule.h"
#include "window/ProgramIcon.h"
#include "window/frmMain.h"

#ifndef FARROWDALE_DATA_DIR
#define FARROWDALE_DATA_DIR ""
#endif
#ifndef FARROWDALE_VERSION
#define FARROWDALE_VERSION "0.0.0"
#endif

namespace {
void print(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}
}  // namespace

int main(int argc, char* argv[]) {
    // The command line and the program folder are checked before the window
    // system is touched, so every mistake is reported on a terminal without a
    // display, and the program leaves with exit code 2.
    QString programFolder;
    {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Farrowdale"));
        QCoreApplication::setApplicationVersion(QStringLiteral(FARROWDALE_VERSION));
        const fd::CommandLine cl =
            fd::readCommandLine(QCoreApplication::arguments(), QStringLiteral(FARROWDALE_VERSION));
        switch (cl.action) {
            case fd::CommandLine::Action::Help:
            case fd::CommandLine::Action::Version:
                print(stdout, cl.text);
                return 0;
            case fd::CommandLine::Action::Error:
                print(stderr, QStringLiteral("farrowdale: %1\nTry 'farrowdale --help' for more "
                                             "information.\n")
                                  .arg(cl.text));
                return fd::kCommandLineErrorExit;
            case fd::CommandLine::Action::Run:
                break;
        }
        programFolder = cl.programFolder;
        // The folder named by FARROWDALE_HOME (or the per-user one) gets the
        // same look as one named on the command line.
        const fd::FolderChoice choice = fd::chooseProgramFolderFrom(programFolder);
        const QString problem = fd::programFolderProblem(choice.folder);
        if (!problem.isEmpty()) {
            print(stderr, QStringLiteral("farrowdale: %1%2\n")
                              .arg(problem, choice.origin == fd::FolderOrigin::Environment
                                                ? QStringLiteral(" (named by FARROWDALE_HOME)")
                                                : QString()));
            return fd::kCommandLineErrorExit;
        }
    }

    // The program's own links (on the start page) are a URL scheme the
    // browser must know before it starts.
    fd::WebEngineBrowser::registerProgramScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Farrowdale"));
    QApplication::setOrganizationName(QStringLiteral("Farrowdale"));
    QApplication::setApplicationVersion(QStringLiteral(FARROWDALE_VERSION));
    // The desktop matches the window to its entry (and so to its icon) by
    // this name.
    QGuiApplication::setDesktopFileName(fd::kDesktopId);
    QApplication::setWindowIcon(fd::programIcon());

    fd::QtDialogs dialogs;
    fd::StartOptions options;
    options.programFolder = programFolder;
    options.dataDir = fd::deliveredDataDir(QCoreApplication::applicationDirPath(),
                                           QStringLiteral(FARROWDALE_DATA_DIR));
    auto app = fd::Main(options, dialogs, [] { return new fd::WebEngineBrowser; });
    if (!app) return 1;
    QObject::connect(app->mainWindow.get(), &fd::frmMain::closed, &qapp, &QApplication::quit);
    const int rc = qapp.exec();
    app.reset();
    return rc;
}
