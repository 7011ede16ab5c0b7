#include "BrowserController.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "BrowserLogic.h"
#include "NavigationPictures.h"
#include "PageDetailsTab.h"
#include "core/AppError.h"
#include "core/Globals.h"
#include "platform/Dialogs.h"
#include "platform/WebBrowser.h"

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

BrowserController::BrowserController(Globals& g, Dialogs& dialogs, WebBrowser* browser,
                                     PageDetailsTab& details, const BrowserControls& controls,
                                     QWidget* window)
    : QObject(window),
      g_(g),
      dialogs_(dialogs),
      browser_(browser),
      details_(details),
      c_(controls),
      window_(window),
      imgLstNavigation_(std::make_unique<NavigationPictures>()) {
    setObjectName(QStringLiteral("BrowserController"));
    addNavigationButtons();
    startClock();
    addMenuItems();
    connectBrowser();
}

BrowserController::~BrowserController() = default;

void BrowserController::addNavigationButtons() {
    // Back, Forward and Stop with their pictures; Back and Forward wait for
    // the browser to say there is somewhere to go.
    auto* nav = new QHBoxLayout(c_.navigation);
    nav->setContentsMargins(0, 0, 0, 0);
    nav->setSpacing(2);
    imgBack_ = imageButton("imgBack", "Back", c_.navigation);
    imgForward_ = imageButton("imgForward", "Forward", c_.navigation);
    imgStop_ = imageButton("imgStop", "Stop", c_.navigation);
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
    connect(c_.go, &QToolButton::clicked, this, [this] { goToAddress(); });
}

void BrowserController::startClock() {
    // Status panels 3 and 4 show the date and the time.
    c_.status[1]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* clock = new QTimer(this);
    const auto tick = [this] {
        const QDateTime now = QDateTime::currentDateTime();
        c_.status[2]->setText(QLocale().toString(now.date(), QLocale::ShortFormat));
        c_.status[3]->setText(QLocale().toString(now.time(), QLocale::ShortFormat));
    };
    connect(clock, &QTimer::timeout, this, tick);
    tick();
    clock->start(1000);
}

void BrowserController::addMenuItems() {
    // File menu: the browser's commands come first.
    QAction* first = c_.fileMenu->actions().value(0);
    QAction* save = menuItem("SavePageAs", "&Save Page As", window_);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction* preview = menuItem("PrintPreviewPage", "Print P&review", window_);
    QAction* print = menuItem("PrintPage", "&Print Page", window_);
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    c_.fileMenu->insertActions(first, {save, preview, print});
    connect(save, &QAction::triggered, this, [this] { savePageAs(); });
    connect(preview, &QAction::triggered, this, [this] { printPage(true); });
    connect(print, &QAction::triggered, this, [this] { printPage(false); });

    PreventPopUps_ = menuItem("PreventPopUps", "Prevent Pop-ups", window_);
    PreventPopUps_->setCheckable(true);
    PreventPopUps_->setChecked(true);
    c_.toolsMenu->addAction(PreventPopUps_);
    connect(PreventPopUps_, &QAction::triggered, this, [this] { setStatusMessage(QString()); });
}

void BrowserController::connectBrowser() {
    if (!browser_) return;
    WebBrowser* b = browser_;
    connect(b, &WebBrowser::beforeNavigate2, this, [this] { wbWebViewer_BeforeNavigate2(); });
    connect(b, &WebBrowser::progressChange, this, &BrowserController::wbWebViewer_ProgressChange);
    connect(b, &WebBrowser::statusTextChange, c_.status[0], &QLabel::setText);
    connect(b, &WebBrowser::titleChange, this, [this] { wbWebViewer_TitleChange(); });
    connect(b, &WebBrowser::documentComplete, this,
            &BrowserController::wbWebViewer_DocumentComplete);
    connect(b, &WebBrowser::commandStateChange, this,
            &BrowserController::wbWebViewer_CommandStateChange);
    connect(b, &WebBrowser::newWindow2, this, &BrowserController::wbWebViewer_NewWindow2);
    connect(b, &WebBrowser::windowClosing, this, &BrowserController::wbWebViewer_WindowClosing);
    connect(b, &WebBrowser::printFinished, this, [this](bool ok) {
        if (!ok)
            browserCommandFailed(QStringLiteral("PrintPage_Click"),
                                 QStringLiteral("The page could not be printed"));
    });
    connect(b, &WebBrowser::saveFinished, this, [this](const QString& path, bool ok) {
        if (!ok) logSaveFailure(path);
    });
}

void BrowserController::loadFinished() {
    setPicture(imgStop_, QStringLiteral("DisSto"));
}

void BrowserController::setPicture(QToolButton* button, const QString& key) {
    button->setIcon(QIcon(imgLstNavigation_->picture(key)));
    button->setProperty("picture", key);
}

void BrowserController::wbWebViewer_BeforeNavigate2() {
    details_.clearWebPageInfo();
    details_.titleField()->setText(kLoadingTitle);
    c_.progress->setValue(0);
    g_.gPopUpCount = 0;
}

