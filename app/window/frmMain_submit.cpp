// The submission subsystem's part of the main window: the Page Check and
// Page Submission tabs and their engine lists, and the IndexNow key on the
// Configuration tab.
#include <QComboBox>
#include <QVBoxLayout>

#include "frmMain.h"
#include "platform/CurlHttpClient.h"
#include "sites/ConfigurationTab.h"
#include "submit/EngineTabs.h"
#include "submit/indexnow/IndexNowKeyPanel.h"

namespace fd {

void frmMain::setupSubmit() {
    http_ = std::make_shared<CurlHttpClient>();
    const EngineTabServices services{g_, dialogs_, *this, browser_, http_};
    pageCheckTab_ = new PageCheckTab(services, fraTabs_[2]);
    pageSubmissionTab_ = new PageSubmissionTab(services, fraTabs_[3]);
    for (auto [frame, tab] : {std::pair<QFrame*, QWidget*>{fraTabs_[2], pageCheckTab_},
                              {fraTabs_[3], pageSubmissionTab_}}) {
        auto* layout = new QVBoxLayout(frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(tab);
    }
    // The key follows the root URL shown on the Configuration tab.
    indexNowKey_ = new IndexNowKeyPanel(g_, dialogs_, *this, http_);
    if (sites::ConfigurationTab* config = configurationTab()) {
        config->addSection(indexNowKey_);
        connect(config->rootBox(), &QComboBox::currentTextChanged, indexNowKey_,
                &IndexNowKeyPanel::showRoot);
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
