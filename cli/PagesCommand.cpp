// pages import and pages list.
#include <QJsonArray>
#include <QJsonObject>

#include "Cli.h"
#include "sites/PageList.h"

namespace fd::cli {

int pagesImportCommand(Invocation& in) {
    const QString file = in.positional(1, QStringLiteral("FILE")).first();
    const sites::SiteRecord site = in.site();
    // As in the window, a list belongs under a root URL.
    if (site.roots.empty()) fail(QStringLiteral("the site '%1' has no root URL").arg(site.name));
    const QStringList pages = sites::readPageListFile(file);
    const QString saved = in.selection().savePageList(pages);
    in.note(QStringLiteral("%1 %2 imported into %3")
                .arg(pages.size())
                .arg(pages.size() == 1 ? QStringLiteral("page") : QStringLiteral("pages"), saved));
    return kOk;
}

int pagesListCommand(Invocation& in) {
    in.positional(0, {});
    const sites::SiteRecord site = in.site();
    const sites::RootRecord root = in.root(site);
    const QStringList pages = in.pages(site);
    if (in.isSet(QStringLiteral("json"))) {
        QJsonArray array;
        for (const QString& p : pages)
            array.append(
                QJsonObject{{QStringLiteral("page"), p}, {QStringLiteral("url"), root.url + p}});
        in.outJson(QJsonDocument(array));
        return kOk;
    }
    QString text;
    for (const QString& p : pages) text += root.url + p + u'\n';
    in.out(text);
    return kOk;
}

}  // namespace fd::cli
