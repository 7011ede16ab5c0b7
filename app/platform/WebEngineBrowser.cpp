#include "WebEngineBrowser.h"

#include <QFileInfo>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace fd {

namespace {

// A page that reports every navigation (frames included) before it starts,
// and asks the browser's owner before opening a new window.
class Page : public QWebEnginePage {
public:
    Page(WebEngineBrowser* owner, QObject* parent) : QWebEnginePage(parent), owner_(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        emit owner_->beforeNavigate2(url.toString());
        return true;
    }
    QWebEnginePage* createWindow(WebWindowType) override {
        bool cancel = false;
        emit owner_->newWindow2(&cancel);
        if (cancel) return nullptr;
        // Allowed pop-ups open outside the program, in their own window.
        auto* v = new QWebEngineView;
        v->setAttribute(Qt::WA_DeleteOnClose);
        v->resize(800, 600);
        v->show();
        return v->page();
    }

private:
    WebEngineBrowser* owner_;
};

}  // namespace

WebEngineBrowser::WebEngineBrowser(QWidget* parent) : view_(new QWebEngineView(parent)) {
    view_->setObjectName(QStringLiteral("wbWebViewer"));
    auto* page = new Page(this, view_);
    view_->setPage(page);
    connect(view_, &QWebEngineView::loadStarted, this, [this] { emit progressChange(0, 100); });
    connect(view_, &QWebEngineView::loadProgress, this,
            [this](int p) { emit progressChange(p, 100); });
    connect(view_, &QWebEngineView::titleChanged, this, [this](const QString& t) {
        emit titleChange(t);
    });
    connect(view_, &QWebEngineView::urlChanged, this, [this] { updateCommandState(); });
    connect(page, &QWebEnginePage::linkHovered, this,
            [this](const QString& url) { emit statusTextChange(url); });
    connect(view_, &QWebEngineView::loadFinished, this, &WebEngineBrowser::onLoadFinished);
    connect(page, &QWebEnginePage::windowCloseRequested, this, [this] {
        bool cancel = false;
        emit windowClosing(&cancel);
    });
}

WebEngineBrowser::~WebEngineBrowser() = default;

QWidget* WebEngineBrowser::widget() { return view_; }

QUrl WebEngineBrowser::toUrl(const QString& address) {
    QString a = address.trimmed();
    if (a.startsWith(QLatin1String("file:\\\\\\"), Qt::CaseInsensitive)) {
        QString path = a.mid(8);
        path.replace(u'\\', u'/');
        return QUrl::fromLocalFile(path);
    }
    if (QFileInfo(a).isAbsolute() && QFileInfo::exists(a)) return QUrl::fromLocalFile(a);
    return QUrl::fromUserInput(a);
}

void WebEngineBrowser::navigate(const QString& url) { view_->load(toUrl(url)); }

void WebEngineBrowser::navigatePost(const QString& url, const QByteArray& body,
                                    const QString& headers) {
    QWebEngineHttpRequest req(toUrl(url), QWebEngineHttpRequest::Post);
    req.setPostData(body);
    for (const QString& line : headers.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0) continue;
        req.setHeader(line.left(colon).trimmed().toLatin1(), line.mid(colon + 1).trimmed().toLatin1());
    }
    view_->load(req);
}

void WebEngineBrowser::goBack() { view_->back(); }
void WebEngineBrowser::goForward() { view_->forward(); }
void WebEngineBrowser::goHome() {
    if (!home_.isEmpty()) navigate(home_);
}
void WebEngineBrowser::stop() { view_->stop(); }

bool WebEngineBrowser::print() { return false; }
bool WebEngineBrowser::printPreview() { return false; }
bool WebEngineBrowser::saveAs() { return false; }

QString WebEngineBrowser::locationUrl() const { return view_->url().toString(); }

void WebEngineBrowser::updateCommandState() {
    auto* h = view_->history();
    const bool back = h->canGoBack(), fwd = h->canGoForward();
    if (back != lastBack_) emit commandStateChange(kCommandBack, back);
    if (fwd != lastForward_) emit commandStateChange(kCommandForward, fwd);
    lastBack_ = back;
    lastForward_ = fwd;
}

void WebEngineBrowser::onLoadFinished(bool) {
    updateCommandState();
    snapshot_ = DocumentSnapshot{};
    snapshot_.title = view_->title();
    emit documentComplete(locationUrl());
}

}  // namespace fd
