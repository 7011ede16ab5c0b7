#include "LastModified.h"

#include <sqlite3.h>

#include <QTimeZone>

#include "core/CADODBAccess.h"
#include "core/DatabaseConnection.h"
#include "sitemap/XmlSitemap.h"

namespace fd::discover {

namespace {

const QString kSource = QStringLiteral("PageLastModified");

// "2024-03-01T10:00:00Z": sorts as it reads.
QByteArray isoText(qint64 secs) {
    return QDateTime::fromSecsSinceEpoch(secs, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"))
        .toLatin1();
}

void exec(sqlite3* db, const char* sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
        const QString text = QString::fromUtf8(msg ? msg : sqlite3_errmsg(db));
        sqlite3_free(msg);
        throw AppError(3001, text, kSource);
    }
}

void step(sqlite3* db, sqlite3_stmt* st) {
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) throw sqliteError(db, rc, kSource);
}

}  // namespace

QString storeLastModified(const QString& databasePath, const QString& rootUrlIn,
                          const QList<FoundPage>& pages, ListChange change,
                          const std::function<bool(qint64 done, qint64 total)>& progress) {
    constexpr qsizetype kStride = 10000;
    const QByteArray root = rootUrlIn.trimmed().toUtf8();
    try {
        ConnectionPtr db(openDatabaseConnection(databasePath, kSource));
        exec(db.get(), "BEGIN IMMEDIATE");
        try {
            if (change == ListChange::Replace) {
                StatementPtr clear = prepareOne(
                    db.get(), "DELETE FROM PageLastModified WHERE WebSiteBaseURL = ?", kSource);
                sqlite3_bind_text(clear.get(), 1, root.constData(), int(root.size()),
                                  SQLITE_STATIC);
                step(db.get(), clear.get());
            }
            StatementPtr put = prepareOne(db.get(),
                                          "INSERT INTO PageLastModified (WebSiteBaseURL, Page, "
                                          "LastModified) VALUES (?, ?, ?) ON CONFLICT DO UPDATE "
                                          "SET LastModified = excluded.LastModified",
                                          kSource);
            sqlite3_bind_text(put.get(), 1, root.constData(), int(root.size()), SQLITE_STATIC);
            for (qsizetype i = 0; i < pages.size(); ++i) {
                if (progress && i % kStride == 0 && !progress(i, pages.size())) {
                    sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
                    return {};
                }
                const FoundPage& p = pages[i];
                if (p.lastModified == kNoDate) continue;
                const QByteArray page = p.text.toUtf8();
                const QByteArray when = isoText(p.lastModified);
                sqlite3_bind_text(put.get(), 2, page.constData(), int(page.size()), SQLITE_STATIC);
                sqlite3_bind_text(put.get(), 3, when.constData(), int(when.size()), SQLITE_STATIC);
                step(db.get(), put.get());
            }
            exec(db.get(), "COMMIT");
        } catch (...) {
            sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (const AppError& e) {
        return e.description();
    }
    return {};
}

QHash<QString, QDateTime> readLastModified(const QString& databasePath, const QString& rootUrl,
                                           QString* error) {
    QHash<QString, QDateTime> out;
    const QByteArray root = rootUrl.trimmed().toUtf8();
    try {
        ConnectionPtr db(openDatabaseConnection(databasePath, kSource));
        StatementPtr st = prepareOne(
            db.get(), "SELECT Page, LastModified FROM PageLastModified WHERE WebSiteBaseURL = ?",
            kSource);
        sqlite3_bind_text(st.get(), 1, root.constData(), int(root.size()), SQLITE_STATIC);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            const auto* page = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
            const auto* when = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1));
            QDateTime t = QDateTime::fromString(QString::fromLatin1(when ? when : ""), Qt::ISODate);
            if (!t.isValid()) continue;
            out.insert(QString::fromUtf8(page ? page : "", sqlite3_column_bytes(st.get(), 0)),
                       t.toUTC());
        }
        if (rc != SQLITE_DONE) throw sqliteError(db.get(), rc, kSource);
    } catch (const AppError& e) {
        if (error) *error = e.description();
        return {};
    }
    return out;
}

void keepLaterDates(QHash<QString, QDate>& days, const QHash<QString, QDateTime>& lastModified) {
    for (auto it = lastModified.constBegin(); it != lastModified.constEnd(); ++it) {
        QDate& day = days[it.key()];
        const QDate modified = it.value().date();
        if (!day.isValid() || modified > day) day = modified;
    }
}

QHash<QString, QDate> sitemapDays(const CADODBAccess& db, const QString& siteName,
                                  const QString& rootUrl) {
    QHash<QString, QDate> days = pageUpdateDates(db, siteName);
    keepLaterDates(days, readLastModified(db.databasePath(), rootUrl));
    return days;
}

}  // namespace fd::discover
