// The site map's part of the main window: the Tools menu's "Create Site Map"
// and "Create XML Sitemap" run over the site directory tree.
#include <QAction>
#include <QRandomGenerator>
#include <QTreeWidget>

#include "discover/LastModified.h"
#include "frmMain.h"
#include "sitemap/CreateXmlSitemap.h"
#include "sitemap/SiteMap.h"
#include "sitemap/XmlSitemap.h"

namespace fd {

namespace {

// The tree's node texts in the order the nodes were added: the root, then
// its pages.
QStringList treeNodes(const QTreeWidget& tree) {
    QStringList nodes;
    std::function<void(const QTreeWidgetItem*)> walk = [&](const QTreeWidgetItem* item) {
        nodes << item->text(0);
        for (int i = 0; i < item->childCount(); ++i) walk(item->child(i));
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i) walk(tree.topLevelItem(i));
    return nodes;
}

}  // namespace

void frmMain::setupSitemap() {
    // One seed for every start: the upload names' random part repeats its
    // sequence from run to run, and differs between uploads of one run.
    siteMapRandom_ = std::make_shared<QRandomGenerator>(1u);
    if (auto* item = findChild<QAction*>(QStringLiteral("CreateSiteMap"))) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, &frmMain::CreateSiteMap_Click);
    }
    if (auto* item = findChild<QAction*>(QStringLiteral("CreateXmlSitemap"))) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, &frmMain::CreateXmlSitemap_Click);
    }
}

SiteMapServices frmMain::siteMapServices() {
    SiteMapServices s(dialogs_, *g_.errorLog);
    s.browser = browser_;
    s.transfer = &transfer();
    s.parent = this;
    s.programFolder = g_.programFolder;
    s.uploadTarget.user = g_.gFTPUserName;
    s.uploadTarget.password = g_.gFTPPassword;
    s.randomValue = [this] { return siteMapRandomValue(*siteMapRandom_); };
    s.owner = this;
    s.db = g_.gDB.get();
    return s;
}

void frmMain::CreateSiteMap_Click() {
    fd::CreateSiteMap_Click(treeNodes(*tvwWebSiteDirectory_), siteName(), siteMapServices());
}

void frmMain::CreateXmlSitemap_Click() {
    fd::CreateXmlSitemap_Click(treeNodes(*tvwWebSiteDirectory_),
                               discover::sitemapDays(*g_.gDB, siteName(), rootUrl()),
                               siteMapServices());
}

}  // namespace fd
