#pragma once
// What the sites subsystem's widgets are handed: the globals (database, error
// log, program folder), the dialogs, the main window's hub and the window
// that parents their message boxes.

#include "core/Globals.h"
#include "core/MainHub.h"
#include "platform/Dialogs.h"

class QWidget;

namespace fd::sites {

struct SitesServices {
    Globals& g;
    Dialogs& dialogs;
    MainHub& hub;
    QWidget* window = nullptr;

    ErrorSink& log() const { return *g.errorLog; }
    const CADODBAccess& db() const { return *g.gDB; }
    // A plain OK message box with the program's title.
    void message(const QString& text) const {
        dialogs.message(window, text, kProductName, MsgButtons::Ok, MsgIcon::None);
    }
};

}  // namespace fd::sites
