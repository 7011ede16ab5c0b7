#include "PublishTargetPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/Globals.h"
#include "platform/Dialogs.h"
#include "platform/Keyring.h"
#include "sites/SitesServices.h"

namespace fd {

namespace {

const QString kRoutine = QStringLiteral("PublishTargetPanel");

}  // namespace

PublishTargetPanel::PublishTargetPanel(Globals& g, Dialogs& dialogs, sites::SitesWindow& hub,
                                       std::shared_ptr<Keyring> keyring, QWidget* parent)
    : QDialog(parent), g_(g), dialogs_(dialogs), hub_(hub), keyring_(std::move(keyring)) {
    setObjectName(QStringLiteral("frmPublishSettings"));
    setWindowTitle(QStringLiteral("Publish Settings"));
    const QString addressTip = QStringLiteral(
        "The folder on your server that holds this root URL's pages: sftp://host/path (SSH), "
        "ftps://host/path (FTP over TLS) or ftp://host/path (no encryption). A port may follow "
        "the host.");
    txtPublishAddress_ = new QLineEdit(this);
    txtPublishAddress_->setObjectName(QStringLiteral("txtPublishAddress"));
    txtPublishAddress_->setToolTip(addressTip);
    txtPublishAddress_->setPlaceholderText(QStringLiteral("sftp://host/path"));
    txtPublishUser_ = new QLineEdit(this);
    txtPublishUser_->setObjectName(QStringLiteral("txtPublishUser"));
    auto* addressLabel = new QLabel(QStringLiteral("Publish A&ddress:"), this);
    addressLabel->setObjectName(QStringLiteral("lblPublishAddress"));
    addressLabel->setBuddy(txtPublishAddress_);
    addressLabel->setToolTip(addressTip);
    auto* userLabel = new QLabel(QStringLiteral("Server &User:"), this);
    userLabel->setObjectName(QStringLiteral("lblPublishUser"));
    userLabel->setBuddy(txtPublishUser_);
    auto button = [this](const char* name, const char* caption, const char* tip) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setToolTip(QString::fromUtf8(tip));
        b->setAutoDefault(false);
        return b;
    };
    cmdSetPublishPassword_ =
        button("cmdSetPublishPassword", "Set Password...",
               "Keep the server's password in the desktop's keyring (SFTP also logs in with your "
               "SSH agent or key files).");
    cmdForgetPublishPassword_ = button("cmdForgetPublishPassword", "Forget Password",
                                       "Remove the server's password from the keyring.");

    auto* grid = new QGridLayout(this);
    grid->addWidget(addressLabel, 0, 0);
    grid->addWidget(txtPublishAddress_, 0, 1, 1, 3);
    grid->addWidget(userLabel, 1, 0);
    grid->addWidget(txtPublishUser_, 1, 1);
    grid->addWidget(cmdSetPublishPassword_, 1, 2);
    grid->addWidget(cmdForgetPublishPassword_, 1, 3);
    auto* close = button("cmdClosePublishSettings", "Close", "");
    grid->addWidget(close, 2, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 320);
    connect(close, &QPushButton::clicked, this, [this] {
        // What is typed is kept on leaving, as when a box loses the focus.
        const PublishTarget t = typed();
        if ((t.address != stored_.address || t.user != stored_.user) && !storeTarget()) return;
        accept();
    });

    connect(cmdSetPublishPassword_, &QPushButton::clicked, this,
            &PublishTargetPanel::cmdSetPublishPassword_Click);
    connect(cmdForgetPublishPassword_, &QPushButton::clicked, this,
            &PublishTargetPanel::cmdForgetPublishPassword_Click);
    for (QLineEdit* box : {txtPublishAddress_, txtPublishUser_})
        connect(box, &QLineEdit::editingFinished, this, [this] {
            const PublishTarget t = typed();
            if (t.address != stored_.address || t.user != stored_.user) storeTarget();
        });
}

