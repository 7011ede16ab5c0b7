// The frame's own part of the main window: the View, Tools, Support and Help
// menus, the layout of the right side and the status bar, the about box and
// the hidden gesture that writes the update server's page.
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <functional>

#include "WindowLayout.h"
#include "browser/BrowserLogic.h"
#include "frmAbout.h"
#include "frmMain.h"
#include "update/UpdateScript.h"

namespace fd {

namespace {
// The gesture that writes the update page: a right-button press with Ctrl and
// Shift held on the Configuration tab's frame, outside the square of this many
// twips at the frame's top left corner.
constexpr int kGestureCornerTwips = 1000;

// A field claims the keys of its own editing bindings before shortcuts are
// looked up (Ctrl+U erases a line edit, Ctrl+H is its Backspace). Within the
// main window the menus' shortcuts come first, wherever the focus is: the
// field is not asked, and the shortcut runs. Installed on the application,
// it sees the question before any field does.
class MenuShortcutsFirst : public QObject {
public:
    MenuShortcutsFirst(frmMain* window, std::function<bool(const QKeyEvent*)> isMenuShortcut)
        : QObject(window), window_(window), isMenuShortcut_(std::move(isMenuShortcut)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::ShortcutOverride) return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || w->window() != window_ || !isMenuShortcut_(static_cast<QKeyEvent*>(e)))
            return false;
        e->ignore();
        return true;
    }

private:
    frmMain* window_;
    std::function<bool(const QKeyEvent*)> isMenuShortcut_;
};
}  // namespace

int frmMain::twipsToPixels(int twips) const {
    return static_cast<int>(twips * logicalDpiX() / 1440.0 + 0.5);
}
int frmMain::pixelsToTwips(int pixels) const {
    return static_cast<int>(pixels * 1440.0 / logicalDpiX() + 0.5);
}

void frmMain::setShell(std::unique_ptr<Shell> shell) {
    shell_ = std::move(shell);
}
void frmMain::setSoundPlayer(std::unique_ptr<SoundPlayer> sound) {
    sound_ = std::move(sound);
}

void frmMain::setupWindow() {
    shell_ = std::make_unique<DesktopShell>();
    sound_ = std::make_unique<QtSoundPlayer>();
    auto action = [this](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromUtf8(name));
        return a;
    };
    auto go = [this](const QString& url) {
        return [this, url] {
            if (browser_) browser_->navigate(url);
        };
    };

    QAction* home = action(menuView_, "ViewHome", "&Homepage");
    home->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(home, &QAction::triggered, this, [this] {
        if (!browser_) return;
        // The platform keeps no browser home page, so the program names it
        // each time: it follows the root URL selected at that moment.
        browser_->setHomeUrl(homePage());
        browser_->goHome();
    });
    connect(action(menuView_, "ViewFavorites", "&Favorites"), &QAction::triggered, this,
            &frmMain::ViewFavoritesInBrowser);

    // Site maps and reports arrive with their own windows; until then their
    // items are shown but cannot be chosen.
    QAction* firstTool = menuTools_->actions().value(0);
    auto* siteMap = new QAction(QStringLiteral("Create &Site Map"), menuTools_);
    siteMap->setObjectName(QStringLiteral("CreateSiteMap"));
    auto* xmlSitemap = new QAction(QStringLiteral("Create &XML Sitemap"), menuTools_);
    xmlSitemap->setObjectName(QStringLiteral("CreateXmlSitemap"));
    auto* publish = new QAction(QStringLiteral("&Publish to Site..."), menuTools_);
    publish->setObjectName(QStringLiteral("PublishToSite"));
    auto* reports = new QAction(QStringLiteral("Create Reports"), menuTools_);
    reports->setObjectName(QStringLiteral("SendChangeReport"));
    for (QAction* a : {siteMap, xmlSitemap, publish, reports}) a->setEnabled(false);
    menuTools_->insertActions(firstTool, {siteMap, xmlSitemap, publish, reports});

    connect(action(menuSupport_, "LearnMore", "&Learn more about this Product"),
            &QAction::triggered, this, go(kProductPage));
    action(menuSupport_, "SendErrorLog", "Send &Error Log")->setEnabled(false);
    QAction* update = action(menuSupport_, "Update", "&Update Search Engine List");
    update->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    update->setEnabled(false);
    connect(action(menuSupport_, "UpdateBrowser", "Update Browser"), &QAction::triggered, this,
            go(kBrowserDownloadUrl));

    connect(action(menuHelp_, "OnlineHelp", "Online &Help"), &QAction::triggered, this,
            go(kOnlineHelpPage));
    connect(action(menuHelp_, "Tallowby", "Visit our Website"), &QAction::triggered, this,
            go(kMakerHomePage));
    menuHelp_->addSeparator()->setObjectName(QStringLiteral("Dash2"));
    connect(action(menuHelp_, "About", "&About"), &QAction::triggered, this, &frmMain::showAbout);

    fraTabs_[0]->installEventFilter(this);
    qApp->installEventFilter(
        new MenuShortcutsFirst(this, [this](const QKeyEvent* k) { return isMenuShortcut(k); }));
    connect(splitMain_, &QSplitter::splitterMoved, this, [this] { adjustfraRightSide(); });
    // The splitter starts with 3000 twips for the tree.
    splitMain_->setSizes({twipsToPixels(3000), qMax(1, width() - twipsToPixels(3000))});
}

