// Publishing's part of the main window: the publish target of the selected
// root URL on the Configuration tab, and Tools > "Publish to Site...".
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QPushButton>

#include "frmMain.h"
#include "platform/Keyring.h"
#include "publish/PublishTargetPanel.h"
#include "publish/frmPublish.h"
#include "sites/ConfigurationTab.h"

namespace fd {

void frmMain::setKeyring(std::shared_ptr<Keyring> keyring) {
    keyring_ = std::move(keyring);
}

void frmMain::setupPublish() {
    if (!keyring_) keyring_ = std::shared_ptr<Keyring>(secretServiceKeyring());
    // The panel reads the keyring through the window's, so a keyring handed
    // in later serves it too.
    struct Forward : Keyring {
        explicit Forward(frmMain* w) : w_(w) {}
        std::optional<QString> lookup(const KeyringEntry& e) override {
            return w_->keyring_->lookup(e);
        }
        void store(const KeyringEntry& e, const QString& l, const QString& p) override {
            w_->keyring_->store(e, l, p);
        }
        void remove(const KeyringEntry& e) override { w_->keyring_->remove(e); }
        frmMain* w_;
    };
    publishTarget_ =
        new PublishTargetPanel(g_, dialogs_, *this, std::make_shared<Forward>(this), this);
    if (sites::ConfigurationTab* config = configurationTab()) {
        auto* open = new QPushButton(QStringLiteral("P&ublish Settings..."));
        open->setObjectName(QStringLiteral("cmdPublishSettings"));
        open->setToolTip(QStringLiteral(
            "Where this root URL is published: the server's address, user name and password."));
        open->setAutoDefault(false);
        config->addButton(open);
        connect(open, &QPushButton::clicked, this, [this] {
            if (!rootSelected()) {
                dialogs_.message(this,
                                 QStringLiteral("Select a root URL first: a publish "
                                                "address belongs to a root URL."),
                                 kProductName);
                return;
            }
            publishTarget_->showRoot(rootUrl());
            publishTarget_->open();
        });
    }
    if (auto* item = findChild<QAction*>(QStringLiteral("PublishToSite"))) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, &frmMain::PublishToSite_Click);
    }
}

void frmMain::PublishToSite_Click() {
    if (publishWindow_) {
        publishWindow_->raise();
        publishWindow_->activateWindow();
        return;
    }
    auto tell = [this](const QString& text) { dialogs_.message(this, text, kProductName); };
    if (!rootSelected()) {
        tell(QStringLiteral("Select a root URL on the Configuration tab first."));
        return;
    }
    const QString root = rootUrl();
    std::optional<PublishTarget> target;
    leaveOnError(*g_.errorLog, QStringLiteral("PublishToSite_Click"),
                 [&] { target = loadPublishTarget(*g_.gDB, root); });
    const QString problem = target ? publishTargetProblem(*target) : QString();
    if (!target || !problem.isEmpty()) {
        tell(QStringLiteral("Set the publish address and server user of %1 on the Configuration "
                            "tab first.%2")
                 .arg(root, problem.isEmpty() ? QString() : u' ' + problem));
        return;
    }
    auto* window = new frmPublish(
        {g_, dialogs_, keyring_, http_, curlSiteUploader, QDir::homePath()}, root, *target, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    publishWindow_ = window;
    window->show();
}

}  // namespace fd
