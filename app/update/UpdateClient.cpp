#include "UpdateClient.h"

#include <sqlite3.h>

#include <QStringDecoder>
#include <QStringList>

#include "core/DatabaseConnection.h"
#include "core/Globals.h"
#include "core/JetSql.h"

namespace fd {

namespace {

const QString kRoutine = QStringLiteral("UpdateSearchEngineData");
const QString kSource = QStringLiteral("UpdateConnection");

AppError sqliteError(sqlite3* db, int rc) {
    const QString msg =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    return AppError(err::kDatabase, msg, kSource);
}

// The single value of a count query.
QString scalar(const CADODBAccess& db, const QString& sql) {
    RecordsetPtr rs = db.query(sql);
    if (!rs || rs->eof()) return QStringLiteral("0");
    return QString::number(rs->field(0).toLongLong());
}

}  // namespace

std::optional<QString> readUpdateUrl(const CADODBAccess& db) {
    RecordsetPtr rs = db.fnSQL_RS(QStringLiteral("SELECT UpdateURL FROM WebSiteConfiguration"));
    if (!rs || rs->eof()) return std::nullopt;
    return rs->field(QStringLiteral("UpdateURL"));
}

QString updateVersionText(const QString& version) {
    const QStringList parts = version.split(u'.');
    QStringList out;
    for (int i = 0; i < 3; ++i) out << QString::number(i < parts.size() ? parts[i].toInt() : 0);
    return out.join(u'.');
}

QString buildUpdateRequest(const CADODBAccess& db, const QString& updateUrl,
                           const QString& version) {
    QString q = updateUrl.contains(u'?') ? QStringLiteral("&SearchEngines=")
                                         : QStringLiteral("?SearchEngines=");
    RecordsetPtr ids = db.query(
        QStringLiteral("Select SearchEngineID from SearchEngines ORDER BY SearchEngineID"));
    for (; ids && !ids->eof(); ids->moveNext())
        q += QString::number(ids->field(0).toLongLong()) + u'|';
    q += QStringLiteral("&ver=") + version;
    q += QStringLiteral("&wsc=") +
         scalar(db, QStringLiteral("SELECT Count(WebSiteID) from WebSites"));
    q += QStringLiteral("&wsnc=") +
         scalar(db, QStringLiteral("SELECT Count(WebSiteNameID) from WebSiteNames"));
    q += QStringLiteral("&wpurc=") +
         scalar(db, QStringLiteral("SELECT Count(ChangeRequestID) from WebPageUpdateRequests"));
    q += QStringLiteral("&sc=") +
         scalar(db, QStringLiteral("SELECT Count(SubmissionID) from Submissions"));
    return updateUrl + q;
}

UpdateConnection::UpdateConnection(const QString& databasePath)
    : db_(openDatabaseConnection(databasePath, kSource)) {
    try {
        exec("BEGIN");
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
    open_ = true;
}

UpdateConnection::~UpdateConnection() {
    if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
}

void UpdateConnection::exec(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw sqliteError(db_, rc);
}

void UpdateConnection::execute(const QString& jetSql) {
    const QByteArray sql = translateJetSql(jetSql).toUtf8();
    exec(sql.constData());
}

void UpdateConnection::commit() {
    exec("COMMIT");
    open_ = false;
}

UpdateOutcome applyUpdateAnswer(UpdateConnection& connection, const QString& body) {
    if (body.isEmpty()) return UpdateOutcome::NothingReceived;
    const QStringList lines = body.split(QStringLiteral("\r\n"));
    if (!lines.first().contains(QStringLiteral("<XML program=\"QELS\"")))
        return UpdateOutcome::Refused;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.trimmed().isEmpty() || line.contains(QStringLiteral("</XML>"))) continue;
        connection.execute(line);
    }
    connection.commit();
    return UpdateOutcome::Applied;
}

QString decodeAnswer(const QByteArray& body) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(body);
    return utf8.hasError() ? QString::fromLatin1(body) : text;
}

void UpdateSearchEngineData(UpdateContext& c, bool bShowMessages) {
    auto show = [&](const QString& text) {
        if (bShowMessages) c.dialogs.message(c.parent, text, kProductName);
    };
    QString fallback;
    QString& updateUrl = c.updateUrl ? *c.updateUrl : fallback;
    try {
        if (const auto url = readUpdateUrl(c.db)) updateUrl = *url;
        if (updateUrl.isEmpty()) {
            // Shown even in a silent run: the delivered database always has
            // an address. There is nothing to ask, so the run ends here.
            c.dialogs.message(c.parent, kUpdateNoAddressMessage, kProductName);
            return;
        }
        const QString request = buildUpdateRequest(c.db, updateUrl, c.version);
        UpdateConnection connection(c.db.databasePath());
        const QString body = decodeAnswer(c.inet.openUrl(request));
        switch (applyUpdateAnswer(connection, body)) {
            case UpdateOutcome::NothingReceived:
                show(kUpdateNothingMessage);
                break;
            case UpdateOutcome::Refused:
                show(kUpdateRefusedMessage);
                break;
            case UpdateOutcome::Applied:
                if (c.refreshEngines) c.refreshEngines();
                show(kUpdateDoneMessage);
                break;
        }
    } catch (const AppError& e) {
        c.log.write(kRoutine, e.number(), e.description(), e.source());
        show(e.number() == err::kTransferBusy ? kUpdateBusyMessage : kUpdateErrorMessage);
    } catch (const std::exception& e) {
        c.log.write(kRoutine, err::kInvalidProcedureCall, QString::fromUtf8(e.what()), QString());
        show(kUpdateErrorMessage);
    }
}

}  // namespace fd
