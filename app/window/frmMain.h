#pragma once
// The main window: the site directory tree on the left; on the right the four
// work tabs, the address bar, the embedded browser and the navigation strip;
// the status bar along the bottom. It composes the subsystems' widgets and
// implements MainHub for them.

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>

#include "MainHub.h"
#include "core/Globals.h"
#include "platform/Dialogs.h"
#include "platform/InetTransfer.h"
#include "platform/Shell.h"
#include "platform/WebBrowser.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QSplitter;
class QTabWidget;
class QTreeWidget;
class QFrame;
class QToolButton;
class QMenu;
class QAction;
class QVBoxLayout;
class QHBoxLayout;
class QKeyEvent;
class QMouseEvent;
class QResizeEvent;
class QRandomGenerator;

namespace fd {

namespace sites {
class ConfigurationTab;
class PageListController;
}  // namespace sites

struct SiteMapServices;

class frmMain : public QMainWindow, public MainHub {
    Q_OBJECT
public:
    // The window uses the globals, the dialogs and the browser it is handed;
    // the browser is created by the caller so tests can give a fake.
    frmMain(Globals& g, Dialogs& dialogs, WebBrowser* browser, QWidget* parent = nullptr);
    ~frmMain() override;

    // The load routine: restores settings, fills lists, opens the start page.
    void load();
    // The program's start: the page list that load() would import is only
    // noted, and restorePageList() imports it once the window shows, so a
    // long list keeps neither the window from appearing nor the user from
    // seeing its progress. Without this, load() imports it at once.
    void deferPageListRestore();
    void restorePageList();

    Globals& globals() { return g_; }
    Dialogs& dialogs() { return dialogs_; }
    WebBrowser* browser() { return browser_; }

    // MainHub
    QString siteName() const override;
    bool siteSelected() const override;
    long long selectedWebSiteId() const override;
    int selectedSiteIndex() const override;
    QString rootUrl() const override;
    bool rootSelected() const override;
    QString industry() const override;
    QString submitterName() const override;
    QString submitterEmail() const override;
    QString countryCode() const override;
    QString addressText() const override;
    void setAddressText(const QString& url) override;
    void goToAddress() override;
    void navigate(const QString& url) override;
    void setStatusMessage(const QString& text) override;
    QString pageDescription() const override;
    QString pageKeywords() const override;
    void setPageToSubmit(const QString& url) override;
    bool selectedTreePage(QString* text) const override;
    // The text of every page node of the site directory tree, in tree order.
    QStringList treePages() const override;
    QString programFolder() const override { return g_.programFolder; }

    // The start page: the root URL, else the folder's blank.html.
    QString startPage() const;
    // The browser's home page (View > Homepage): the root URL while one is
    // selected, else the folder's blank.html.
    QString homePage() const;

signals:
    // Emitted once the window has finished closing (settings saved).
    void closed();

public:
    // The desktop shell and the sound player; tests may hand in their own.
    void setShell(std::unique_ptr<Shell> shell);
    void setSoundPlayer(std::unique_ptr<SoundPlayer> sound);
    // The right side's layout (after every resize and splitter move).
    void adjustfraRightSide();

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildWindow();
    void buildMenus();

    // Each subsystem composes its part of the window in a file of its own
    // (frmMain_sites.cpp, frmMain_browser.cpp, frmMain_submit.cpp): the
    // controls it owns, its menu items and its share of MainHub.
    void setupSites();
    void setupBrowser();
    void setupSubmit();
    void setupWindow();    // frmMain_window.cpp: menus, layout, about box
    void setupTabOrder();  // Tab and Shift+Tab in reading order
    // The load routine's steps that belong to each subsystem.
    void loadRestoreSettings();  // settings row, last page list
    void loadEngineLists();      // engine lists
    void loadFinishSites();      // second refill, enable name box, expand tree
    void loadFinishBrowser();    // Stop picture
    // The unload routine's save of the settings row.
    void unloadSaveSettings();

