// The browser subsystem's part of the main window: the Page Details tab with
// its row of buttons, and the browser handling (BrowserController) over the
// window's address bar, navigation strip, status panels and menus.
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

#include "browser/BrowserController.h"
#include "browser/PageDetailsTab.h"
#include "frmMain.h"

namespace fd {

void frmMain::setupBrowser() {
    // Page Details: the six fields above the tab's row of buttons.
    pageDetails_ = new PageDetailsTab(g_, dialogs_, *this, fraTabs_[1]);
    pageDetailsLayout_->insertWidget(0, pageDetails_);
    pageDetailsLayout_->addStretch(1);
    pageDetailsButtons_->addWidget(pageDetails_->logChangesButton());
    auto* viewLatest = new QPushButton(QStringLiteral("View Latest Change Request"), fraTabs_[1]);
    viewLatest->setObjectName(QStringLiteral("cmdViewLatestChangeRequest"));
    viewLatest->setEnabled(false);
    pageDetailsButtons_->addWidget(viewLatest);

    BrowserControls controls;
    controls.address = txtSubmitURL_;
    controls.go = imgGoButton_;
    controls.progress = prgWebBrowser_;
    controls.navigation = fraDirectionalNavigation_;
    for (int i = 0; i < 4; ++i) controls.status[std::size_t(i)] = sbrPanels_[i];
    controls.fileMenu = menuFile_;
    controls.toolsMenu = menuTools_;
    browserPart_ = new BrowserController(g_, dialogs_, browser_, *pageDetails_, controls, this);
}

void frmMain::loadFinishBrowser() {
    browserPart_->loadFinished();
}

QString frmMain::addressText() const {
    return browserPart_->addressText();
}
void frmMain::setAddressText(const QString& url) {
    browserPart_->setAddressText(url);
}
void frmMain::goToAddress() {
    browserPart_->goToAddress();
}
void frmMain::navigate(const QString& url) {
    browserPart_->navigate(url);
}
void frmMain::setStatusMessage(const QString& text) {
    browserPart_->setStatusMessage(text);
}
QString frmMain::pageDescription() const {
    return pageDetails_->description();
}
QString frmMain::pageKeywords() const {
    return pageDetails_->keywords();
}

}  // namespace fd
