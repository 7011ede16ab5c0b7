// The browser subsystem's part of the main window: the address bar and Go,
// the browser's events, the navigation strip, the Page Details tab and the
// browser's menu items.
#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "NavigationPictures.h"
#include "browser/BrowserLogic.h"
#include "browser/PageDetailsTab.h"
#include "core/AppError.h"
#include "frmMain.h"

namespace fd {

namespace {

QToolButton* imageButton(const char* name, const char* tip, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(QString::fromLatin1(tip));
    b->setAccessibleName(QString::fromLatin1(tip));
    b->setAutoRaise(true);
    b->setIconSize(QSize(NavigationPictures::kSize, NavigationPictures::kSize));
    return b;
}

QAction* menuItem(const char* name, const char* caption, QObject* parent) {
    auto* a = new QAction(QString::fromLatin1(caption), parent);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

}  // namespace

void frmMain::setupBrowser() {
    // Page Details: the six fields above the tab's row of buttons.
    pageDetails_ = new PageDetailsTab(g_, dialogs_, *this, fraTabs_[1]);
    pageDetailsLayout_->insertWidget(0, pageDetails_);
    pageDetailsLayout_->addStretch(1);
    pageDetailsButtons_->addWidget(pageDetails_->logChangesButton());
    auto* viewLatest = new QPushButton(QStringLiteral("View Latest Change Request"), fraTabs_[1]);
    viewLatest->setObjectName(QStringLiteral("cmdViewLatestChangeRequest"));
    viewLatest->setEnabled(false);
    pageDetailsButtons_->addWidget(viewLatest);

    // Back, Forward and Stop with their pictures; Back and Forward wait for
    // the browser to say there is somewhere to go.
    imgLstNavigation_ = std::make_shared<NavigationPictures>();
    auto* nav = new QHBoxLayout(fraDirectionalNavigation_);
    nav->setContentsMargins(0, 0, 0, 0);
    nav->setSpacing(2);
    imgBack_ = imageButton("imgBack", "Back", fraDirectionalNavigation_);
    imgForward_ = imageButton("imgForward", "Forward", fraDirectionalNavigation_);
    imgStop_ = imageButton("imgStop", "Stop", fraDirectionalNavigation_);
    for (QToolButton* b : {imgBack_, imgForward_, imgStop_}) nav->addWidget(b);
    setPicture(imgBack_, QStringLiteral("DisRew"));
    setPicture(imgForward_, QStringLiteral("DisFor"));
    setPicture(imgStop_, QStringLiteral("DisSto"));
    imgBack_->setEnabled(false);
    imgForward_->setEnabled(false);

    const auto pressPicture = [this](QToolButton* b, const char* routine, const char* disabled,
                                     const char* pressed) {
        connect(b, &QToolButton::pressed, this, [=, this] {
            leaveOnError(*g_.errorLog, QString::fromLatin1(routine), [&] {
                if (b->property("picture").toString() != QLatin1String(disabled))
                    setPicture(b, QString::fromLatin1(pressed));
            });
        });
    };
    pressPicture(imgBack_, "imgBack_MouseDown", "DisRew", "PressRew");
    pressPicture(imgForward_, "imgForward_MouseDown", "DisFor", "PressFor");
    pressPicture(imgStop_, "imgStop_MouseDown", "DisSto", "PressSto");
    connect(imgStop_, &QToolButton::released, this,
            [this] { setPicture(imgStop_, QStringLiteral("EnaSto")); });
    connect(imgBack_, &QToolButton::clicked, this, [this] {
        if (browser_) browser_->goBack();
    });
    connect(imgForward_, &QToolButton::clicked, this, [this] {
        if (browser_) browser_->goForward();
    });
    connect(imgStop_, &QToolButton::clicked, this, [this] {
        leaveOnError(*g_.errorLog, QStringLiteral("imgStop_Click"), [&] {
            if (browser_) browser_->stop();
        });
    });
    connect(imgGoButton_, &QToolButton::clicked, this, [this] { goToAddress(); });

    // Status panels 3 and 4 show the date and the time.
    sbrPanels_[1]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* clock = new QTimer(this);
    const auto tick = [this] {
        const QDateTime now = QDateTime::currentDateTime();
        sbrPanels_[2]->setText(QLocale().toString(now.date(), QLocale::ShortFormat));
        sbrPanels_[3]->setText(QLocale().toString(now.time(), QLocale::ShortFormat));
    };
    connect(clock, &QTimer::timeout, this, tick);
    tick();
    clock->start(1000);

    // File menu: the browser's commands come first.
    QAction* first = menuFile_->actions().value(0);
    QAction* save = menuItem("SavePageAs", "&Save Page As", this);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction* preview = menuItem("PrintPreviewPage", "Print P&review", this);
    QAction* print = menuItem("PrintPage", "&Print Page", this);
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    menuFile_->insertActions(first, {save, preview, print});
    connect(save, &QAction::triggered, this, [this] { savePageAs(); });
    connect(preview, &QAction::triggered, this, [this] { printPage(true); });
    connect(print, &QAction::triggered, this, [this] { printPage(false); });

    PreventPopUps_ = menuItem("PreventPopUps", "Prevent Pop-ups", this);
    PreventPopUps_->setCheckable(true);
    PreventPopUps_->setChecked(true);
    menuTools_->addAction(PreventPopUps_);
    connect(PreventPopUps_, &QAction::triggered, this,
            [this] { sbrPanels_[1]->setText(QString()); });

    connectBrowserEvents();
}

void frmMain::connectBrowserEvents() {
    if (!browser_) return;
    WebBrowser* b = browser_;
    connect(b, &WebBrowser::beforeNavigate2, this, [this] { wbWebViewer_BeforeNavigate2(); });
    connect(b, &WebBrowser::progressChange, this, &frmMain::wbWebViewer_ProgressChange);
    connect(b, &WebBrowser::statusTextChange, sbrPanels_[0], &QLabel::setText);
    connect(b, &WebBrowser::titleChange, this, [this] { wbWebViewer_TitleChange(); });
    connect(b, &WebBrowser::documentComplete, this, &frmMain::wbWebViewer_DocumentComplete);
    connect(b, &WebBrowser::commandStateChange, this, &frmMain::wbWebViewer_CommandStateChange);
    connect(b, &WebBrowser::newWindow2, this, &frmMain::wbWebViewer_NewWindow2);
    connect(b, &WebBrowser::windowClosing, this, &frmMain::wbWebViewer_WindowClosing);
    connect(b, &WebBrowser::printFinished, this, [this](bool ok) {
        if (!ok)
            browserCommandFailed(QStringLiteral("PrintPage_Click"),
                                 QStringLiteral("The page could not be printed"));
    });
    connect(b, &WebBrowser::saveFinished, this, [this](const QString& path, bool ok) {
        if (!ok)
            g_.errorLog->write(QStringLiteral("SavePageAs_Click"), err::kPathNotFound,
                               QStringLiteral("The page could not be saved as ") + path,
                               QStringLiteral("wbWebViewer"));
    });
}

void frmMain::loadFinishBrowser() {
    setPicture(imgStop_, QStringLiteral("DisSto"));
}

void frmMain::setPicture(QToolButton* button, const QString& key) {
    button->setIcon(QIcon(imgLstNavigation_->picture(key)));
    button->setProperty("picture", key);
}

void frmMain::clearWebPageInfo() {
    pageDetails_->clearWebPageInfo();
}

void frmMain::wbWebViewer_BeforeNavigate2() {
    clearWebPageInfo();
    pageDetails_->titleField()->setText(kLoadingTitle);
    prgWebBrowser_->setValue(0);
    g_.gPopUpCount = 0;
}

void frmMain::wbWebViewer_ProgressChange(int progress, int maximum) {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("wbWebViewer_ProgressChange"));
    // Values below 1 show as an empty bar.
    prgWebBrowser_->setValue(int(progressBarValue(progress, maximum)));
    if (progress < 0 || progress == maximum) return;
    trap.step([&] {
        QLineEdit* title = pageDetails_->titleField();
        if (title->text().contains(QLatin1String("loading .")))
            title->setText(title->text() + QStringLiteral(" ."));
    });
}

void frmMain::wbWebViewer_TitleChange() {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("wbWebViewer_TitleChange"));
    const QString u = browser_ ? browser_->locationUrl() : QString();
    trap.step([&] {
        txtSubmitURL_->setText(u);
        txtSubmitURL_->setToolTip(u);
    });
    trap.step([&] { pageDetails_->setCurrentUrl(u); });
    trap.step([&] {
        sbrPanels_[0]->setText(u);
        sbrPanels_[1]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        sbrPanels_[1]->setText(QString());
    });
}

