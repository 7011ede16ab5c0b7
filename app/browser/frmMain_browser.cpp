// The browser subsystem's part of the main window: the address bar and Go,
// the browser's events, the navigation strip, the Page Details tab and the
// browser's menu items.
#include <QLabel>
#include <QLineEdit>

#include "frmMain.h"

namespace fd {

void frmMain::setupBrowser() {}
void frmMain::loadFinishBrowser() {}

QString frmMain::addressText() const { return txtSubmitURL_->text(); }
void frmMain::setAddressText(const QString& url) { txtSubmitURL_->setText(url); }
void frmMain::goToAddress() {
    if (browser_) browser_->navigate(txtSubmitURL_->text());
}
void frmMain::navigate(const QString& url) {
    if (browser_) browser_->navigate(url);
}
void frmMain::setStatusMessage(const QString& text) { sbrPanels_[1]->setText(text); }
QString frmMain::pageDescription() const { return {}; }
QString frmMain::pageKeywords() const { return {}; }

}  // namespace fd
