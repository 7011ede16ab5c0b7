#pragma once
// Program start and end: the globals, the data access object, the upload
// account, the main window and the silent catalogue update.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "core/Globals.h"
#include "platform/Dialogs.h"
#include "platform/WebBrowser.h"

namespace fd {

class frmMain;

struct StartOptions {
    QString programFolder;  // from --program-folder, may be empty
    QString dataDir;        // the delivered files
};

// What a started program consists of; tests keep it to drive the window.
struct Application {
    std::unique_ptr<Globals> globals;
    std::unique_ptr<frmMain> mainWindow;
};

// Builds the global state and shows the main window. On any failure shows
// "Fatal error. Please reinstall" (or, when the folder itself cannot be used,
// a message naming it) and returns null: the caller ends the program.
// makeBrowser creates the embedded browser (tests may give a fake).
std::unique_ptr<Application> Main(const StartOptions& options, Dialogs& dialogs,
                                  const std::function<WebBrowser*()>& makeBrowser);

// The catalogue refresh after the window is shown: queued on the window's
// event loop, so the window paints before the fetch blocks it.
void UpdateSearchEngineData(Application& app, bool bShowMessages);

inline const QString kFatalMessage = QStringLiteral("Fatal error. Please reinstall");

}  // namespace fd
