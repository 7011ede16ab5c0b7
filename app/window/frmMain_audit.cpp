// The site audit's part of the main window: Tools > "Audit Site" opens the
// audit window on the current site's root URL and the pages of its tree; a
// double-click there opens the page here, on the Page Details tab.
#include <QAction>
#include <QMenu>
#include <QTabWidget>

#include "audit/frmSiteAudit.h"
#include "frmMain.h"

namespace fd {

void frmMain::setupAudit() {
    auto* item = new QAction(QStringLiteral("&Audit Site"), menuTools_);
    item->setObjectName(QStringLiteral("AuditSite"));
    // Beside the other site-wide tools, after "Create Reports".
    const QList<QAction*> tools = menuTools_->actions();
    QAction* before = nullptr;
    for (int i = 0; i + 1 < tools.size(); ++i)
        if (tools[i]->objectName() == u"SendChangeReport") before = tools[i + 1];
    menuTools_->insertAction(before, item);
    connect(item, &QAction::triggered, this, &frmMain::AuditSite_Click);
}

void frmMain::AuditSite_Click() {
    const QString root = rootUrl().trimmed();
    if (root.isEmpty()) {
        dialogs_.message(this,
                         QStringLiteral("Please enter the root URL of this web site before "
                                        "auditing it."),
                         kProductName);
        return;
    }
    auto* window = qobject_cast<audit::frmSiteAudit*>(auditWindow_.data());
    if (!window) {
        audit::SiteAuditServices s;
        s.log = g_.errorLog.get();
        s.databasePath = g_.gDB->databasePath();
        s.openPage = [this](const QString& url) {
            setAddressText(url);
            navigate(url);
            tabTasks_->setCurrentIndex(1);
            raise();
            activateWindow();
        };
        window = new audit::frmSiteAudit(s, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        auditWindow_ = window;
    }
    window->setSite(root, treePages());
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace fd