void frmMain::setupTabOrder() {
    // Reading order: the tree on the left; the tabs, then the controls of the
    // tab shown, row by row and left to right; the address bar and Go; the
    // page; Back, Forward and Stop. The keyboard passes over the controls of
    // the hidden tabs, and over disabled ones.
    static const char* const order[] = {
        "tvwWebSiteDirectory", "tabTasks",
        // Configuration
        "cmbWebSiteGenericName", "cmdAddSite", "cmbWebSiteRoot", "cmdAddURL", "txtEmail",
        "txtSubmittersName", "txtCountryCode", "lblLookUpCountryCode", "txtReportEmail",
        "cmdIndustryList", "txtReportGeneratorURL", "imgGoToUpdateURL", "cmdReportGenerator",
        "cmdPublishSettings", "cmdSaveSettings",
        // IndexNow key, below the fields
        "txtIndexNowKey", "cmdNewKey", "cmdSaveKeyFile", "cmdCheckKeyFile", "txtKeyLocation",
        // Page Details
        "txtCurrentURL", "txtWebPageTitle", "txtPageDescription", "txtPageKeywords",
        "txtPageRevisit", "txtPageAuthor", "cmdLogChanges", "cmdViewLatestChangeRequest",
        "cmdAddPage",
        // Page Check, Page Submission
        "txtReviewURL", "cmdPageCheck", "lvwReviewList", "txtSubmissionURL", "cmdSubmitPage",
        "lvwSubmissionList", "cmdSubmitAllPages", "cmdCancelSubmitAll",
        // The browser
        "txtSubmitURL", "imgGoButton", "wbWebViewer", "imgBack", "imgForward", "imgStop"};
    QWidget* previous = nullptr;
    for (const char* name : order) {
        auto* w = findChild<QWidget*>(QString::fromLatin1(name));
        if (!w) continue;
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void frmMain::ViewFavoritesInBrowser() {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("ViewFavoritesInBrowser"));
    trap.step([&] {
        const QString folder = shell_ ? shell_->favoritesFolder() : QString();
        if (folder.isEmpty() || !browser_) return;
        browser_->navigate(QUrl::fromLocalFile(folder).toString());
        browser_->widget()->show();
    });
}

void frmMain::showAbout() {
    frmAbout about(
        g_.pathInFolder(QStringLiteral("about.wav")), sound_.get(),
        [this](const QString& url) { navigate(url); }, this);
    about.exec();
}

void frmMain::fraTabs_MouseDown(QMouseEvent* e) {
    leaveOnError(*g_.errorLog, QStringLiteral("fraTabs_MouseDown"), [&] {
        const Qt::KeyboardModifiers need = Qt::ControlModifier | Qt::ShiftModifier;
        if (e->button() != Qt::RightButton || (e->modifiers() & need) != need) return;
        const QPoint p = e->position().toPoint();
        const int corner = twipsToPixels(kGestureCornerTwips);
        if (p.x() < corner && p.y() < corner) return;
        const bool written = CreateUpdateScript(*g_.gDB, g_.programFolder, *g_.errorLog);
        dialogs_.message(this,
                         written ? QStringLiteral("Update.asp has been written to the program "
                                                  "folder.")
                                 : QStringLiteral("Update.asp could not be written; the error "
                                                  "log says why."),
                         kProductName, MsgButtons::Ok,
                         written ? MsgIcon::Information : MsgIcon::Exclamation);
    });
}

bool frmMain::isMenuShortcut(const QKeyEvent* key) const {
    const QKeySequence pressed(key->keyCombination());
    for (const QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        for (const QAction* a : menu->actions()) {
            if (!a->isEnabled()) continue;
            for (const QKeySequence& s : a->shortcuts())
                if (s.matches(pressed) == QKeySequence::ExactMatch) return true;
        }
    }
    return false;
}

bool frmMain::eventFilter(QObject* watched, QEvent* e) {
    if (watched == fraRightSide_ && e->type() == QEvent::Resize) {
        adjustfraRightSide();
    } else if (watched == fraTabs_[0] && e->type() == QEvent::MouseButtonPress) {
        fraTabs_MouseDown(static_cast<QMouseEvent*>(e));
    }
    return QMainWindow::eventFilter(watched, e);
}

void frmMain::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    ResumeTrap trap(*g_.errorLog, QStringLiteral("Form Resize"));
    trap.step([&] {
        statusBar()->setVisible(statusBarVisible(pixelsToTwips(width()), pixelsToTwips(height())));
    });
    trap.step([&] { adjustfraRightSide(); });
}

