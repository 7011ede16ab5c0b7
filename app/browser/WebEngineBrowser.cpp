#include "WebEngineBrowser.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include "PageScripts.h"
#include "core/FileReplace.h"
#include "platform/HtmlEncoding.h"

namespace fd {

namespace {

// A page that reports each navigation of its top document before it starts,
// and asks the browser before opening a new window.
class Page : public QWebEnginePage {
public:
    Page(WebEngineBrowser* owner, QObject* parent) : QWebEnginePage(parent), owner_(owner) {}
    // Scripts still running are answered (empty) while the base class is
    // destroyed, when the window around the view may be half gone already.
    ~Page() override {
        if (owner_) owner_->pageClosing();
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (url.scheme() == kProgramScheme) {
            if (owner_)
                owner_->pageFollowsProgramLink(url,
                                               type == NavigationTypeLinkClicked && isMainFrame);
            return false;
        }
        // Only the top document's navigations are the page's: a frame that
        // loads later (a script navigating an iframe, or adding one) gets no
        // completion of its own, so it must not clear the page's details.
        if (owner_ && isMainFrame) owner_->pageNavigating(url);
        return true;
    }
    QWebEnginePage* createWindow(WebWindowType) override {
        return owner_ ? owner_->pageWantsWindow() : nullptr;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override {
        if (owner_ && message == owner_->closeMessage()) {
            owner_->pageWantsClose();
            return;
        }
        QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
    }

private:
    QPointer<WebEngineBrowser> owner_;
};

// Answers every request of the program's own scheme with a refusal, so that
// nothing of it is ever loaded (an image or a frame pointing at a program
// link, say) and no request leaves the machine.
class ProgramSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
    }
};

// How long the print preview waits for the page to be rendered for it.
constexpr int kPreviewRenderTimeoutMs = 60000;

}  // namespace

void WebEngineBrowser::registerProgramScheme() {
    const QByteArray name = kProgramScheme.toLatin1();
    if (QWebEngineUrlScheme::schemeByName(name).name() == name) return;
    QWebEngineUrlScheme scheme(name);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

WebEngineBrowser::WebEngineBrowser(QWidget* parent)
    : view_(new QWebEngineView(parent)),
      closeMessage_(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    view_->setObjectName(QStringLiteral("wbWebViewer"));
    auto* page = new Page(this, view_);
    QWebEngineProfile* profile = page->profile();
    const QByteArray scheme = kProgramScheme.toLatin1();
    if (QWebEngineUrlScheme::schemeByName(scheme).name() == scheme &&
        !profile->urlSchemeHandler(scheme))
        profile->installUrlSchemeHandler(scheme, new ProgramSchemeHandler(profile));
    view_->setPage(page);
    // The engine lets a script close only a window without history, and the
    // browser always has some; so a page's window.close() is taken over
    // before the page's own scripts run and handed to the program instead.
    // The page reaches the program through a console message carrying a
    // per-browser token, logged with the console function as it was then.
    QWebEngineScript closer;
    closer.setName(QStringLiteral("window-close"));
    closer.setInjectionPoint(QWebEngineScript::DocumentCreation);
    closer.setWorldId(QWebEngineScript::MainWorld);
    closer.setRunsOnSubFrames(false);
    closer.setSourceCode(pagescripts::windowCloseHook(closeMessage_));
    page->scripts().insert(closer);
    // Pop-ups reach NewWindow2, where the program decides on them.
    page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    // Loads are followed through their loading information, which names the
    // address: a link of the program's own scheme, refused above, still
    // reports a load that starts and stops, and that is no load of a page.
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.url().scheme() == kProgramScheme) return;
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
            onLoadStarted();
        else
            onLoadFinished(info.status() == QWebEngineLoadingInfo::LoadSucceededStatus);
    });
    connect(view_, &QWebEngineView::loadProgress, this,
            [this](int p) { emit progressChange(p, 100); });
    connect(view_, &QWebEngineView::titleChanged, this,
            [this](const QString& t) { emit titleChange(t); });
    connect(view_, &QWebEngineView::urlChanged, this, [this] {
        updateCommandState();
        // A new address is a new title as far as the program is concerned,
        // also when two pages carry the same title.
        emit titleChange(view_->title());
    });
    connect(page, &QWebEnginePage::linkHovered, this,
            [this](const QString& url) { emit statusTextChange(url); });
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& i) {
        // Chromium's code for a load abandoned for another one.
        constexpr int kAborted = -3;
        // The program's own links are no loads of a page (see above).
        if (i.url().scheme() == kProgramScheme) return;
        const QString url = i.url().toString();
        switch (i.status()) {
            case QWebEngineLoadingInfo::LoadStartedStatus:
                return;
            case QWebEngineLoadingInfo::LoadSucceededStatus:
                emit mainFrameLoaded(url, LoadOutcome::Loaded, 0, QString());
                return;
            case QWebEngineLoadingInfo::LoadStoppedStatus:
                emit mainFrameLoaded(url, LoadOutcome::Stopped, 0, i.errorString());
                return;
            case QWebEngineLoadingInfo::LoadFailedStatus:
                if (i.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
                    emit mainFrameLoaded(url, LoadOutcome::Failed, i.errorCode(), i.errorString());
                else
                    emit mainFrameLoaded(
                        url, i.errorCode() == kAborted ? LoadOutcome::Stopped : LoadOutcome::Failed,
                        0, i.errorString());
                return;
        }
    });
    connect(page, &QWebEnginePage::windowCloseRequested, this, [this] {
        bool cancel = false;
        emit windowClosing(&cancel);
    });
    connect(view_, &QWebEngineView::printFinished, this, [this](bool ok) {
        printing_ = false;
        if (!previewing_) emit printFinished(ok);
    });
    connect(view_, &QWebEngineView::pdfPrintingFinished, this, [this](const QString&, bool ok) {
        printing_ = false;
        emit printFinished(ok);
    });
}

