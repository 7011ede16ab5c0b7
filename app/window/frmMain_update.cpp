// The main window's transfer control, the catalogue update and the error-log
// upload of the Support menu.
#include <QAction>
#include <QApplication>
#include <QMenu>

#include "frmMain.h"
#include "platform/CurlTransfer.h"
#include "platform/Upload.h"
#include "update/UpdateClient.h"
#include "update/UpdateRunner.h"

namespace fd {

void frmMain::setupUpdate() {
    inetQELS_ = std::make_unique<CurlTransfer>(g_.errorLog.get());
    updateRunner_ = new UpdateRunner(this);
    auto* update = menuSupport_->findChild<QAction*>(QStringLiteral("Update"));
    if (update) {
        update->setEnabled(true);
        connect(update, &QAction::triggered, this, [this] { UpdateSearchEngineData(true); });
    }
    // While a run waits for its answer the window keeps working, but offers
    // no second run; the run the user asked for shows the waiting cursor.
    connect(updateRunner_, &UpdateRunner::runningChanged, this, [this, update](bool running) {
        if (update) update->setEnabled(!running);
        if (!updateRunner_->showsMessages()) return;
        if (running)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
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
    updateRunner_->start(context, bShowMessages);
}

bool frmMain::updateRunning() const {
    return updateRunner_ && updateRunner_->running();
}

void frmMain::SendErrorLog_Click() {
    const QString routine = QStringLiteral("SendErrorLog_Click");
    leaveOnError(*g_.errorLog, routine, [&] {
        const UploadTarget target{kUploadServer, g_.gFTPUserName, g_.gFTPPassword};
        UploadRequest request{g_.programFolder + QStringLiteral("/errorlog.txt"),
                              QStringLiteral("EL-") + installationIdentifier(g_.programFolder) +
                                  QStringLiteral(".txt"),
                              routine, kUploadConnectionErrorMessage};
        // A server that cannot be reached is only logged, under this routine.
        request.context = this;
        runUpload(transfer(), dialogs_, *g_.errorLog, this, target, request);
    });
}

}  // namespace fd
