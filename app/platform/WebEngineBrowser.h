#pragma once
// WebBrowser over Qt WebEngine.

#include <QPointer>
#include <QUrl>
#include <QWebEngineView>

#include "WebBrowser.h"

class QWebEngineView;
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
    bool saveAs() override;
    QString locationUrl() const override;
    QString homeUrl() const override { return home_; }
    void setHomeUrl(const QString& url) override { home_ = url; }
    DocumentSnapshot document() const override { return snapshot_; }

    QWebEngineView* view() const { return view_; }

    // Turns an address as typed (file:\\\ paths, bare host names) into a URL.
    static QUrl toUrl(const QString& address);

private:
    void onLoadFinished(bool ok);
    void updateCommandState();

    QPointer<QWebEngineView> view_;
    QString home_;
    DocumentSnapshot snapshot_;
    bool lastBack_ = false, lastForward_ = false;
};

}  // namespace fd
