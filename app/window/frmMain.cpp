#include "frmMain.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ProgramIcon.h"

namespace fd {

frmMain::frmMain(Globals& g, Dialogs& dialogs, WebBrowser* browser, QWidget* parent)
    : QMainWindow(parent), g_(g), dialogs_(dialogs), browser_(browser) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kProductName);
    setWindowIcon(programIcon());
    buildWindow();
    buildMenus();
    setupBrowser();
    setupSites();
    setupSubmit();
    setupWindow();
    setupSitemap();
    setupPublish();
    setupUpdate();
    setupReports();
    setupAudit();
    setupDiscover();
    setupStartPage();
    setupTabOrder();
}

frmMain::~frmMain() = default;

void frmMain::buildWindow() {
    splitMain_ = new QSplitter(Qt::Horizontal, this);
    splitMain_->setObjectName(QStringLiteral("splitMain"));
    tvwWebSiteDirectory_ = new QTreeWidget(splitMain_);
    tvwWebSiteDirectory_->setObjectName(QStringLiteral("tvwWebSiteDirectory"));
    tvwWebSiteDirectory_->setHeaderHidden(true);

    fraRightSide_ = new QFrame(splitMain_);
    fraRightSide_->setObjectName(QStringLiteral("fraRightSide"));
    // The right side is laid out by adjustfraRightSide(), not by a layout.
    tabTasks_ = new QTabWidget(fraRightSide_);
    tabTasks_->setObjectName(QStringLiteral("tabTasks"));
    tabTasks_->setAccessibleName(QStringLiteral("Tasks"));
    const char* captions[] = {"Configuration", "Page Details", "Page Check", "Page Submission"};
    for (int i = 0; i < 4; ++i) {
        fraTabs_[i] = new QFrame;
        fraTabs_[i]->setObjectName(QStringLiteral("fraTabs_%1").arg(i));
        tabTasks_->addTab(fraTabs_[i], QString::fromLatin1(captions[i]));
    }
    // Page Details: the browser part puts its fields at the top; the row of
    // buttons below takes the buttons of every part that works on the page.
    pageDetailsLayout_ = new QVBoxLayout(fraTabs_[1]);
    pageDetailsButtons_ = new QHBoxLayout;
    pageDetailsLayout_->addLayout(pageDetailsButtons_);

    txtSubmitURL_ = new QLineEdit(fraRightSide_);
    txtSubmitURL_->setObjectName(QStringLiteral("txtSubmitURL"));
    txtSubmitURL_->setAccessibleName(QStringLiteral("Address"));
    txtSubmitURL_->setToolTip(QStringLiteral(
        "This is the page that will be submitted when you click a search engine button."));
    imgGoButton_ = new QToolButton(fraRightSide_);
    imgGoButton_->setObjectName(QStringLiteral("imgGoButton"));
    imgGoButton_->setText(QStringLiteral("Go"));
    if (browser_) browser_->widget()->setParent(fraRightSide_);

    fraBrowserControls_ = new QFrame(fraRightSide_);
    fraBrowserControls_->setObjectName(QStringLiteral("fraBrowserControls"));
    prgWebBrowser_ = new QProgressBar(fraBrowserControls_);
    prgWebBrowser_->setObjectName(QStringLiteral("prgWebBrowser"));
    prgWebBrowser_->setRange(0, 100);
    prgWebBrowser_->setValue(0);
    prgWebBrowser_->setTextVisible(false);
    prgWebBrowser_->setAccessibleName(QStringLiteral("Page loading progress"));
    fraDirectionalNavigation_ = new QFrame(fraBrowserControls_);
    fraDirectionalNavigation_->setObjectName(QStringLiteral("fraDirectionalNavigation"));
    fraRightSide_->installEventFilter(this);

    splitMain_->addWidget(tvwWebSiteDirectory_);
    splitMain_->addWidget(fraRightSide_);
    splitMain_->setStretchFactor(1, 1);
    setCentralWidget(splitMain_);

    auto* sbr = statusBar();
    sbr->setObjectName(QStringLiteral("sbrWebBrowser"));
    const char* tips[] = {"Web Browser Status Bar", "Error Messages Window", "", ""};
    for (int i = 0; i < 4; ++i) {
        sbrPanels_[i] = new QLabel(sbr);
        sbrPanels_[i]->setObjectName(QStringLiteral("sbrWebBrowser_%1").arg(i + 1));
        sbrPanels_[i]->setToolTip(QString::fromLatin1(tips[i]));
        sbr->addWidget(sbrPanels_[i], i < 2 ? 1 : 0);
    }
    resize(1100, 760);
}

void frmMain::buildMenus() {
    auto menu = [this](const char* name, const char* caption) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(caption));
        m->setObjectName(QString::fromUtf8(name));
        return m;
    };
    menuFile_ = menu("File", "&File");
    menuEdit_ = menu("Edit", "&Edit");
    menuView_ = menu("View", "&View");
    menuTools_ = menu("Report", "&Tools");
    menuSupport_ = menu("Support", "&Support");
    menuHelp_ = menu("Help", "&Help");
}

void frmMain::load() {
    g_.gPopUpCount = 0;
    g_.gPopUpThreshold = 2;
    loadRestoreSettings();
    loadEngineLists();
    // The start page: the root URL when there is one, else the blank page.
    if (browser_) browser_->navigate(startPage());
    loadFinishSites();
    loadFinishBrowser();
}

QString frmMain::startPage() const {
    const QString root = rootUrl();
    return root.isEmpty() ? g_.fileUrl(QStringLiteral("blank.html")) : root;
}

QString frmMain::homePage() const {
    return rootSelected() ? rootUrl() : g_.fileUrl(QStringLiteral("blank.html"));
}

void frmMain::closeEvent(QCloseEvent* e) {
    unloadSaveSettings();
    e->accept();
    emit closed();
}

}  // namespace fd
