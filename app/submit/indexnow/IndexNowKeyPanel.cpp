#include "IndexNowKeyPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "IndexNowKey.h"
#include "KeyFileCheck.h"
#include "core/FileReplace.h"
#include "core/Globals.h"
#include "platform/Dialogs.h"

namespace fd {

namespace {

const QString kRoutine = QStringLiteral("IndexNowKeyPanel");

}  // namespace

IndexNowKeyPanel::IndexNowKeyPanel(Globals& g, Dialogs& dialogs, SubmitWindow& hub,
                                   std::shared_ptr<HttpClient> http, QWidget* parent)
    : QGroupBox(QStringLiteral("IndexNow"), parent),
      g_(g),
      dialogs_(dialogs),
      hub_(hub),
      http_(std::move(http)) {
    setObjectName(QStringLiteral("fraIndexNow"));
    const QString keyTip = QStringLiteral(
        "The key that shows IndexNow engines the site is yours: 8 to 128 letters, digits or "
        "\"-\". The site keeps it in a text file of its own.");
    const QString locationTip = QStringLiteral(
        "Leave empty when the key file is <key>.txt at the root of the site. Otherwise its full "
        "address: it then covers only the pages in its folder and below.");
    txtIndexNowKey_ = new QLineEdit(this);
    txtIndexNowKey_->setObjectName(QStringLiteral("txtIndexNowKey"));
    txtIndexNowKey_->setToolTip(keyTip);
    txtKeyLocation_ = new QLineEdit(this);
    txtKeyLocation_->setObjectName(QStringLiteral("txtKeyLocation"));
    txtKeyLocation_->setToolTip(locationTip);
    txtKeyLocation_->setPlaceholderText(QStringLiteral("<key>.txt at the root of the site"));
    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdNewKey_ = button("cmdNewKey", "New Key");
    cmdSaveKeyFile_ = button("cmdSaveKeyFile", "Save Key File...");
    cmdCheckKeyFile_ = button("cmdCheckKeyFile", "Check Key File");
    auto* keyLabel = new QLabel(QStringLiteral("IndexNow &Key:"), this);
    keyLabel->setObjectName(QStringLiteral("lblIndexNowKey"));
    keyLabel->setBuddy(txtIndexNowKey_);
    keyLabel->setToolTip(keyTip);
    auto* locationLabel = new QLabel(QStringLiteral("Key File &Location:"), this);
    locationLabel->setObjectName(QStringLiteral("lblKeyLocation"));
    locationLabel->setBuddy(txtKeyLocation_);
    locationLabel->setToolTip(locationTip);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(4);
    grid->addWidget(keyLabel, 0, 0);
    grid->addWidget(txtIndexNowKey_, 0, 1);
    grid->addWidget(cmdNewKey_, 0, 2);
    grid->addWidget(cmdSaveKeyFile_, 0, 3);
    grid->addWidget(cmdCheckKeyFile_, 0, 4);
    grid->addWidget(locationLabel, 1, 0);
    grid->addWidget(txtKeyLocation_, 1, 1, 1, 4);
    grid->setColumnStretch(1, 1);

    connect(cmdNewKey_, &QPushButton::clicked, this, &IndexNowKeyPanel::cmdNewKey_Click);
    connect(cmdSaveKeyFile_, &QPushButton::clicked, this, &IndexNowKeyPanel::cmdSaveKeyFile_Click);
    connect(cmdCheckKeyFile_, &QPushButton::clicked, this,
            &IndexNowKeyPanel::cmdCheckKeyFile_Click);
    for (QLineEdit* box : {txtIndexNowKey_, txtKeyLocation_})
        connect(box, &QLineEdit::editingFinished, this, [this] {
            if (txtIndexNowKey_->text() != storedKey_ ||
                txtKeyLocation_->text().trimmed() != storedLocation_)
                storeKey();
        });
}

void IndexNowKeyPanel::message(const QString& text) {
    dialogs_.message(this, text, kProductName, MsgButtons::Ok, MsgIcon::None);
}

void IndexNowKeyPanel::showRoot(const QString& rootUrl) {
    root_ = rootUrl;
    storedKey_.clear();
    storedLocation_.clear();
    leaveOnError(*g_.errorLog, kRoutine, [&] {
        if (root_.isEmpty()) return;
        if (const auto stored = loadIndexNowKey(*g_.gDB, root_)) {
            storedKey_ = stored->key;
            storedLocation_ = stored->keyLocation;
        }
    });
    txtIndexNowKey_->setText(storedKey_);
    txtKeyLocation_->setText(storedLocation_);
}

QString IndexNowKeyPanel::problem() const {
    if (root_.isEmpty())
        return QStringLiteral(
            "Select or add a root URL first: an IndexNow key belongs to a "
            "root URL.");
    const QString key = txtIndexNowKey_->text();
    if (!key.isEmpty()) {
        const QString p = indexNowKeyProblem(key);
        if (!p.isEmpty()) return p;
    }
    return keyLocationProblem(root_, txtKeyLocation_->text());
}

bool IndexNowKeyPanel::storeKey() {
    const QString p = problem();
    if (!p.isEmpty()) {
        message(p + QStringLiteral(" The key was not stored."));
        return false;
    }
    const StoredIndexNowKey k{txtIndexNowKey_->text(), txtKeyLocation_->text().trimmed()};
    try {
        saveIndexNowKey(*g_.gDB, root_, k);
    } catch (const AppError& e) {
        logFailure(*g_.errorLog, kRoutine, e);
        message(QStringLiteral("The IndexNow key could not be stored: ") + e.description());
        return false;
    }
    storedKey_ = k.key;
    storedLocation_ = k.keyLocation;
    hub_.setStatusMessage(k.key.isEmpty()
                              ? QStringLiteral("The IndexNow key of %1 was removed.").arg(root_)
                              : QStringLiteral("The IndexNow key of %1 is stored.").arg(root_));
    return true;
}

void IndexNowKeyPanel::cmdNewKey_Click() {
    if (root_.isEmpty()) {
        message(problem());
        return;
    }
    if (!storedKey_.isEmpty() &&
        dialogs_.message(this,
                         QStringLiteral("Replace the IndexNow key of %1? The key file on the site "
                                        "must then be replaced with the new one.")
                             .arg(root_),
                         kProductName, MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return;
    txtIndexNowKey_->setText(newIndexNowKey());
    if (storeKey())
        hub_.setStatusMessage(
            QStringLiteral("A new IndexNow key is stored. Save its key file and "
                           "put it on the site."));
}

void IndexNowKeyPanel::cmdSaveKeyFile_Click() {
    const QString key = txtIndexNowKey_->text();
    const QString p = indexNowKeyProblem(key);
    if (!p.isEmpty()) {
        message(p);
        return;
    }
    FileDialogRequest r;
    r.title = QStringLiteral("Save Key File");
    r.initialDir = g_.programFolder;
    r.initialFile = indexNowKeyFileName(key);
    r.filter = QStringLiteral("Text (*.txt)|*.txt|");
    r.defaultExtension = QStringLiteral("txt");
    const auto path = dialogs_.saveFile(this, r);
    if (!path) return;
    // The whole content of the file is the key: no line end, no byte-order mark.
    FileReplacement file(*path);
    if (!file.replaceWith(key.toUtf8())) {
        message(QStringLiteral("The key file could not be written: ") + file.errorString());
        return;
    }
    const QString where = indexNowKeyFileUrl(root_, key, txtKeyLocation_->text());
    hub_.setStatusMessage(
        where.isEmpty() ? QStringLiteral("Key file saved as %1.").arg(*path)
                        : QStringLiteral("Key file saved as %1: put it at %2.").arg(*path, where));
}

void IndexNowKeyPanel::cmdCheckKeyFile_Click() {
    if (work_.running()) return;
    const QString key = txtIndexNowKey_->text();
    QString p = problem();
    if (p.isEmpty() && key.isEmpty()) p = indexNowKeyProblem(key);
    if (!p.isEmpty()) {
        message(p);
        return;
    }
    // What is checked is what the fields hold; keep it too.
    if ((key != storedKey_ || txtKeyLocation_->text().trimmed() != storedLocation_) && !storeKey())
        return;
    cmdCheckKeyFile_->setEnabled(false);
    cmdCheckKeyFile_->setText(QStringLiteral("Checking..."));
    hub_.setStatusMessage(QStringLiteral("Checking the key file..."));
    auto http = http_;
    const QString root = root_, location = txtKeyLocation_->text();
    work_.start<KeyFileCheck>(
        [http, root, key, location](const std::atomic<bool>& cancel) {
            return checkKeyFile(*http, root, key, location, &cancel);
        },
        [this](KeyFileCheck k) {
            cmdCheckKeyFile_->setEnabled(true);
            cmdCheckKeyFile_->setText(QStringLiteral("Check Key File"));
            hub_.setStatusMessage(k.message);
            dialogs_.message(
                this, k.message, kProductName, MsgButtons::Ok,
                k.verdict == KeyFileVerdict::Good ? MsgIcon::Information : MsgIcon::Exclamation);
            emit checked(k.verdict);
        });
}

}  // namespace fd