void frmMain::wbWebViewer_DocumentComplete(const QString& url) {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("wbWebViewer_DocumentComplete"));
    if (!url.isEmpty() && browser_)
        trap.step([&] { pageDetails_->getWebPageInformation(browser_->document()); });
    prgWebBrowser_->setValue(0);
}

void frmMain::wbWebViewer_CommandStateChange(int command, bool enable) {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("wbWebViewer_CommandStateChange"));
    trap.step([&] {
        if (command == kCommandBack) {
            imgBack_->setEnabled(enable);
            setPicture(imgBack_, enable ? QStringLiteral("EnaRew") : QStringLiteral("DisRew"));
        } else if (command == kCommandForward) {
            imgForward_->setEnabled(enable);
            setPicture(imgForward_, enable ? QStringLiteral("EnaFor") : QStringLiteral("DisFor"));
        }
    });
}

void frmMain::wbWebViewer_NewWindow2(bool* cancel) {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("wbWebViewer_NewWindow2"));
    *cancel = PreventPopUps_->isChecked();
    if (!*cancel) return;
    trap.step([&] {
        sbrPanels_[1]->setFrameStyle(QFrame::Panel | QFrame::Raised);
        sbrPanels_[1]->setText(QStringLiteral("Preventing Pop-up Window"));
    });
    ++g_.gPopUpCount;
    // The question comes once the browser has its answer: no dialog inside
    // the browser's decision, and one question for a burst of pop-ups.
    if (g_.gPopUpCount > g_.gPopUpThreshold && !popUpQuestionPending_) {
        popUpQuestionPending_ = true;
        QTimer::singleShot(0, this, [this] { askToAllowPopUps(); });
    }
}

