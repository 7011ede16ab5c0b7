#include "UpdateClient.h"

#include <sqlite3.h>

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <cstring>
#include <optional>

#include "core/DatabaseConnection.h"
#include "core/Globals.h"
#include "core/JetSql.h"

namespace fd {

namespace {

const QString kRoutine = QStringLiteral("UpdateSearchEngineData");
const QString kSource = QStringLiteral("UpdateConnection");

bool isCatalogue(const char* table) {
    return table && sqlite3_stricmp(table, "SearchEngines") == 0;
}

bool isMainDatabase(const char* database) {
    return database && std::strcmp(database, "main") == 0;
}

// Scalar and aggregate functions that compute a value from their arguments
// and touch nothing else.
bool isHarmlessFunction(const char* name) {
    static const char* const kAllowed[] = {
        "abs",      "avg",       "char",         "coalesce",  "count",     "date",
        "datetime", "format",    "group_concat", "hex",       "ifnull",    "iif",
        "instr",    "julianday", "length",       "lower",     "ltrim",     "max",
        "min",      "nullif",    "printf",       "quote",     "replace",   "round",
        "rtrim",    "strftime",  "substr",       "substring", "sum",       "time",
        "total",    "trim",      "typeof",       "unicode",   "unixepoch", "upper"};
    if (!name) return false;
    for (const char* f : kAllowed)
        if (sqlite3_stricmp(name, f) == 0) return true;
    return false;
}

// Why the update answer may not do what SQLite is about to compile, or ""
// when it may: insert into, update or delete from SearchEngines in the main
// database, reading only that table and computing with harmless functions.
QString refusal(int action, const char* a, const char* b, const char* database,
                const char* trigger) {
    const auto name = [](const char* s) { return QString::fromUtf8(s ? s : ""); };
    switch (action) {
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
            if (isCatalogue(a) && isMainDatabase(database) && !trigger) return {};
            if (name(a).startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
                return QStringLiteral("changes the schema");
            return QStringLiteral("changes table %1").arg(name(a));
        case SQLITE_READ:
            if (isCatalogue(a) && isMainDatabase(database)) return {};
            return QStringLiteral("reads table %1").arg(name(a));
        case SQLITE_SELECT:
            return {};
        case SQLITE_FUNCTION:
            if (isHarmlessFunction(b)) return {};
            return QStringLiteral("calls function %1").arg(name(b));
        case SQLITE_TRANSACTION:
        case SQLITE_SAVEPOINT:
            return QStringLiteral("controls the transaction");
        case SQLITE_ATTACH:
        case SQLITE_DETACH:
            return QStringLiteral("attaches or detaches a database");
        case SQLITE_PRAGMA:
            return QStringLiteral("runs PRAGMA %1").arg(name(a));
        case SQLITE_RECURSIVE:
            return QStringLiteral("runs a recursive query");
        default:
            return QStringLiteral("changes the schema or runs a maintenance command (action %1)")
                .arg(action);
    }
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
    : db_(databasePath, kSource), transaction_(db_) {
    // From here on every statement is checked by SQLite itself as it is
    // compiled: the answer may change the catalogue and nothing else.
    sqlite3_set_authorizer(db_.handle(), &UpdateConnection::authorize, this);
}

UpdateConnection::~UpdateConnection() {
    checking_ = false;
}

int UpdateConnection::authorize(void* self, int action, const char* a, const char* b,
                                const char* database, const char* trigger) {
    auto* c = static_cast<UpdateConnection*>(self);
    if (!c->checking_) return SQLITE_OK;
    if (const QString why = refusal(action, a, b, database, trigger); !why.isEmpty()) {
        if (c->refused_.isEmpty()) c->refused_ = why;
        return SQLITE_DENY;
    }
    if (action == SQLITE_INSERT || action == SQLITE_UPDATE || action == SQLITE_DELETE)
        c->changesCatalogue_ = true;
    return SQLITE_OK;
}

void UpdateConnection::execute(const QString& jetSql) {
    const auto refuse = [&](const QString& why) {
        checking_ = false;
        return AppError(
            err::kDatabase,
            QStringLiteral("Refused statement of the update answer (%1): %2").arg(why, jetSql),
            kSource);
    };
    QByteArray sql;
    try {
        sql = translateJetSql(jetSql).toUtf8();
    } catch (const AppError& e) {
        throw refuse(e.description());  // a comment, a second statement, a bad literal
    }
    refused_.clear();
    changesCatalogue_ = false;
    checking_ = true;
    std::optional<db::Statement> st;
    try {
        st.emplace(db_.prepare(sql));
    } catch (const AppError& e) {
        if (!refused_.isEmpty()) throw refuse(refused_);
        checking_ = false;
        throw;
    }
    // A statement the authorizer is never asked about (VACUUM, for one)
    // changes no catalogue row either.
    if (!changesCatalogue_ || !refused_.isEmpty())
        throw refuse(refused_.isEmpty() ? QStringLiteral("not a change to SearchEngines")
                                        : refused_);
    const int rc = sqlite3_step(st->handle());
    checking_ = false;
    if (rc == SQLITE_DONE || rc == SQLITE_ROW) return;
    if (!refused_.isEmpty()) throw refuse(refused_);
    throw sqliteError(db_.handle(), rc, kSource);
}

void UpdateConnection::commit() {
    checking_ = false;
    transaction_.commit();
}

UpdateOutcome applyUpdateAnswer(UpdateConnection& connection, const QString& body) {
    if (body.isEmpty()) return UpdateOutcome::NothingReceived;
    // Lines end at CR LF; a bare LF ends one too, as in page lists, so an
    // answer written with LF line ends is read rather than taken for one
    // empty line.
    static const QRegularExpression lineEnd(QStringLiteral("\r?\n"));
    const QStringList lines = body.split(lineEnd);
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

std::optional<QString> prepareUpdateRun(UpdateContext& c) {
    QString fallback;
    QString& updateUrl = c.updateUrl ? *c.updateUrl : fallback;
    if (const auto url = readUpdateUrl(c.db)) updateUrl = *url;
    if (updateUrl.isEmpty()) {
        // Shown even in a silent run: the delivered database always has an
        // address. There is nothing to ask, so the run ends here.
        c.dialogs.message(c.parent, kUpdateNoAddressMessage, kProductName);
        return std::nullopt;
    }
    return buildUpdateRequest(c.db, updateUrl, c.version);
}

QString applyUpdateBody(UpdateContext& c, UpdateConnection& connection, const QByteArray& body) {
    switch (applyUpdateAnswer(connection, decodeAnswer(body))) {
        case UpdateOutcome::NothingReceived:
            return kUpdateNothingMessage;
        case UpdateOutcome::Refused:
            return kUpdateRefusedMessage;
        case UpdateOutcome::Applied:
            break;
    }
    if (c.refreshEngines) c.refreshEngines();
    return kUpdateDoneMessage;
}

QString updateRunFailed(UpdateContext& c, const std::exception& e) {
    if (const auto* app = dynamic_cast<const AppError*>(&e)) {
        c.log.write(kRoutine, app->number(), app->description(), app->source());
        return app->number() == err::kTransferBusy ? kUpdateBusyMessage : kUpdateErrorMessage;
    }
    c.log.write(kRoutine, err::kInvalidProcedureCall, QString::fromUtf8(e.what()), QString());
    return kUpdateErrorMessage;
}

void UpdateSearchEngineData(UpdateContext& c, bool bShowMessages) {
    QString message;
    try {
        const std::optional<QString> request = prepareUpdateRun(c);
        if (!request) return;
        UpdateConnection connection(c.db.databasePath());
        message = applyUpdateBody(c, connection, c.inet.openUrl(*request));
    } catch (const std::exception& e) {
        message = updateRunFailed(c, e);
    }
    if (bShowMessages) c.dialogs.message(c.parent, message, kProductName);
}

}  // namespace fd
