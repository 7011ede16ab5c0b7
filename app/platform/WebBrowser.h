#pragma once
// The embedded browser as the program sees it: navigation (GET, or POST with
// a body and headers), history, printing and saving, the current location,
// a snapshot of the loaded document, and the browser's events.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVector>

class QWidget;

namespace fd {

// What the program reads of a loaded document: its title and, for every
// element in document order, its node name, name attribute and content
// attribute.
struct DocumentElement {
    QString nodeName;
    QString name;
    QString content;
};
struct DocumentSnapshot {
    bool isHtml = false;  // false: no element collection (not an HTML page)
    QString title;
    QVector<DocumentElement> elements;
};

// The program's own URL scheme. A link "farrowdale:NAME" followed on a local
// page (the start page in the program folder) is never loaded: the browser
// raises programLink(NAME) and the program does what NAME stands for.
inline const QString kProgramScheme = QStringLiteral("farrowdale");

// How a main-frame load ended: the page loaded, it failed, or it was stopped
// (by the user, or because another navigation took its place).
enum class LoadOutcome { Loaded, Failed, Stopped };

// Commands of CommandStateChange.
constexpr int kCommandForward = 1;
constexpr int kCommandBack = 2;

class WebBrowser : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~WebBrowser() override = default;

    virtual QWidget* widget() = 0;

    virtual void navigate(const QString& url) = 0;
    // A form POST: body bytes sent as they are, headers as "Name: value"
    // lines separated by CR LF.
    virtual void navigatePost(const QString& url, const QByteArray& body,
                              const QString& headers) = 0;
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    virtual void goHome() = 0;
    virtual void stop() = 0;

    // Printing and saving. Each returns false when the browser cannot do it.
    // print() asks for the printer (or a PDF file) and prints in the
    // background: printFinished reports the outcome; a cancelled dialog is
    // not a failure. printPreview() shows the preview window and returns when
    // it is closed. saveAs() writes the page as HTML to path in the
    // background; saveFinished reports the outcome.
    virtual bool print() = 0;
    virtual bool printPreview() = 0;
    virtual bool saveAs(const QString& path) = 0;

    virtual QString locationUrl() const = 0;
    virtual QString homeUrl() const = 0;
    virtual void setHomeUrl(const QString& url) = 0;
    // The snapshot taken when the last load finished; documentComplete is
    // raised once it has arrived.
    virtual DocumentSnapshot document() const = 0;

signals:
    // Before the top document navigates; a frame's navigation inside it is
    // not reported, as no documentComplete would follow it.
    void beforeNavigate2(const QString& url);
    void progressChange(int progress, int maximum);
    void statusTextChange(const QString& text);
    void titleChange(const QString& title);
    void documentComplete(const QString& url);
    void commandStateChange(int command, bool enable);
    // Set *cancel to true to refuse the new window.
    void newWindow2(bool* cancel);
    // Set *cancel to true to keep the window open.
    void windowClosing(bool* cancel);
    // A link of the program's own scheme was followed on a local page;
    // raised after the navigation was refused, from the event loop.
    void programLink(const QString& name);

    // The main frame's load ended. httpStatus is the error status the server
    // answered (404, 500, ...), 0 when it reported none; errorText says what
    // failed.
    void mainFrameLoaded(const QString& url, fd::LoadOutcome outcome, int httpStatus,
                         const QString& errorText);
    void printFinished(bool ok);
    void saveFinished(const QString& path, bool ok);
};

}  // namespace fd
