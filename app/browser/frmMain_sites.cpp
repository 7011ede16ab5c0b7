// The sites subsystem's part of the main window: the Configuration tab, the
// site directory tree and the page-list menu items.
#include <QTreeWidget>

#include "frmMain.h"

namespace fd {

void frmMain::setupSites() {}
void frmMain::loadRestoreSettings() {}
void frmMain::loadFinishSites() {}
void frmMain::unloadSaveSettings() {}

QString frmMain::siteName() const { return {}; }
bool frmMain::siteSelected() const { return false; }
long long frmMain::selectedWebSiteId() const { return 0; }
int frmMain::selectedSiteIndex() const { return -1; }
QString frmMain::rootUrl() const { return {}; }
bool frmMain::rootSelected() const { return false; }
QString frmMain::industry() const { return {}; }
QString frmMain::submitterName() const { return {}; }
QString frmMain::submitterEmail() const { return {}; }
QString frmMain::countryCode() const { return {}; }
bool frmMain::selectedTreePage(QString* text) const {
    if (text) text->clear();
    return false;
}

}  // namespace fd
