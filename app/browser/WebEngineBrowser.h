#pragma once
// WebBrowser over Qt WebEngine: the embedded browser of the main window. When
// a load finishes it reads the document with the snapshot script of
// PageScripts, run in the application's own script world.

#include <QElapsedTimer>
#include <QPointer>
#include <QUrl>
#include <QVector>
#include <QWebEngineView>
#include <memory>

#include "platform/WebBrowser.h"

class QPrinter;
class QWebEnginePage;

namespace fd {

class WebEngineBrowser : public WebBrowser {
    Q_OBJECT
public:
    explicit WebEngineBrowser(QWidget* parent = nullptr);
    ~WebEngineBrowser() override;

    QWidget* widget() override;
    void navigate(const QString& url) override;
    void navigatePost(const QString& url, const QByteArray& body, const QString& headers) override;
    void goBack() override;
    void goForward() override;
    void goHome() override;
    void stop() override;
    bool print() override;
    bool printPreview() override;
    bool saveAs(const QString& path) override;
    QString locationUrl() const override;
    QString homeUrl() const override { return home_; }
    void setHomeUrl(const QString& url) override { home_ = url; }
    DocumentSnapshot document() const override { return snapshot_; }

    // Prints the page on printer in the background (printFinished follows);
    // the printer must live until then. False when a print job is running.
    bool printTo(QPrinter* printer);

    QWebEngineView* view() const { return view_; }
    // Milliseconds from the end of the last load to the arrival of its
    // snapshot.
    qint64 lastSnapshotMs() const { return lastSnapshotMs_; }

    // Makes the program's own URL scheme known to the browser engine; to be
    // called once before the application object is created.
    static void registerProgramScheme();

    // Turns an address as typed (file:\\\ paths, bare host names) into a URL.
    static QUrl toUrl(const QString& address);

    // Called by the page (frames included) and when it wants a new window.
    void pageNavigating(const QUrl& url);
    // A navigation to the program's own scheme, which is never loaded;
    // clicked: a link followed in the top-level page.
    void pageFollowsProgramLink(const QUrl& url, bool clicked);
    QWebEnginePage* pageWantsWindow();
    void pageClosing();
    // A script of the page called window.close(): raises windowClosing.
    void pageWantsClose();
    // The console message by which the page's window.close() reaches us.
    const QString& closeMessage() const { return closeMessage_; }

private:
    void onLoadStarted();
    void onLoadFinished(bool ok);
    void updateCommandState(bool force = false);

    QPointer<QWebEngineView> view_;
    QString closeMessage_;
    QString home_;
    DocumentSnapshot snapshot_;
    int lastBack_ = -1, lastForward_ = -1;
    // Bumped at every load so a late snapshot of an earlier load is dropped.
    quint64 loadSerial_ = 0;
    QElapsedTimer sinceFinished_;
    qint64 lastSnapshotMs_ = -1;
    std::unique_ptr<QPrinter> printer_;
    bool printing_ = false;
    bool previewing_ = false;
    bool closing_ = false;  // the page is being destroyed
    QVector<QPointer<QWebEngineView>> popUps_;
};

}  // namespace fd
