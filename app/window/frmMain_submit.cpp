// The submission subsystem's part of the main window: the Page Check and
// Page Submission tabs and their engine lists.
#include <QVBoxLayout>

#include "frmMain.h"
#include "submit/EngineTabs.h"

namespace fd {

void frmMain::setupSubmit() {
    const EngineTabServices services{g_, dialogs_, *this, browser_};
    pageCheckTab_ = new PageCheckTab(services, fraTabs_[2]);
    pageSubmissionTab_ = new PageSubmissionTab(services, fraTabs_[3]);
    for (auto [frame, tab] : {std::pair<QFrame*, QWidget*>{fraTabs_[2], pageCheckTab_},
                              {fraTabs_[3], pageSubmissionTab_}}) {
        auto* layout = new QVBoxLayout(frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(tab);
    }
}

void frmMain::loadEngineLists() {
    UpdateSearchEngineLists();
}

void frmMain::UpdateSearchEngineLists() {
    fd::UpdateSearchEngineLists(*g_.gDB, *g_.errorLog, *pageCheckTab_->list(),
                                *pageSubmissionTab_->list());
}

void frmMain::setPageToSubmit(const QString& url) {
    pageSubmissionTab_->setPageUrl(url);
    pageCheckTab_->setPageUrl(url);
}

}  // namespace fd
