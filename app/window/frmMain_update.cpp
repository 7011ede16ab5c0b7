// The main window's transfer control, the catalogue update and the error-log
// upload of the Support menu.
#include <QAction>
#include <QMenu>

#include "frmMain.h"
#include "platform/CurlTransfer.h"
#include "reports/Upload.h"
#include "update/UpdateClient.h"

namespace fd {

void frmMain::setupUpdate() {
    inetQELS_ = std::make_unique<CurlTransfer>(g_.errorLog.get());
    if (auto* update = menuSupport_->findChild<QAction*>(QStringLiteral("Update"))) {
        update->setEnabled(true);
        connect(update, &QAction::triggered, this, [this] { UpdateSearchEngineData(true); });
    }
    if (auto* send = menuSupport_->findChild<QAction*>(QStringLiteral("SendErrorLog"))) {
        send->setEnabled(true);
        connect(send, &QAction::triggered, this, [this] { SendErrorLog_Click(); });
    }
}

void frmMain::setTransfer(std::unique_ptr<InetTransfer> transfer) {
    inetQELS_ = std::move(transfer);
}

void frmMain::UpdateSearchEngineData(bool bShowMessages) {
    UpdateContext context{*g_.gDB,     transfer(),
                          dialogs_,    *g_.errorLog,
                          this,        updateVersionText(QStringLiteral(FARROWDALE_VERSION)),
                          &updateUrl_, [this] { UpdateSearchEngineLists(); }};
    fd::UpdateSearchEngineData(context, bShowMessages);
}

void frmMain::SendErrorLog_Click() {
    const QString routine = QStringLiteral("SendErrorLog_Click");
    leaveOnError(*g_.errorLog, routine, [&] {
        const UploadTarget target{kUploadServer, g_.gFTPUserName, g_.gFTPPassword};
        runUpload(transfer(), dialogs_, *g_.errorLog, this, target,
                  {g_.programFolder + QStringLiteral("/errorlog.txt"),
                   QStringLiteral("EL-") + installationIdentifier(g_.programFolder) +
                       QStringLiteral(".txt"),
                   routine, kUploadConnectionErrorMessage});
    });
}

}  // namespace fd
