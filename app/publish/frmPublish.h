#pragma once
// Tools > "Publish to Site...": the files to put on the selected root URL's
// site (the XML sitemaps and HTML site map last written, the IndexNow key
// file, any other file added), uploaded in the background with progress and
// Cancel, then fetched back from the site and compared; an unknown SSH host
// key is shown with its fingerprint and asked about.

#include <QDialog>
#include <functional>
#include <memory>

#include "PublishTarget.h"
#include "Publishing.h"
#include "submit/BackgroundWork.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace fd {

struct Globals;
class Dialogs;
class Keyring;

struct PublishServices {
    Globals& g;
    Dialogs& dialogs;
    std::shared_ptr<Keyring> keyring;
    std::shared_ptr<HttpClient> http;
    std::function<std::unique_ptr<SiteUploader>()> uploader = curlSiteUploader;
    QString home;  // where ~/.ssh is
};

class frmPublish : public QDialog {
    Q_OBJECT
public:
    frmPublish(PublishServices services, const QString& rootUrl, const PublishTarget& target,
               QWidget* parent = nullptr);
    ~frmPublish() override;

    void cmdPublish_Click();
    void cmdAddPublishFile_Click();
    void cmdPublishCancel_Click();

    bool running() const { return work_.running(); }
    QListWidget* filesList() const { return lstPublishFiles_; }
    QPlainTextEdit* resultBox() const { return txtPublishResult_; }

signals:
    // A run has ended and its outcome is shown.
    void published(bool ok);

private:
    struct Outcome {
        PublishRequest request;
        PublishReport report;
        QString problem;             // the run did not start: why
        bool needsPassword = false;  // nothing in the keyring for FTP or FTPS
        bool keyringFailed = false;
    };
    void addFile(const PublishFile& f, bool checked);
    QList<PublishFile> chosenFiles() const;
    void finish(Outcome outcome);
    void setRunning(bool running);

    PublishServices s_;
    QString root_;
    PublishTarget target_;
    QList<PublishFile> files_;  // as listed
    QString trustedFingerprint_;
    std::optional<QString> typedPassword_;  // asked for when the keyring had none
    BackgroundWork work_;

    QLabel* lblPublishTarget_ = nullptr;
    QListWidget* lstPublishFiles_ = nullptr;
    QPushButton* cmdAddPublishFile_ = nullptr;
    QProgressBar* prgPublish_ = nullptr;
    QPlainTextEdit* txtPublishResult_ = nullptr;
    QPushButton* cmdPublish_ = nullptr;
    QPushButton* cmdPublishCancel_ = nullptr;
};

}  // namespace fd