void frmMain::adjustfraRightSide() {
    if (!fraRightSide_ || !tabTasks_) return;
    ResumeTrap trap(*g_.errorLog, QStringLiteral("adjustfraRightSide"));
    trap.step([&] {
        RightSideInput in;
        in.width = pixelsToTwips(fraRightSide_->width());
        in.height = pixelsToTwips(fraRightSide_->height());
        in.goWidth = pixelsToTwips(imgGoButton_->sizeHint().width());
        in.addressHeight = pixelsToTwips(txtSubmitURL_->sizeHint().height());
        in.stripHeight = pixelsToTwips(qMax(prgWebBrowser_->sizeHint().height(),
                                            fraDirectionalNavigation_->sizeHint().height()));
        in.navWidth = pixelsToTwips(fraDirectionalNavigation_->sizeHint().width());
        in.progressWidth = 3000;
        const RightSideLayout l = layoutRightSide(in);
        auto px = [this](const QRect& r) {
            return QRect(twipsToPixels(r.left()), twipsToPixels(r.top()), twipsToPixels(r.width()),
                         twipsToPixels(r.height()));
        };
        tabTasks_->setGeometry(px(l.tabs));
        txtSubmitURL_->setGeometry(px(l.address));
        imgGoButton_->setGeometry(px(l.go));
        if (browser_) browser_->widget()->setGeometry(px(l.browser));
        fraBrowserControls_->setGeometry(px(l.strip));
        fraDirectionalNavigation_->setVisible(l.navVisible);
        fraDirectionalNavigation_->setGeometry(px(l.nav));
        prgWebBrowser_->setVisible(l.progressVisible);
        // The bar fills what the navigation buttons leave free.
        QRect bar = px(l.progress);
        bar.setWidth(qMax(bar.width(), px(l.nav).left() - twipsToPixels(kLayoutGap)));
        prgWebBrowser_->setGeometry(bar);
    });
}

}  // namespace fd