WebEngineBrowser::~WebEngineBrowser() {
    for (const auto& p : popUps_) delete p.data();
    if (view_ && !view_->parent()) delete view_.data();
}

QWidget* WebEngineBrowser::widget() {
    return view_;
}

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

void WebEngineBrowser::navigate(const QString& url) {
    view_->load(toUrl(url));
}

void WebEngineBrowser::navigatePost(const QString& url, const QByteArray& body,
                                    const QString& headers) {
    QWebEngineHttpRequest req(toUrl(url), QWebEngineHttpRequest::Post);
    req.setPostData(body);
    for (const QString& line : headers.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0) continue;
        req.setHeader(line.left(colon).trimmed().toLatin1(),
                      line.mid(colon + 1).trimmed().toLatin1());
    }
    view_->load(req);
}

void WebEngineBrowser::goBack() {
    view_->back();
}
void WebEngineBrowser::goForward() {
    view_->forward();
}
void WebEngineBrowser::goHome() {
    if (!home_.isEmpty()) navigate(home_);
}
void WebEngineBrowser::stop() {
    view_->stop();
}

QString WebEngineBrowser::locationUrl() const {
    return view_->url().toString();
}

void WebEngineBrowser::pageClosing() {
    closing_ = true;
    ++loadSerial_;
}

void WebEngineBrowser::pageWantsClose() {
    // Answered once the console callback has returned.
    QTimer::singleShot(0, this, [this] {
        if (closing_) return;
        bool cancel = false;
        emit windowClosing(&cancel);
    });
}

void WebEngineBrowser::pageNavigating(const QUrl& url) {
    emit beforeNavigate2(url.toString());
}

void WebEngineBrowser::pageFollowsProgramLink(const QUrl& url, bool clicked) {
    // Only a link followed in a page on this machine counts; a page from
    // the network gets nothing. (The engine reports a page's script setting
    // its location as a followed link too.)
    if (!clicked || !view_->url().isLocalFile()) return;
    const QString name = url.path();
    // Outside the navigation decision: the link may open a modal dialog.
    QTimer::singleShot(0, this, [this, name] { emit programLink(name); });
}

