#include "MainModule.h"

#include <QTimer>

#include "core/CommonFunctions.h"
#include "core/ExtraTables.h"
#include "core/ProgramFolder.h"
#include "frmMain.h"

namespace fd {

std::unique_ptr<Application> Main(const StartOptions& options, Dialogs& dialogs,
                                  const std::function<WebBrowser*()>& makeBrowser) {
    // The per-user folder takes over an earlier version's doubled folder here.
    const QString folder = resolveProgramFolder(options.programFolder).folder;
    // A folder that is only read-only is made writable, as the load of the
    // main window always did; any other restriction is left as it is.
    clearReadOnlyFolder(folder);
    const FolderPreparation prep = prepareProgramFolder(folder, options.dataDir);
    if (!prep.ok) {
        dialogs.message(nullptr, prep.message + QStringLiteral("\n\n") + kFatalMessage, QString(),
                        MsgButtons::Ok, MsgIcon::Critical);
        return nullptr;
    }
    auto app = std::make_unique<Application>();
    try {
        app->globals = std::make_unique<Globals>(folder);
        Globals& g = *app->globals;
        if (prep.startPageUpdated)
            WriteLogNote(folder, QStringLiteral("Main"),
                         QStringLiteral("blank.html, unchanged since an earlier version, was "
                                        "replaced by the getting-started page"));
        // Tables beyond the delivered eight; without them the program still
        // runs, so a failure is only logged.
        const QString extra = ensureExtraTables(g.gDB->databasePath());
        if (!extra.isEmpty())
            g.errorLog->write(QStringLiteral("Main"), err::kDatabase, extra,
                              QStringLiteral("Main"));
        // The upload account; a database that cannot answer is fatal.
        RecordsetPtr rs =
            g.gDB->fnSQL_RS(QStringLiteral("Select FileTransInfo from WebSiteConfiguration"));
        if (!rs)
            throw AppError(91, QStringLiteral("Object variable not set"), QStringLiteral("Main"));
        const UploadAccount account =
            parseFileTransInfo(rs->eof() ? QString() : rs->field(QStringLiteral("FileTransInfo")));
        g.gFTPUserName = account.user;
        g.gFTPPassword = account.password;

        app->mainWindow =
            std::make_unique<frmMain>(g, dialogs, makeBrowser ? makeBrowser() : nullptr);
        frmMain* window = app->mainWindow.get();
        window->deferPageListRestore();
        window->load();
        window->show();
        // The last page list, read once the window has painted, then the
        // silent catalogue refresh.
        QTimer::singleShot(0, window, [window] { window->restorePageList(); });
        UpdateSearchEngineData(*app, false);
    } catch (const std::exception&) {
        app.reset();
        dialogs.message(nullptr, kFatalMessage, QString(), MsgButtons::Ok, MsgIcon::None);
        return nullptr;
    }
    return app;
}

void UpdateSearchEngineData(Application& app, bool bShowMessages) {
    frmMain* window = app.mainWindow.get();
    if (!window) return;
    // Queued so the run starts once the window is shown (its fetch then
    // goes on in the background); dropped when the window is gone by then.
    QTimer::singleShot(0, window,
                       [window, bShowMessages] { window->UpdateSearchEngineData(bShowMessages); });
}

}  // namespace fd