    // --- sites: members added by the sites subsystem below this line
    // The Configuration tab, the site directory tree and the page lists.
    class SitesPart* sites_ = nullptr;
    // The Configuration tab, for the parts that add a section to it.
    sites::ConfigurationTab* configurationTab() const;
    // The page lists of the tree, for the parts that fill it.
    sites::PageListController* pageListController() const;
    // --- browser: members added by the browser subsystem below this line
    class PageDetailsTab* pageDetails_ = nullptr;
    class BrowserController* browserPart_ = nullptr;  // the browser's events, buttons, menu items
    // --- window: the frame's own menus, layout and gestures (frmMain_window.cpp)
    std::unique_ptr<Shell> shell_;
    std::unique_ptr<SoundPlayer> sound_;
    void ViewFavoritesInBrowser();
    void showAbout();
    void fraTabs_MouseDown(QMouseEvent* e);
    // True when the key is the shortcut of an enabled item of the menus.
    bool isMenuShortcut(const QKeyEvent* key) const;
    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;
    // --- start page: the getting-started links of blank.html (frmMain_startpage.cpp)
    void setupStartPage();
    void followProgramLink(const QString& name);
    // --- reports: the report dialog, the latest change request and the
    // directory update URL (frmMain_reports.cpp)
    void setupReports();
    void openReportDialog();
    void cmdViewLatestChangeRequest_Click();
    void cmdReportGenerator_Click();
    // The default printer the submission report prints on, opened on first
    // use; its job stays open until the program ends.
    std::shared_ptr<class PrinterDeviceHolder> reportPrinter_;
    // --- audit: the Tools menu's site audit (frmMain_audit.cpp)
    void setupAudit();
    void AuditSite_Click();
    QPointer<class QDialog> auditWindow_;  // created on first use, gone when closed
    // --- discover: File > Discover Pages from Site (frmMain_discover.cpp)
    void setupDiscover();
    void DiscoverPages_Click();
    QPointer<class QDialog> discoverWindow_;  // while it is open
    // --- publish: the publish target on the Configuration tab and Tools >
    // "Publish to Site..." (frmMain_publish.cpp)
public:
    // Tests may hand in their own keyring before the window is loaded.
    void setKeyring(std::shared_ptr<class Keyring> keyring);

private:
    void setupPublish();
    void PublishToSite_Click();
    std::shared_ptr<class Keyring> keyring_;
    class PublishTargetPanel* publishTarget_ = nullptr;
    QPointer<class QDialog> publishWindow_;  // created on use, gone when closed
    // --- sitemap: the Tools menu's site map (frmMain_sitemap.cpp)
    void setupSitemap();
    void CreateSiteMap_Click();
    void CreateXmlSitemap_Click();
    // What both site maps need from the window.
    SiteMapServices siteMapServices();
    // The random part of the upload names, seeded the same at every start.
    std::shared_ptr<QRandomGenerator> siteMapRandom_;
    // --- submit: members added by the submission subsystem below this line
public:
    // Empties and refills both engine lists from the catalogue (at load and
    // after a catalogue update).
    void UpdateSearchEngineLists();

private:
    class PageCheckTab* pageCheckTab_ = nullptr;            // fraTabs_[2]
    class PageSubmissionTab* pageSubmissionTab_ = nullptr;  // fraTabs_[3]
    // The IndexNow key of the selected root URL, on the Configuration tab.
    class IndexNowKeyPanel* indexNowKey_ = nullptr;
    // The HTTP client of the IndexNow engines and the key-file check.
    std::shared_ptr<class HttpClient> http_;

    // --- update: the transfer control and the catalogue update (frmMain_update.cpp)
public:
    // The one transfer control, shared by the catalogue update and every
    // upload; a second request while one runs is refused.
    InetTransfer& transfer() { return *inetQELS_; }
    // Tests may hand in their own control before the first request.
    void setTransfer(std::unique_ptr<InetTransfer> transfer);
    // Fetches the update server's answer in the background and applies it
    // to the catalogue when it arrives; with bShowMessages false only the
    // empty-address message is shown. Nothing happens while a run waits.
    void UpdateSearchEngineData(bool bShowMessages);
    bool updateRunning() const;

private:
    void setupUpdate();
    void SendErrorLog_Click();
    std::unique_ptr<InetTransfer> inetQELS_;
    class UpdateRunner* updateRunner_ = nullptr;
    QString updateUrl_;  // kept between runs

    Globals& g_;
    Dialogs& dialogs_;
    QPointer<WebBrowser> browser_;

    QSplitter* splitMain_ = nullptr;
    QTreeWidget* tvwWebSiteDirectory_ = nullptr;  // replaced by the sites subsystem's tree
    QMenu* menuFile_ = nullptr;
    QMenu* menuEdit_ = nullptr;
    QMenu* menuView_ = nullptr;
    QMenu* menuTools_ = nullptr;
    QMenu* menuSupport_ = nullptr;
    QMenu* menuHelp_ = nullptr;
    QFrame* fraRightSide_ = nullptr;
    QTabWidget* tabTasks_ = nullptr;
    QFrame* fraTabs_[4] = {};
    QVBoxLayout* pageDetailsLayout_ = nullptr;   // layout of fraTabs_[1]
    QHBoxLayout* pageDetailsButtons_ = nullptr;  // its row of buttons
    QLineEdit* txtSubmitURL_ = nullptr;
    QToolButton* imgGoButton_ = nullptr;
    QFrame* fraBrowserControls_ = nullptr;
    QProgressBar* prgWebBrowser_ = nullptr;
    QFrame* fraDirectionalNavigation_ = nullptr;
    QLabel* sbrPanels_[4] = {};
};

}  // namespace fd
