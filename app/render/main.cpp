// farrowdale-render: reads pages as the browser renders them, for the site
// audit of a program without a window (farrowdale-cli audit --rendered)
// and of the window alike. Protocol, one line each way per page:
//   stdin:  "<n> <url>"                 (end of input: finish and quit)
//   stdout: "<n> <json>"                the reading of the page after its
//           scripts ran (pagescripts::renderedReading()), with "notes": what
//           the page tried and was refused (windows, permissions, leaving
//           the page), or {"error": why, "notes": [...]} when it ended at its
//           time limit or did not load.
// Pages load in an off-the-record profile (nothing kept on disk: no
// cookies, no storage, no cache), without images, two at a time, each for
// at most 15 seconds.
#include <unistd.h>

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <deque>
#include <iostream>
#include <string>

#include "browser/PageScripts.h"

namespace {

constexpr int kAtOnce = 2;
constexpr int kLimitMs = 15000;
// Scripts that run just after the page has loaded (timers of a few tens of
// milliseconds) get this long before it is read.
constexpr int kSettleMs = 150;

class RenderPage : public QWebEnginePage {
    Q_OBJECT
public:
    RenderPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {
        connect(this, &QWebEnginePage::featurePermissionRequested, this,
                [this](const QUrl& origin, Feature feature) {
                    note(QStringLiteral("asked for a permission (%1)").arg(int(feature)));
                    setFeaturePermission(origin, feature, PermissionDeniedByUser);
                });
    }
    QStringList notes;

protected:
    QWebEnginePage* createWindow(WebWindowType) override {
        note(QStringLiteral("opened a window"));
        return nullptr;
    }
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
        return false;
    }
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        if (!isMainFrame) return true;
        if (navigations_++ == 0) return true;
        note(QStringLiteral("tried to leave the page for %1").arg(url.toString()));
        return false;
    }

private:
    void note(const QString& n) {
        if (!notes.contains(n) && notes.size() < 10) notes << n;
    }
    int navigations_ = 0;
};

class Renderer : public QObject {
    Q_OBJECT
public:
    Renderer() : profile_(new QWebEngineProfile(this)) {
        // A profile without a storage name is off the record.
        profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        profile_->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, false);
        profile_->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
    }

    void add(const QString& line) {
        const qsizetype blank = line.indexOf(u' ');
        if (blank <= 0) return;
        waiting_.push_back({line.left(blank), line.mid(blank + 1).trimmed()});
        next();
    }
    void endOfInput() {
        inputDone_ = true;
        next();
    }

private:
    struct Job {
        QString id;
        QString url;
    };

    void next() {
        while (running_ < kAtOnce && !waiting_.empty()) {
            Job job = waiting_.front();
            waiting_.pop_front();
            start(job);
        }
        if (inputDone_ && running_ == 0 && waiting_.empty()) QGuiApplication::quit();
    }

    void start(const Job& job) {
        ++running_;
        auto* page = new RenderPage(profile_, this);
        auto* limit = new QTimer(page);
        limit->setSingleShot(true);
        auto answered = std::make_shared<bool>(false);
        auto finish = [this, page, answered, id = job.id](QJsonObject result) {
            if (*answered) return;
            *answered = true;
            result.insert(QStringLiteral("notes"), QJsonArray::fromStringList(page->notes));
            std::cout << id.toStdString() << ' '
                      << QJsonDocument(result).toJson(QJsonDocument::Compact).toStdString()
                      << std::endl;
            page->deleteLater();
            --running_;
            QTimer::singleShot(0, this, [this] { next(); });
        };
        connect(limit, &QTimer::timeout, page, [finish] {
            finish(QJsonObject{
                {QStringLiteral("error"),
                 QStringLiteral("The page did not finish within %1 s").arg(kLimitMs / 1000)}});
        });
        connect(page, &QWebEnginePage::loadFinished, page, [page, finish](bool ok) {
            if (!ok) {
                finish(QJsonObject{
                    {QStringLiteral("error"), QStringLiteral("The page did not load")}});
                return;
            }
            QTimer::singleShot(kSettleMs, page, [page, finish] {
                page->runJavaScript(
                    fd::pagescripts::renderedReading(), QWebEngineScript::ApplicationWorld,
                    [finish](const QVariant& v) {
                        const QJsonDocument d = QJsonDocument::fromJson(v.toString().toUtf8());
                        finish(d.isObject()
                                   ? d.object()
                                   : QJsonObject{{QStringLiteral("error"),
                                                  QStringLiteral("The page could not be read")}});
                    });
            });
        });
        limit->start(kLimitMs);
        page->load(QUrl(job.url));
    }

    QWebEngineProfile* profile_;
    std::deque<Job> waiting_;
    int running_ = 0;
    bool inputDone_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    // No display is needed; as root, Chromium runs only without its sandbox.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QGuiApplication app(argc, argv);
    Renderer renderer;
    // Standard input is read on a thread of its own; each line is handed
    // to the renderer on the main thread.
    QThread* input = QThread::create([&renderer] {
        std::string line;
        while (std::getline(std::cin, line)) {
            const QString text = QString::fromStdString(line);
            QMetaObject::invokeMethod(
                &renderer, [&renderer, text] { renderer.add(text); }, Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(
            &renderer, [&renderer] { renderer.endOfInput(); }, Qt::QueuedConnection);
    });
    input->start();
    const int rc = app.exec();
    // The input thread may still wait on stdin; the process ends with it.
    std::cout.flush();
    ::_exit(rc);
}

#include "main.moc"
