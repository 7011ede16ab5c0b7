// The sites subsystem's part of the main window: the Configuration tab, the
// site directory tree and the page-list menu items.
#include <QAction>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "frmMain.h"
#include "sites/ConfigurationTab.h"
#include "sites/PageListController.h"
#include "sites/SiteDirectoryTree.h"

namespace fd {

// What the window keeps of the sites subsystem. A child of the window, so it
// goes with it.
class SitesPart : public QObject {
public:
    using QObject::QObject;
    sites::ConfigurationTab* config = nullptr;
    sites::SiteDirectoryTree* tree = nullptr;
    sites::PageListController* pages = nullptr;
    QPushButton* cmdAddPage = nullptr;
    // Set by "E&xit": the window closes without saving the settings row.
    bool exiting = false;
    // The tab shown before the current one, for the save on leaving
    // "Configuration".
    int previousTab = 0;
};

void frmMain::setupSites() {
    auto* part = new SitesPart(this);
    sites_ = part;
    const sites::SitesServices services{g_, dialogs_, *this, this};

    part->config = new sites::ConfigurationTab(services, fraTabs_[0]);
    auto* tabLayout = qobject_cast<QBoxLayout*>(fraTabs_[0]->layout());
    if (!tabLayout) tabLayout = new QVBoxLayout(fraTabs_[0]);
    tabLayout->insertWidget(0, part->config);

    // The tree takes the placeholder's place on the left of the splitter.
    part->tree = new sites::SiteDirectoryTree;
    const int at = splitMain_->indexOf(tvwWebSiteDirectory_);
    QTreeWidget* placeholder = tvwWebSiteDirectory_;
    if (at >= 0)
        splitMain_->replaceWidget(at, part->tree);
    else
        splitMain_->insertWidget(0, part->tree);
    delete placeholder;  // out of the splitter now, and unused
    tvwWebSiteDirectory_ = part->tree;

    part->pages = new sites::PageListController(services, part->tree, part->config, part);
    part->cmdAddPage = new QPushButton(QStringLiteral("&Add Page to List"), fraTabs_[1]);
    part->cmdAddPage->setObjectName(QStringLiteral("cmdAddPage"));
    part->cmdAddPage->setAutoDefault(false);
    if (pageDetailsButtons_) pageDetailsButtons_->addWidget(part->cmdAddPage);
    part->pages->attachAddPageButton(part->cmdAddPage);
    part->pages->attachAddressBox(txtSubmitURL_);
    part->pages->acceptFileDrops(this);

    // File menu: below the browser's items.
    QAction* dash0 = menuFile_->addSeparator();
    dash0->setObjectName(QStringLiteral("Dash0"));
    QAction* import = menuFile_->addAction(QStringLiteral("&Import Webpage List"));
    import->setObjectName(QStringLiteral("Import"));
    import->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(import, &QAction::triggered, part->pages, &sites::PageListController::importList);
    QAction* save = menuFile_->addAction(QStringLiteral("Save &Configuration"));
    save->setObjectName(QStringLiteral("Save"));
    connect(save, &QAction::triggered, part->config,
            &sites::ConfigurationTab::UpdateWebSiteConfiguration);
    QAction* dash1 = menuFile_->addSeparator();
    dash1->setObjectName(QStringLiteral("Dash1"));
    QAction* exit = menuFile_->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("Exit"));
    connect(exit, &QAction::triggered, this, [this, part] {
        // Saves the root URL's details and the page list, then ends without
        // the unload's save of the settings row.
        part->exiting = true;
        part->config->UpdateWebSiteConfiguration();
        close();
    });

    QAction* clear = menuEdit_->addAction(QStringLiteral("&Clear Webpage List"));
    clear->setObjectName(QStringLiteral("Clear"));
    connect(clear, &QAction::triggered, part->pages, &sites::PageListController::clearList);

    // Leaving "Configuration" with a root URL selected saves the configuration.
    part->previousTab = tabTasks_->currentIndex();
    connect(tabTasks_, &QTabWidget::currentChanged, this, [this, part](int index) {
        if (part->previousTab == 0 && index != 0 && part->config->rootSelected()) {
            ResumeTrap trap(*g_.errorLog, QStringLiteral("tabTasks_Click"));
            trap.step([&] { part->config->UpdateWebSiteConfiguration(); });
        }
        part->previousTab = index;
    });
}

void frmMain::deferPageListRestore() {
    if (sites_) sites_->pages->deferImports();
}

void frmMain::restorePageList() {
    if (sites_) sites_->pages->importDeferred();
}

void frmMain::loadRestoreSettings() {
    if (sites_) sites_->config->restoreSettings();
}

void frmMain::loadFinishSites() {
    if (!sites_) return;
    sites_->config->finishLoad();
    sites_->pages->addressChanged();
}

void frmMain::unloadSaveSettings() {
    if (!sites_ || sites_->exiting) return;
    sites_->config->saveSettingsRow();
}

QString frmMain::siteName() const {
    return sites_ ? sites_->config->siteText() : QString();
}
bool frmMain::siteSelected() const {
    return sites_ && sites_->config->siteSelected();
}
long long frmMain::selectedWebSiteId() const {
    return sites_ ? sites_->config->selectedWebSiteId() : 0;
}
int frmMain::selectedSiteIndex() const {
    return sites_ ? sites_->config->siteIndex() : -1;
}
QString frmMain::rootUrl() const {
    return sites_ ? sites_->config->rootText() : QString();
}
bool frmMain::rootSelected() const {
    return sites_ && sites_->config->rootSelected();
}
QString frmMain::industry() const {
    return sites_ ? sites_->config->industry() : QString();
}
QString frmMain::submitterName() const {
    return sites_ ? sites_->config->details().submitterName : QString();
}
QString frmMain::submitterEmail() const {
    return sites_ ? sites_->config->details().email : QString();
}
QString frmMain::countryCode() const {
    return sites_ ? sites_->config->details().countryCode : QString();
}
QStringList frmMain::treePages() const {
    return sites_ ? sites_->tree->pages() : QStringList();
}

sites::ConfigurationTab* frmMain::configurationTab() const {
    return sites_ ? sites_->config : nullptr;
}

sites::PageListController* frmMain::pageListController() const {
    return sites_ ? sites_->pages : nullptr;
}

bool frmMain::selectedTreePage(QString* text) const {
    if (text) text->clear();
    if (!sites_) return false;
    // The root node is a node like any other: its text (the root URL) is the
    // page submitted, so the site's home page is recorded too.
    const QList<QTreeWidgetItem*> selected = sites_->tree->selectedItems();
    if (selected.isEmpty()) return false;
    if (text) *text = selected.first()->text(0);
    return true;
}

}  // namespace fd