void PublishTargetPanel::message(const QString& text) {
    dialogs_.message(this, text, kProductName, MsgButtons::Ok, MsgIcon::None);
}

PublishTarget PublishTargetPanel::typed() const {
    return {txtPublishAddress_->text().trimmed(), txtPublishUser_->text().trimmed()};
}

void PublishTargetPanel::showRoot(const QString& rootUrl) {
    root_ = rootUrl;
    setWindowTitle(rootUrl.isEmpty() ? QStringLiteral("Publish Settings")
                                     : QStringLiteral("Publish Settings: ") + rootUrl);
    stored_ = {};
    leaveOnError(*g_.errorLog, kRoutine, [&] {
        if (root_.isEmpty()) return;
        if (const auto t = loadPublishTarget(*g_.gDB, root_)) stored_ = *t;
    });
    txtPublishAddress_->setText(stored_.address);
    txtPublishUser_->setText(stored_.user);
}

bool PublishTargetPanel::storeTarget() {
    if (root_.isEmpty()) {
        message(
            QStringLiteral("Select or add a root URL first: a publish address belongs to a "
                           "root URL."));
        return false;
    }
    const PublishTarget t = typed();
    // An address alone is kept while the user name is still to come.
    const QString problem =
        t.address.isEmpty() ? QString()
        : t.user.isEmpty()  ? (parseSiteAddress(t.address) ? QString() : publishTargetProblem(t))
                            : publishTargetProblem(t);
    if (!problem.isEmpty()) {
        message(problem + QStringLiteral(" The publish address was not stored."));
        return false;
    }
    try {
        savePublishTarget(*g_.gDB, root_, t);
    } catch (const AppError& e) {
        logFailure(*g_.errorLog, kRoutine, e);
        message(QStringLiteral("The publish address could not be stored: ") + e.description());
        return false;
    }
    const bool newWarning =
        !publishTargetWarning(t).isEmpty() && publishTargetWarning(stored_).isEmpty();
    stored_ = t;
    hub_.setStatusMessage(t.address.isEmpty()
                              ? QStringLiteral("The publish address of %1 was removed.").arg(root_)
                              : QStringLiteral("The publish address of %1 is stored.").arg(root_));
    if (newWarning)
        dialogs_.message(this, kClearTextFtpWarning, kProductName, MsgButtons::Ok,
                         MsgIcon::Exclamation);
    return true;
}

void PublishTargetPanel::cmdSetPublishPassword_Click() {
    const PublishTarget t = typed();
    const QString problem = publishTargetProblem(t);
    if (!problem.isEmpty()) {
        message(problem);
        return;
    }
    if ((t.address != stored_.address || t.user != stored_.user) && !storeTarget()) return;
    const KeyringEntry entry = keyringEntry(t);
    const auto password =
        dialogs_.password(this, QStringLiteral("Set Password"),
                          QStringLiteral("Password of %1 on %2:").arg(entry.user, entry.server));
    if (!password) return;
    try {
        keyring_->store(entry, keyringLabel(t), *password);
    } catch (const AppError& e) {
        logFailure(*g_.errorLog, kRoutine, e);
        message(e.description());
        return;
    }
    hub_.setStatusMessage(QStringLiteral("The password of %1 on %2 is in the keyring.")
                              .arg(entry.user, entry.server));
}

void PublishTargetPanel::cmdForgetPublishPassword_Click() {
    const PublishTarget t = typed();
    const QString problem = publishTargetProblem(t);
    if (!problem.isEmpty()) {
        message(problem);
        return;
    }
    const KeyringEntry entry = keyringEntry(t);
    try {
        keyring_->remove(entry);
    } catch (const AppError& e) {
        logFailure(*g_.errorLog, kRoutine, e);
        message(e.description());
        return;
    }
    hub_.setStatusMessage(QStringLiteral("The password of %1 on %2 was removed from the keyring.")
                              .arg(entry.user, entry.server));
}

}  // namespace fd
