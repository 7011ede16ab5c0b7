#pragma once
// What the sites subsystem's widgets are handed: the globals (database, error
// log, program folder), the dialogs, what they ask of the rest of the main
// window and the window that parents their message boxes.

#include <QString>

#include "core/Globals.h"
#include "platform/Dialogs.h"

class QWidget;

namespace fd::sites {

// The rest of the main window as the sites room sees it: the browser's
// address box and its Go, navigation, the status bar and the page the
// submission tabs take.
class SitesWindow {
public:
    virtual ~SitesWindow() = default;
    virtual QString addressText() const = 0;  // txtSubmitURL
    virtual void setAddressText(const QString& url) = 0;
    virtual void goToAddress() = 0;                          // imgGoButton_Click
    virtual void navigate(const QString& url) = 0;           // the browser's Navigate, as is
    virtual void setStatusMessage(const QString& text) = 0;  // status panel 2
    virtual void setPageToSubmit(const QString& url) = 0;    // txtSubmissionURL and txtReviewURL
};

struct SitesServices {
    Globals& g;
    Dialogs& dialogs;
    SitesWindow& hub;
    QWidget* window = nullptr;

    ErrorSink& log() const { return *g.errorLog; }
    const CADODBAccess& db() const { return *g.gDB; }
    // A plain OK message box with the program's title.
    void message(const QString& text) const {
        dialogs.message(window, text, kProductName, MsgButtons::Ok, MsgIcon::None);
    }
};

}  // namespace fd::sites
