// The discovery's part of the main window: File > "Discover Pages from
// Site..." beside "Import Webpage List" opens the discovery dialog on the
// root URL and the tree's pages; Replace List or Add to List makes the result
// the tree's list, saved and remembered as an imported list is, and keeps the
// pages' last-modified times.
#include <QAction>
#include <QMenu>

#include "discover/LastModified.h"
#include "discover/frmDiscoverPages.h"
#include "frmMain.h"
#include "sites/PageListController.h"

namespace fd {

namespace {

const QString kRoutine = QStringLiteral("DiscoverPages_Click");

}  // namespace

void frmMain::setupDiscover() {
    auto* item = new QAction(QStringLiteral("Discover Pages from Site..."), menuFile_);
    item->setObjectName(QStringLiteral("DiscoverPages"));
    // Right after "Import Webpage List", the other way to fill the list.
    const QList<QAction*> items = menuFile_->actions();
    QAction* before = nullptr;
    for (int i = 0; i + 1 < items.size(); ++i)
        if (items[i]->objectName() == u"Import") before = items[i + 1];
    menuFile_->insertAction(before, item);
    connect(item, &QAction::triggered, this, &frmMain::DiscoverPages_Click);
}

void frmMain::DiscoverPages_Click() {
    sites::PageListController* lists = pageListController();
    if (!lists || !lists->rootReadyForList()) return;
    // The list is saved under the site's name: a root URL typed but not yet
    // added has no site to keep it.
    if (!siteSelected()) {
        dialogs_.message(this,
                         QStringLiteral("Please select the web site on the Configuration tab "
                                        "before discovering its pages."),
                         kProductName);
        return;
    }
    if (discoverWindow_) {
        discoverWindow_->raise();
        discoverWindow_->activateWindow();
        return;
    }
    const QString root = rootUrl().trimmed();
    auto* dialog = new discover::frmDiscoverPages(root, treePages(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    discoverWindow_ = dialog;
    connect(dialog, &discover::frmDiscoverPages::listChosen, this,
            [this, dialog, lists, root](discover::ListChange change) {
                const discover::DiscoveryResult& r = dialog->result();
                const QStringList pages =
                    discover::listAfter(r.pages, r.comparison, treePages(), change);
                if (!lists->takeList(pages, kRoutine)) return;
                // A long list shows its progress; Cancel keeps the dates
                // that were there.
                const auto progress = dialogs_.progress(
                    this, QStringLiteral("Keeping the pages' last-modified times ..."),
                    r.pages.size());
                const QString error = discover::storeLastModified(
                    g_.gDB->databasePath(), root, r.pages, change,
                    [&progress](qint64 done, qint64) { return progress->advance(done); });
                if (!error.isEmpty())
                    g_.errorLog->write(kRoutine, 3001, error, QStringLiteral("PageLastModified"));
            });
    dialog->open();
}

}  // namespace fd