QWebEnginePage* WebEngineBrowser::pageWantsWindow() {
    bool cancel = false;
    emit newWindow2(&cancel);
    if (cancel) return nullptr;
    // An allowed pop-up opens outside the main window, in a window of its own.
    auto* v = new QWebEngineView;
    v->setObjectName(QStringLiteral("popUpWindow"));
    v->setAttribute(Qt::WA_DeleteOnClose);
    auto* page = new QWebEnginePage(view_->page()->profile(), v);
    v->setPage(page);
    connect(page, &QWebEnginePage::windowCloseRequested, v, &QWidget::close);
    connect(page, &QWebEnginePage::titleChanged, v, &QWidget::setWindowTitle);
    v->resize(800, 600);
    v->show();
    popUps_.removeAll(nullptr);
    popUps_.push_back(v);
    return page;
}

void WebEngineBrowser::updateCommandState(bool force) {
    auto* h = view_->history();
    const int back = h->canGoBack(), fwd = h->canGoForward();
    if (force || back != lastBack_) emit commandStateChange(kCommandBack, back);
    if (force || fwd != lastForward_) emit commandStateChange(kCommandForward, fwd);
    lastBack_ = back;
    lastForward_ = fwd;
}

void WebEngineBrowser::onLoadStarted() {
    ++loadSerial_;
    if (lastBack_ < 0) updateCommandState(true);
}

void WebEngineBrowser::onLoadFinished(bool) {
    updateCommandState();
    emit progressChange(-1, 100);
    const quint64 serial = ++loadSerial_;
    const QString url = locationUrl();
    sinceFinished_.start();
    // The snapshot arrives later; documentComplete waits for it. A page that
    // keeps its renderer busy delays only this callback, never the window,
    // and a newer load makes a late answer void.
    QPointer<WebEngineBrowser> self(this);
    view_->page()->runJavaScript(
        pagescripts::documentSnapshot(), QWebEngineScript::ApplicationWorld,
        [self, serial, url](const QVariant& result) {
            if (!self || self->closing_ || self->loadSerial_ != serial || !result.isValid()) return;
            self->snapshot_ = parseDocumentSnapshot(result.toString());
            self->lastSnapshotMs_ = self->sinceFinished_.elapsed();
            emit self->documentComplete(url);
        });
}

bool WebEngineBrowser::printTo(QPrinter* printer) {
    if (printing_ || !printer) return false;
    printing_ = true;
    // A PDF file is written by the engine itself, so its text stays text;
    // a real printer gets the page drawn onto it.
    if (printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty())
        view_->printToPdf(printer->outputFileName(), printer->pageLayout(), printer->pageRanges());
    else
        view_->print(printer);
    return true;
}

bool WebEngineBrowser::print() {
    if (printing_) return false;
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer_.get(), view_);
    if (dialog.exec() != QDialog::Accepted) return true;
    return printTo(printer_.get());
}

bool WebEngineBrowser::printPreview() {
    if (printing_) return false;
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, view_);
    bool ok = true;
    QPointer<QWebEngineView> view(view_);
    // The preview paints synchronously while the page is rendered for
    // printing in the background, so it waits here (bounded) for that
    // rendering; the preview window is modal already.
    connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* p) {
        if (!view) {
            ok = false;
            return;
        }
        QEventLoop wait;
        bool done = false;
        auto c = connect(view, &QWebEngineView::printFinished, &wait, [&](bool success) {
            done = true;
            ok = ok && success;
            wait.quit();
        });
        QTimer::singleShot(kPreviewRenderTimeoutMs, &wait, &QEventLoop::quit);
        previewing_ = true;
        printing_ = true;
        view->print(p);
        wait.exec();
        disconnect(c);
        previewing_ = false;
        if (!done) ok = false;
    });
    dialog.exec();
    return ok;
}

bool WebEngineBrowser::saveAs(const QString& path) {
    if (path.isEmpty()) return false;
    QPointer<WebEngineBrowser> self(this);
    // The page's text is written in the character set it declares, so the
    // saved file, whose declaration is kept, reopens as it was shown.
    view_->page()->runJavaScript(
        pagescripts::characterSet(), QWebEngineScript::ApplicationWorld,
        [self, path](const QVariant& charset) {
            if (!self || self->closing_) return;
            self->view_->page()->toHtml([self, path, cs = charset.toString()](const QString& html) {
                if (!self || self->closing_) return;
                const bool ok = FileReplacement(path).replaceWith(encodeHtmlForCharset(html, cs));
                emit self->saveFinished(path, ok);
            });
        });
    return true;
}

}  // namespace fd
