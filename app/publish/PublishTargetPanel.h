#pragma once
// Where the selected root URL is published, opened from the Configuration
// tab's "Publish Settings..." button: the address (sftp://, ftps:// or
// ftp://) and the user name, stored as soon as they are typed and valid;
// "Set Password..." files the password in the desktop's keyring, "Forget
// Password" removes it.

#include <QDialog>
#include <memory>

#include "PublishTarget.h"

class QLineEdit;
class QPushButton;

namespace fd {

struct Globals;
class Dialogs;
class Keyring;
namespace sites {
class SitesWindow;
}

class PublishTargetPanel : public QDialog {
    Q_OBJECT
public:
    PublishTargetPanel(Globals& g, Dialogs& dialogs, sites::SitesWindow& hub,
                       std::shared_ptr<Keyring> keyring, QWidget* parent = nullptr);

    // Shows the target stored for rootUrl (empty fields when none).
    void showRoot(const QString& rootUrl);
    // Stores the fields as typed when they are valid; says why not otherwise.
    bool storeTarget();
    void cmdSetPublishPassword_Click();
    void cmdForgetPublishPassword_Click();

    QLineEdit* addressBox() const { return txtPublishAddress_; }
    QLineEdit* userBox() const { return txtPublishUser_; }

private:
    void message(const QString& text);
    PublishTarget typed() const;

    Globals& g_;
    Dialogs& dialogs_;
    sites::SitesWindow& hub_;
    std::shared_ptr<Keyring> keyring_;
    QString root_;
    PublishTarget stored_;

    QLineEdit* txtPublishAddress_ = nullptr;
    QLineEdit* txtPublishUser_ = nullptr;
    QPushButton* cmdSetPublishPassword_ = nullptr;
    QPushButton* cmdForgetPublishPassword_ = nullptr;
};

}  // namespace fd
