#include "frmPublish.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Globals.h"
#include "platform/Dialogs.h"
#include "platform/Keyring.h"

namespace fd {

namespace {

const QString kRoutine = QStringLiteral("frmPublish");

}  // namespace

frmPublish::frmPublish(PublishServices services, const QString& rootUrl,
                       const PublishTarget& target, QWidget* parent)
    : QDialog(parent), s_(std::move(services)), root_(rootUrl), target_(target) {
    setObjectName(QStringLiteral("frmPublish"));
    setWindowTitle(QStringLiteral("Publish to Site"));
    lblPublishTarget_ = new QLabel(
        QStringLiteral("Publish %1 to %2 as %3.").arg(root_, target_.address, target_.user), this);
    lblPublishTarget_->setObjectName(QStringLiteral("lblPublishTarget"));
    lblPublishTarget_->setWordWrap(true);
    auto* filesLabel = new QLabel(QStringLiteral("&Files to publish:"), this);
    lstPublishFiles_ = new QListWidget(this);
    lstPublishFiles_->setObjectName(QStringLiteral("lstPublishFiles"));
    filesLabel->setBuddy(lstPublishFiles_);
    cmdAddPublishFile_ = new QPushButton(QStringLiteral("Add &File..."), this);
    cmdAddPublishFile_->setObjectName(QStringLiteral("cmdAddPublishFile"));
    prgPublish_ = new QProgressBar(this);
    prgPublish_->setObjectName(QStringLiteral("prgPublish"));
    prgPublish_->setAccessibleName(QStringLiteral("Upload progress"));
    prgPublish_->setRange(0, 1000);
    prgPublish_->setValue(0);
    auto* resultLabel = new QLabel(QStringLiteral("&Outcome:"), this);
    txtPublishResult_ = new QPlainTextEdit(this);
    txtPublishResult_->setObjectName(QStringLiteral("txtPublishResult"));
    txtPublishResult_->setReadOnly(true);
    resultLabel->setBuddy(txtPublishResult_);
    cmdPublish_ = new QPushButton(QStringLiteral("&Publish"), this);
    cmdPublish_->setObjectName(QStringLiteral("cmdPublish"));
    cmdPublish_->setDefault(true);
    cmdPublishCancel_ = new QPushButton(QStringLiteral("Close"), this);
    cmdPublishCancel_->setObjectName(QStringLiteral("cmdPublishCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPublishTarget_);
    layout->addWidget(filesLabel);
    layout->addWidget(lstPublishFiles_, 2);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(cmdAddPublishFile_);
    fileRow->addStretch(1);
    layout->addLayout(fileRow);
    layout->addWidget(prgPublish_);
    layout->addWidget(resultLabel);
    layout->addWidget(txtPublishResult_, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdPublish_);
    buttons->addWidget(cmdPublishCancel_);
    layout->addLayout(buttons);
    resize(640, 480);

    connect(cmdPublish_, &QPushButton::clicked, this, &frmPublish::cmdPublish_Click);
    connect(cmdAddPublishFile_, &QPushButton::clicked, this, &frmPublish::cmdAddPublishFile_Click);
    connect(cmdPublishCancel_, &QPushButton::clicked, this, &frmPublish::cmdPublishCancel_Click);

    QStringList problems;
    leaveOnError(*s_.g.errorLog, kRoutine, [&] {
        for (const PublishFile& f : lastWrittenFiles(*s_.g.gDB, root_, &problems)) addFile(f, true);
    });
    if (files_.isEmpty())
        problems.prepend(QStringLiteral(
            "No site map has been written for this root URL yet: write one with Create XML "
            "Sitemap or Create Site Map, or add a file."));
    txtPublishResult_->setPlainText(problems.join(u'\n'));
}

frmPublish::~frmPublish() = default;

void frmPublish::addFile(const PublishFile& f, bool checked) {
    files_ << f;
    auto* item = new QListWidgetItem(
        QStringLiteral("%1: %2").arg(
            f.label, f.localPath.isEmpty() ? f.remotePath : QDir::toNativeSeparators(f.localPath)),
        lstPublishFiles_);
    item->setToolTip(QStringLiteral("Served at %1").arg(f.publicUrl));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

QList<PublishFile> frmPublish::chosenFiles() const {
    QList<PublishFile> chosen;
    for (int i = 0; i < lstPublishFiles_->count() && i < files_.size(); ++i)
        if (lstPublishFiles_->item(i)->checkState() == Qt::Checked) chosen << files_[i];
    return chosen;
}

void frmPublish::cmdAddPublishFile_Click() {
    FileDialogRequest r;
    r.title = QStringLiteral("Add File");
    r.initialDir = s_.g.programFolder + QStringLiteral("/WebPageLists");
    r.filter = QStringLiteral("All Files (*.*)|*.*");
    const auto path = s_.dialogs.openFile(this, r);
    if (!path) return;
    QString problem;
    if (const auto f = siteFile(root_, *path, QStringLiteral("File"), &problem))
        addFile(*f, true);
    else
        s_.dialogs.message(this, problem, kProductName, MsgButtons::Ok, MsgIcon::Exclamation);
}

void frmPublish::cmdPublishCancel_Click() {
    if (work_.running()) {
        work_.cancel();
        cmdPublishCancel_->setEnabled(false);
        return;
    }
    reject();
}

void frmPublish::setRunning(bool running) {
    cmdPublish_->setEnabled(!running);
    cmdAddPublishFile_->setEnabled(!running);
    lstPublishFiles_->setEnabled(!running);
    cmdPublishCancel_->setEnabled(true);
    cmdPublishCancel_->setText(running ? QStringLiteral("Cancel") : QStringLiteral("Close"));
}

void frmPublish::cmdPublish_Click() {
    if (work_.running()) return;
    const QList<PublishFile> files = chosenFiles();
    if (files.isEmpty()) {
        s_.dialogs.message(this, QStringLiteral("Choose at least one file to publish."),
                           kProductName);
        return;
    }
    PublishRequest request{root_, siteAccount(target_, s_.home), files};
    request.account.trustedFingerprint = trustedFingerprint_;
    setRunning(true);
    prgPublish_->setValue(0);
    txtPublishResult_->setPlainText(QStringLiteral("Publishing..."));
    auto keyring = s_.keyring;
    auto http = s_.http;
    auto uploader = s_.uploader;
    const PublishTarget target = target_;
    const std::optional<QString> typed = typedPassword_;
    work_.start<Outcome>(
        [this, request, keyring, http, uploader, target, typed](const std::atomic<bool>& cancel) {
            Outcome o;
            o.request = request;
            const bool sftp = request.account.address.protocol == SiteProtocol::Sftp;
            if (typed) {
                o.request.account.password = *typed;
            } else {
                try {
                    o.request.account.password =
                        keyring->lookup(keyringEntry(target)).value_or(QString());
                    o.needsPassword = !sftp && o.request.account.password.isEmpty();
                } catch (const AppError& e) {
                    // SFTP may still log in with the agent or a key file.
                    o.keyringFailed = true;
                    o.needsPassword = !sftp;
                    if (!sftp) o.problem = e.description();
                }
                if (o.needsPassword) return o;
            }
            o.report =
                publish(*uploader(), *http, o.request, &cancel, [this](qint64 done, qint64 total) {
                    const int value = total > 0 ? int(done * 1000 / total) : 0;
                    work_.post([this, value] { prgPublish_->setValue(value); });
                });
            return o;
        },
        [this](Outcome o) { finish(std::move(o)); });
}

void frmPublish::finish(Outcome o) {
    setRunning(false);
    if (o.needsPassword) {
        const KeyringEntry entry = keyringEntry(target_);
        const auto password = s_.dialogs.password(
            this, QStringLiteral("Password"),
            QStringLiteral("Password of %1 on %2:").arg(entry.user, entry.server));
        if (!password) {
            txtPublishResult_->setPlainText(
                o.problem.isEmpty() ? QStringLiteral("Nothing was published: no password.")
                                    : o.problem);
            return;
        }
        typedPassword_ = *password;
        // Kept in the keyring for the next time, when there is one.
        if (!o.keyringFailed) {
            try {
                s_.keyring->store(entry, keyringLabel(target_), *password);
            } catch (const AppError& e) {
                logFailure(*s_.g.errorLog, kRoutine, e);
            }
        }
        cmdPublish_Click();
        return;
    }
    const SiteUploadOutcome& up = o.report.upload;
    if (up.stop == SiteUploadOutcome::Stop::HostKeyUnknown && up.hostKey) {
        txtPublishResult_->setPlainText(up.message);
        const QString question =
            QStringLiteral(
                "%1 is not in your known hosts yet. It presents this %2 key:\r\n\r\n%3\r\n\r\n"
                "Trust this key only when it is the fingerprint your host gives for the server. "
                "Trust it, add it to %4 and publish?")
                .arg(target_.address, up.hostKey->type(), up.hostKey->fingerprint(),
                     QDir::toNativeSeparators(knownHostsFile(s_.home)));
        if (s_.dialogs.message(this, question, kProductName, MsgButtons::YesNo,
                               MsgIcon::Question) == MsgAnswer::Yes) {
            trustedFingerprint_ = up.hostKey->fingerprint();
            cmdPublish_Click();
        }
        return;
    }
    if (up.stop == SiteUploadOutcome::Stop::LoginDenied) typedPassword_.reset();
    if (!up.ok() && up.stop != SiteUploadOutcome::Stop::Cancelled)
        s_.g.errorLog->write(kRoutine, err::kTransferFailed, up.message,
                             o.request.account.address.server());
    prgPublish_->setValue(up.ok() ? 1000 : prgPublish_->value());
    txtPublishResult_->setPlainText(o.report.text(o.request));
    emit published(o.report.ok());
}

}  // namespace fd