void BrowserController::wbWebViewer_ProgressChange(int progress, int maximum) {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("wbWebViewer_ProgressChange"));
    // Values below 1 show as an empty bar.
    c_.progress->setValue(int(progressBarValue(progress, maximum)));
    if (progress < 0 || progress == maximum) return;
    trap.step([&] {
        QLineEdit* title = details_.titleField();
        if (title->text().contains(QLatin1String("loading .")))
            title->setText(title->text() + QStringLiteral(" ."));
    });
}

void BrowserController::wbWebViewer_TitleChange() {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("wbWebViewer_TitleChange"));
    const QString u = browser_ ? browser_->locationUrl() : QString();
    trap.step([&] {
        c_.address->setText(u);
        c_.address->setToolTip(u);
    });
    trap.step([&] { details_.setCurrentUrl(u); });
    trap.step([&] {
        c_.status[0]->setText(u);
        c_.status[1]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        c_.status[1]->setText(QString());
    });
}

void BrowserController::wbWebViewer_DocumentComplete(const QString& url) {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("wbWebViewer_DocumentComplete"));
    if (!url.isEmpty() && browser_)
        trap.step([&] { details_.getWebPageInformation(browser_->document()); });
    c_.progress->setValue(0);
}

void BrowserController::wbWebViewer_CommandStateChange(int command, bool enable) {
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

void BrowserController::wbWebViewer_NewWindow2(bool* cancel) {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("wbWebViewer_NewWindow2"));
    *cancel = PreventPopUps_->isChecked();
    if (!*cancel) return;
    trap.step([&] {
        c_.status[1]->setFrameStyle(QFrame::Panel | QFrame::Raised);
        c_.status[1]->setText(QStringLiteral("Preventing Pop-up Window"));
    });
    ++g_.gPopUpCount;
    // The question comes once the browser has its answer: no dialog inside
    // the browser's decision, and one question for a burst of pop-ups.
    if (g_.gPopUpCount > g_.gPopUpThreshold && !popUpQuestionPending_) {
        popUpQuestionPending_ = true;
        QTimer::singleShot(0, this, [this] { askToAllowPopUps(); });
    }
}

void BrowserController::askToAllowPopUps() {
    popUpQuestionPending_ = false;
    if (dialogs_.message(window_, kPopUpQuestion, kProductName, MsgButtons::YesNo,
                         MsgIcon::Question) == MsgAnswer::Yes) {
        PreventPopUps_->setChecked(false);
        g_.gPopUpCount = 0;
        g_.gPopUpThreshold = 10;
    }
}

void BrowserController::wbWebViewer_WindowClosing(bool* cancel) {
    *cancel = true;
    navigate(g_.fileUrl(QStringLiteral("blank.html")));
}

void BrowserController::printPage(bool preview) {
    if (!browser_) return;
    const bool ok = preview ? browser_->printPreview() : browser_->print();
    if (!ok)
        browserCommandFailed(
            preview ? QStringLiteral("PrintPreviewPage_Click") : QStringLiteral("PrintPage_Click"),
            preview ? QStringLiteral("The print preview could not be shown")
                    : QStringLiteral("The page could not be printed"));
}

void BrowserController::browserCommandFailed(const QString& routine, const QString& description) {
    if (dialogs_.message(window_, kUpgradeQuestion, kProductName, MsgButtons::YesNo,
                         MsgIcon::Question) == MsgAnswer::Yes)
        navigate(kBrowserDownloadUrl);
    g_.errorLog->write(routine, err::kInvalidProcedureCall, description,
                       QStringLiteral("wbWebViewer"));
}

void BrowserController::savePageAs() {
    if (!browser_) return;
    FileDialogRequest r;
    r.title = QStringLiteral("Save Page As");
    r.filter =
        QStringLiteral("Web Page, HTML only (*.html;*.htm)|*.html;*.htm|All Files (*.*)|*.*");
    r.defaultExtension = QStringLiteral("html");
    QString name = QFileInfo(QUrl(browser_->locationUrl()).path()).completeBaseName();
    r.initialFile = (name.isEmpty() ? QStringLiteral("page") : name) + QStringLiteral(".html");
    const std::optional<QString> path = dialogs_.saveFile(window_, r);
    if (!path) return;
    if (!browser_->saveAs(*path)) logSaveFailure(*path);
}

void BrowserController::logSaveFailure(const QString& path) {
    g_.errorLog->write(QStringLiteral("SavePageAs_Click"), err::kPathNotFound,
                       QStringLiteral("The page could not be saved as ") + path,
                       QStringLiteral("wbWebViewer"));
}

QString BrowserController::addressText() const {
    return c_.address->text();
}

void BrowserController::setAddressText(const QString& url) {
    c_.address->setText(url);
}

void BrowserController::goToAddress() {
    leaveOnError(*g_.errorLog, QStringLiteral("imgGoButton_Click"), [&] {
        details_.clearWebPageInfo();
        c_.address->setText(removeDoubleSlash(c_.address->text()));
        if (browser_) browser_->navigate(c_.address->text());
    });
}

void BrowserController::navigate(const QString& url) {
    if (browser_) browser_->navigate(url);
}

void BrowserController::setStatusMessage(const QString& text) {
    c_.status[1]->setText(text);
}

}  // namespace fd
