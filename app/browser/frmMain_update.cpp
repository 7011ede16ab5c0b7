// The main window's transfer control, the catalogue update and the error-log
// upload of the Support menu.
#include <QAction>
#include <QMenu>

#include "frmMain.h"
#include "platform/CurlTransfer.h"

namespace fd {

void frmMain::setupUpdate() {
    inetQELS_ = std::make_unique<CurlTransfer>(g_.errorLog.get());
}

void frmMain::setTransfer(std::unique_ptr<InetTransfer> transfer) {
    inetQELS_ = std::move(transfer);
}

void frmMain::UpdateSearchEngineData(bool) {}

void frmMain::SendErrorLog_Click() {}

}  // namespace fd
