#include "RenderedPages.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>

#include "AuditUrl.h"
#include "core/HtmlText.h"

namespace fd::audit {

namespace {

// The rendering program's own limit is 15 s a page, two at a time; this
// is the bound on waiting for any answer at all.
constexpr int kAnswerWaitMs = 40000;

QString shown(const QString& s) {
    return s.isEmpty() ? QStringLiteral("(none)") : QStringLiteral("\"%1\"").arg(s);
}

}  // namespace

QString renderProgram() {
    const QString env = qEnvironmentVariable("FARROWDALE_RENDER");
    if (!env.isEmpty()) return env;
    if (!QCoreApplication::instance()) return QStringLiteral("farrowdale-render");
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {dir + QStringLiteral("/farrowdale-render"),
                                     dir + QStringLiteral("/../app/browser/farrowdale-render"),
                                     dir + QStringLiteral("/../../app/browser/farrowdale-render")})
        if (QFileInfo(candidate).isExecutable()) return QFileInfo(candidate).canonicalFilePath();
    return QStringLiteral("farrowdale-render");
}

int readRenderedAnswer(const QByteArray& line, const QStringList& raw, const QString& pageUrl,
                       RenderedPage* page) {
    const qsizetype blank = line.indexOf(' ');
    bool ok = false;
    const int n = line.left(blank).toInt(&ok);
    if (blank <= 0 || !ok) return -1;
    const QJsonObject o = QJsonDocument::fromJson(line.mid(blank + 1)).object();
    RenderedPage r;
    r.done = true;
    for (const QJsonValue& v : o.value(QLatin1String("notes")).toArray()) r.notes << v.toString();
    if (o.contains(QLatin1String("error")) || o.isEmpty()) {
        r.error = o.isEmpty() ? QStringLiteral("The rendering program gave no reading")
                              : o.value(QLatin1String("error")).toString();
        *page = r;
        return n;
    }
    r.title = collapseAsciiWhitespace(o.value(QLatin1String("title")).toString());
    const QJsonValue description = o.value(QLatin1String("description"));
    r.hasDescription = description.isString();
    r.description = description.toString();
    r.robots = o.value(QLatin1String("robots")).toString();
    r.canonical = o.value(QLatin1String("canonical")).toString();
    const QJsonArray h1 = o.value(QLatin1String("h1")).toArray();
    r.h1Count = h1.at(0).toInt();
    r.h1Text = collapseAsciiWhitespace(h1.at(1).toString());
    QSet<QString> own;
    for (const QString& l : raw) own.insert(l);
    QSet<QString> added;
    own.insert(auditUrl(pageUrl));
    for (const QJsonValue& v : o.value(QLatin1String("links")).toArray()) {
        const QString target = auditUrl(v.toString());
        if (target.isEmpty() || own.contains(target) || added.contains(target)) continue;
        added.insert(target);
        if (r.linksAddedNamed.size() < 5) r.linksAddedNamed << target;
    }
    r.linksAdded = int(added.size());
    *page = r;
    return n;
}

QString renderPages(QList<AuditPage>& pages, const QList<int>& which,
                    const std::atomic<bool>& cancel) {
    if (which.isEmpty()) return {};
    QProcess render;
    render.setProcessChannelMode(QProcess::SeparateChannels);
    render.setStandardErrorFile(QProcess::nullDevice());
    render.start(renderProgram(), {});
    if (!render.waitForStarted(10000))
        return QStringLiteral("The rendering program %1 could not be started: %2")
            .arg(renderProgram(), render.errorString());
    for (int i : which) {
        const AuditPage& p = pages[i];
        render.write(QByteArray::number(i) + ' ' +
                     (p.finalUrl.isEmpty() ? p.url : p.finalUrl).toUtf8() + '\n');
    }
    render.closeWriteChannel();
    int left = int(which.size());
    while (left > 0 && !cancel.load()) {
        while (!render.canReadLine()) {
            if (render.state() == QProcess::NotRunning || !render.waitForReadyRead(kAnswerWaitMs))
                break;
        }
        if (!render.canReadLine()) break;
        const QByteArray line = render.readLine().trimmed();
        const int n = line.left(line.indexOf(' ')).toInt();
        if (n < 0 || n >= pages.size()) continue;
        const QStringList own = pages[n].rendered.ownLinks;
        const QString url = pages[n].finalUrl.isEmpty() ? pages[n].url : pages[n].finalUrl;
        if (readRenderedAnswer(line, own, url, &pages[n].rendered) >= 0) --left;
    }
    render.kill();
    render.waitForFinished(5000);
    if (left > 0 && !cancel.load())
        return QStringLiteral("The rendering program ended before %1 pages were rendered")
            .arg(left);
    return {};
}

QList<AuditFinding> renderedFindings(const AuditPage& p) {
    QList<AuditFinding> f;
    const RenderedPage& r = p.rendered;
    if (!r.done) return f;
    auto add = [&](FindingKind kind, const QString& detail) {
        f.append(AuditFinding{p.url, kind, detail, FindingState::New});
    };
    auto differs = [&](FindingKind kind, const QString& raw, const QString& rendered) {
        if (raw != rendered)
            add(kind, QStringLiteral("raw: %1; rendered: %2").arg(shown(raw), shown(rendered)));
    };
    if (!r.error.isEmpty() || !r.notes.isEmpty()) {
        QStringList what;
        if (!r.error.isEmpty()) what << r.error;
        what += r.notes;
        add(FindingKind::RenderedLimit, what.join(QStringLiteral("; ")));
    }
    if (!r.error.isEmpty()) return f;
    differs(FindingKind::RenderedTitle, p.title, r.title);
    if (p.hasDescription != r.hasDescription || p.description != r.description.trimmed())
        add(FindingKind::RenderedDescription,
            QStringLiteral("raw: %1; rendered: %2")
                .arg(p.hasDescription ? shown(p.description) : QStringLiteral("(none)"),
                     r.hasDescription ? shown(r.description.trimmed()) : QStringLiteral("(none)")));
    const QString rawCanonical = p.canonical.isEmpty() ? QString() : auditUrl(p.canonical);
    const QString renderedCanonical = r.canonical.isEmpty() ? QString() : auditUrl(r.canonical);
    if (rawCanonical != renderedCanonical)
        add(FindingKind::RenderedCanonical,
            QStringLiteral("raw: %1; rendered: %2").arg(shown(p.canonical), shown(r.canonical)));
    differs(FindingKind::RenderedRobots, p.robots, r.robots);
    if (p.h1Count != r.h1Count || p.h1Text != r.h1Text)
        add(FindingKind::RenderedH1, QStringLiteral("raw: %1 (%2 <h1>); rendered: %3 (%4 <h1>)")
                                         .arg(shown(p.h1Text))
                                         .arg(p.h1Count)
                                         .arg(shown(r.h1Text))
                                         .arg(r.h1Count));
    if (r.linksAdded > 0) {
        QString detail =
            QStringLiteral("%1: ").arg(r.linksAdded) + r.linksAddedNamed.join(QStringLiteral(", "));
        if (r.linksAdded > r.linksAddedNamed.size())
            detail += QStringLiteral(" and %1 more").arg(r.linksAdded - r.linksAddedNamed.size());
        add(FindingKind::RenderedLinks, detail);
    }
    return f;
}

}  // namespace fd::audit