void frmMain::askToAllowPopUps() {
    popUpQuestionPending_ = false;
    if (dialogs_.message(this, kPopUpQuestion, kProductName, MsgButtons::YesNo,
                         MsgIcon::Question) == MsgAnswer::Yes) {
        PreventPopUps_->setChecked(false);
        g_.gPopUpCount = 0;
        g_.gPopUpThreshold = 10;
    }
}

void frmMain::wbWebViewer_WindowClosing(bool* cancel) {
    *cancel = true;
    navigate(g_.fileUrl(QStringLiteral("blank.html")));
}

void frmMain::printPage(bool preview) {
    if (!browser_) return;
    const bool ok = preview ? browser_->printPreview() : browser_->print();
    if (!ok)
        browserCommandFailed(
            preview ? QStringLiteral("PrintPreviewPage_Click") : QStringLiteral("PrintPage_Click"),
            preview ? QStringLiteral("The print preview could not be shown")
                    : QStringLiteral("The page could not be printed"));
}

void frmMain::browserCommandFailed(const QString& routine, const QString& description) {
    if (dialogs_.message(this, kUpgradeQuestion, kProductName, MsgButtons::YesNo,
                         MsgIcon::Question) == MsgAnswer::Yes)
        navigate(kBrowserDownloadUrl);
    g_.errorLog->write(routine, err::kInvalidProcedureCall, description,
                       QStringLiteral("wbWebViewer"));
}

void frmMain::savePageAs() {
    if (!browser_) return;
    FileDialogRequest r;
    r.title = QStringLiteral("Save Page As");
    r.filter =
        QStringLiteral("Web Page, HTML only (*.html;*.htm)|*.html;*.htm|All Files (*.*)|*.*");
    r.defaultExtension = QStringLiteral("html");
    QString name = QFileInfo(QUrl(browser_->locationUrl()).path()).completeBaseName();
    r.initialFile = (name.isEmpty() ? QStringLiteral("page") : name) + QStringLiteral(".html");
    const std::optional<QString> path = dialogs_.saveFile(this, r);
    if (!path) return;
    if (!browser_->saveAs(*path))
        g_.errorLog->write(QStringLiteral("SavePageAs_Click"), err::kPathNotFound,
                           QStringLiteral("The page could not be saved as ") + *path,
                           QStringLiteral("wbWebViewer"));
}

QString frmMain::addressText() const {
    return txtSubmitURL_->text();
}
void frmMain::setAddressText(const QString& url) {
    txtSubmitURL_->setText(url);
}

void frmMain::goToAddress() {
    leaveOnError(*g_.errorLog, QStringLiteral("imgGoButton_Click"), [&] {
        clearWebPageInfo();
        txtSubmitURL_->setText(removeDoubleSlash(txtSubmitURL_->text()));
        if (browser_) browser_->navigate(txtSubmitURL_->text());
    });
}

void frmMain::navigate(const QString& url) {
    if (browser_) browser_->navigate(url);
}
void frmMain::setStatusMessage(const QString& text) {
    sbrPanels_[1]->setText(text);
}
QString frmMain::pageDescription() const {
    return pageDetails_->description();
}
QString frmMain::pageKeywords() const {
    return pageDetails_->keywords();
}

}  // namespace fd
