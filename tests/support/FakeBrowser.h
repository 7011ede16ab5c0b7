#pragma once
// A WebBrowser that records what it is asked to do, for tests of windows that
// only need to know where the browser was sent. Events are raised by the test.

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "platform/WebBrowser.h"

class QWidget;

namespace fd::test {

struct PostRequest {
    QString url;
    QByteArray body;
    QString headers;
};

class FakeBrowser : public WebBrowser {
    Q_OBJECT
public:
    FakeBrowser();
    ~FakeBrowser() override;
    QWidget* widget() override;
    void navigate(const QString& url) override {
        navigations << url;
        location = url;
    }
    void navigatePost(const QString& url, const QByteArray& body, const QString& headers) override {
        posts.push_back({url, body, headers});
        location = url;
    }
    void goBack() override { ++backs; }
    void goForward() override { ++forwards; }
    void goHome() override { navigate(home); }
    void stop() override { ++stops; }
    bool print() override { return printOk; }
    bool printPreview() override { return printOk; }
    bool saveAs(const QString& path) override {
        saved << path;
        return saveOk;
    }
    QString locationUrl() const override { return location; }
    QString homeUrl() const override { return home; }
    void setHomeUrl(const QString& url) override { home = url; }
    DocumentSnapshot document() const override { return snapshot; }

    QStringList navigations;
    QStringList saved;  // paths handed to saveAs
    std::vector<PostRequest> posts;
    int backs = 0, forwards = 0, stops = 0;
    bool printOk = true, saveOk = true;
    QString location, home;
    DocumentSnapshot snapshot;

private:
    // The window that shows the widget may delete it first.
    QPointer<QWidget> widget_;
};

}  // namespace fd::test
