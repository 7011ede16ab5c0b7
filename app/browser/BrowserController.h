#pragma once
// The main window's browser handling: Go and the address bar, Back, Forward
// and Stop with their pictures, the progress bar and the status panels, the
// browser's events (which clear and refill the Page Details tab), pop-up
// blocking, a page that closes its window, and the File menu's Print Page,
// Print Preview and Save Page As. The window lays out the controls and hands
// them over; the controller fills the navigation strip and adds its menu
// items.

#include <QObject>
#include <QPointer>
#include <array>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QToolButton;
class QWidget;

namespace fd {

class Dialogs;
class NavigationPictures;
class PageDetailsTab;
class WebBrowser;
struct Globals;

// The window's controls the browser handling drives.
struct BrowserControls {
    QLineEdit* address = nullptr;      // txtSubmitURL
    QToolButton* go = nullptr;         // imgGoButton
    QProgressBar* progress = nullptr;  // prgWebBrowser
    QFrame* navigation = nullptr;      // fraDirectionalNavigation: gets Back, Forward, Stop
    std::array<QLabel*, 4> status{};   // the four panels of sbrWebBrowser
    QMenu* fileMenu = nullptr;         // gets Save Page As, Print Preview, Print Page first
    QMenu* toolsMenu = nullptr;        // gets Prevent Pop-ups
};

class BrowserController : public QObject {
    Q_OBJECT
public:
    // window is the parent of the questions asked and of the controller.
    BrowserController(Globals& g, Dialogs& dialogs, WebBrowser* browser, PageDetailsTab& details,
                      const BrowserControls& controls, QWidget* window);
    ~BrowserController() override;

    // imgGoButton_Click: clears the page details, cleans the address and
    // navigates to it.
    void goToAddress();
    // The browser's Navigate, with the address as it is.
    void navigate(const QString& url);
    QString addressText() const;
    void setAddressText(const QString& url);
    // Status panel 2, the messages panel.
    void setStatusMessage(const QString& text);
    // The end of the window's load: Stop shows its disabled picture.
    void loadFinished();

private:
    void addNavigationButtons();
    void addMenuItems();
    void startClock();
    void connectBrowser();
    void setPicture(QToolButton* button, const QString& key);

    void wbWebViewer_BeforeNavigate2();
    void wbWebViewer_ProgressChange(int progress, int maximum);
    void wbWebViewer_TitleChange();
    void wbWebViewer_DocumentComplete(const QString& url);
    void wbWebViewer_CommandStateChange(int command, bool enable);
    void wbWebViewer_NewWindow2(bool* cancel);
    void wbWebViewer_WindowClosing(bool* cancel);
    void askToAllowPopUps();
    void printPage(bool preview);
    void browserCommandFailed(const QString& routine, const QString& description);
    void savePageAs();
    void logSaveFailure(const QString& path);

    Globals& g_;
    Dialogs& dialogs_;
    QPointer<WebBrowser> browser_;
    PageDetailsTab& details_;
    BrowserControls c_;
    QWidget* window_;
    std::unique_ptr<NavigationPictures> imgLstNavigation_;
    QToolButton* imgBack_ = nullptr;
    QToolButton* imgForward_ = nullptr;
    QToolButton* imgStop_ = nullptr;
    QAction* PreventPopUps_ = nullptr;
    bool popUpQuestionPending_ = false;
};

}  // namespace fd
