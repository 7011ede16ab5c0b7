// The start page's links. The delivered blank.html walks a new user through
// the program's steps; each step's link ("farrowdale:NAME") arrives here from
// the browser and does that step in the window.
#include <QAction>
#include <QComboBox>
#include <QTabWidget>
#include <QUrl>

#include "frmMain.h"

namespace fd {

void frmMain::setupStartPage() {
    if (browser_) connect(browser_, &WebBrowser::programLink, this, &frmMain::followProgramLink);
}

void frmMain::followProgramLink(const QString& name) {
    // Only the start page speaks for the program; any other page on disk
    // with such a link (a page saved from the web, say) does nothing.
    const QUrl shown =
        QUrl(browser_ ? browser_->locationUrl() : QString()).adjusted(QUrl::RemoveFragment);
    if (shown != QUrl(g_.fileUrl(QStringLiteral("blank.html")))) return;
    const auto trigger = [this](const char* action) {
        if (auto* a = findChild<QAction*>(QString::fromLatin1(action))) a->trigger();
    };
    if (name == QLatin1String("configuration")) {
        // The site's name is where a new user begins.
        tabTasks_->setCurrentIndex(0);
        if (auto* box = findChild<QComboBox*>(QStringLiteral("cmbWebSiteGenericName")))
            box->setFocus(Qt::OtherFocusReason);
    } else if (name == QLatin1String("import")) {
        trigger("Import");
    } else if (name == QLatin1String("details")) {
        tabTasks_->setCurrentIndex(1);
    } else if (name == QLatin1String("submission")) {
        tabTasks_->setCurrentIndex(3);
    } else if (name == QLatin1String("reports")) {
        trigger("SendChangeReport");
    } else {
        // A start page of the user's own may name a step this version lacks.
        setStatusMessage(QStringLiteral("The link %1:%2 does nothing in this program.")
                             .arg(kProgramScheme, name));
    }
}

}  // namespace fd
