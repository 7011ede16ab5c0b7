// Farrowdale: keeps web sites, their pages and their submissions to search
// engines.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

#include "core/ProgramFolder.h"
#include "platform/Dialogs.h"
#include "platform/WebEngineBrowser.h"
#include "window/MainModule.h"
#include "window/ProgramIcon.h"
#include "window/frmMain.h"

#ifndef FARROWDALE_DATA_DIR
#define FARROWDALE_DATA_DIR ""
#endif
#ifndef FARROWDALE_VERSION
#define FARROWDALE_VERSION "0.0.0"
#endif

int main(int argc, char* argv[]) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Farrowdale keeps your web sites, their pages and their submissions to search engines."));
    const QCommandLineOption helpOpt = parser.addHelpOption();
    const QCommandLineOption versionOpt = parser.addVersionOption();
    QCommandLineOption folderOpt(
        QStringLiteral("program-folder"),
        QStringLiteral("Use DIR as the program folder (else $FARROWDALE_HOME, else the per-user "
                       "data folder)."),
        QStringLiteral("DIR"));
    parser.addOption(folderOpt);
    {
        // --help and --version answer without a display: they are looked for
        // before the window system is touched. Everything else (Qt's own
        // options among it) is read once the application exists.
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Farrowdale"));
        QCoreApplication::setApplicationVersion(QStringLiteral(FARROWDALE_VERSION));
        parser.parse(QCoreApplication::arguments());
        if (parser.isSet(helpOpt)) parser.showHelp(0);
        if (parser.isSet(versionOpt)) parser.showVersion();
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
    parser.process(qapp);

    fd::QtDialogs dialogs;
    fd::StartOptions options;
    options.programFolder = parser.value(folderOpt);
    options.dataDir = fd::deliveredDataDir(QCoreApplication::applicationDirPath(),
                                           QStringLiteral(FARROWDALE_DATA_DIR));
    auto app = fd::Main(options, dialogs, [] { return new fd::WebEngineBrowser; });
    if (!app) return 1;
    QObject::connect(app->mainWindow.get(), &fd::frmMain::closed, &qapp, &QApplication::quit);
    const int rc = qapp.exec();
    app.reset();
    return rc;
}
