#pragma once
// The IndexNow key of the selected root URL, on the Configuration tab: the
// key and, when it is not at the host's root, the key file's address;
// "New Key", "Save Key File..." and "Check Key File". A valid key is stored
// as soon as it is typed or made; an invalid one is refused with the reason.

#include <QGroupBox>
#include <memory>

#include "KeyFileCheck.h"
#include "platform/HttpClient.h"
#include "submit/BackgroundWork.h"
#include "submit/SubmitWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace fd {

struct Globals;
class Dialogs;

class IndexNowKeyPanel : public QGroupBox {
    Q_OBJECT
public:
    IndexNowKeyPanel(Globals& g, Dialogs& dialogs, SubmitWindow& hub,
                     std::shared_ptr<HttpClient> http, QWidget* parent = nullptr);

    // Shows the key stored for rootUrl (nothing when it has none).
    void showRoot(const QString& rootUrl);

    // The buttons.
    void cmdNewKey_Click();
    void cmdSaveKeyFile_Click();
    void cmdCheckKeyFile_Click();
    // Stores the key and location as typed, when they are valid; returns
    // false (after saying why) when they are not.
    bool storeKey();

    QLineEdit* keyBox() const { return txtIndexNowKey_; }
    QLineEdit* locationBox() const { return txtKeyLocation_; }
    QPushButton* checkButton() const { return cmdCheckKeyFile_; }
    bool checking() const { return work_.running(); }

signals:
    // A key-file check has ended and its message was shown.
    void checked(fd::KeyFileVerdict verdict);

private:
    void message(const QString& text);
    // The key and location typed, checked; "" when they can be used, else
    // the reason they cannot.
    QString problem() const;

    Globals& g_;
    Dialogs& dialogs_;
    SubmitWindow& hub_;
    std::shared_ptr<HttpClient> http_;
    QString root_;  // the root URL the fields belong to
    QString storedKey_, storedLocation_;
    BackgroundWork work_;

    QLineEdit* txtIndexNowKey_ = nullptr;
    QLineEdit* txtKeyLocation_ = nullptr;
    QPushButton* cmdNewKey_ = nullptr;
    QPushButton* cmdSaveKeyFile_ = nullptr;
    QPushButton* cmdCheckKeyFile_ = nullptr;
};

}  // namespace fd
