#pragma once
// The catalogue update client: asks the update server for the statements
// that bring the local search-engine catalogue up to date and runs them in
// one transaction on a connection of its own.

#include <QString>
#include <functional>
#include <optional>

#include "core/AppError.h"
#include "core/CADODBAccess.h"
#include "core/DatabaseConnection.h"
#include "platform/Dialogs.h"
#include "platform/InetTransfer.h"

class QWidget;

namespace fd {

// The update server's address from the configuration row; nothing when
// there is no row (or it cannot be read), "" when the value is empty.
std::optional<QString> readUpdateUrl(const CADODBAccess& db);

// "1.0.0" from a version text: its first three numbers, missing ones 0.
QString updateVersionText(const QString& version);

// The request address: the update URL, "?SearchEngines=" (or
// "&SearchEngines=" when the URL already holds a "?"), every engine id in id
// order each followed by "|", "&ver=" + version and the four counts wsc,
// wsnc, wpurc and sc. Nothing is URL-encoded. Throws AppError when a query
// fails.
QString buildUpdateRequest(const CADODBAccess& db, const QString& updateUrl,
                           const QString& version);

// A private connection to the database with one open transaction. Statements
// are Jet-dialect text, translated before they run. Whatever has not been
// committed when the object goes away is rolled back.
//
// The statements come from the update server, so SQLite's authorizer checks
// each one as it is compiled: it may insert into, update or delete from
// SearchEngines and read only that table. Transaction control (BEGIN,
// COMMIT, ROLLBACK, SAVEPOINT), ATTACH and DETACH, VACUUM, PRAGMA, every
// schema change, every other table and functions outside a small harmless
// set are refused, as is anything after the first statement of a line.
class UpdateConnection {
public:
    // Opens the file (never creating it) and begins the transaction; throws
    // AppError when it cannot.
    explicit UpdateConnection(const QString& databasePath);
    ~UpdateConnection();
    UpdateConnection(const UpdateConnection&) = delete;
    UpdateConnection& operator=(const UpdateConnection&) = delete;

    // Runs one statement of the answer; throws AppError when it fails or is
    // refused (the description says what was refused and quotes it).
    void execute(const QString& jetSql);
    void commit();
    const db::Connection& connection() const { return db_; }

private:
    static int authorize(void* self, int action, const char* a, const char* b, const char* database,
                         const char* trigger);
    db::Connection db_;
    db::Transaction transaction_;    // begun at once, rolled back unless committed
    bool checking_ = false;          // an answer's statement is being compiled or run
    bool changesCatalogue_ = false;  // it inserts, updates or deletes catalogue rows
    QString refused_;                // why the authorizer refused it
};

enum class UpdateOutcome {
    NothingReceived,  // the body was empty: rolled back
    Applied,          // envelope found, every statement ran: committed
    Refused,          // the first line is not the envelope: rolled back
};

// Walks the answer's lines (ended by CR LF or LF): the first must carry the envelope
// <XML program="QELS" (case-sensitive); blank lines and lines containing
// "</XML>" are skipped; every other line runs as one statement. Commits only
// when all of them ran; a failing statement throws AppError and the
// transaction is left for the connection to roll back.
UpdateOutcome applyUpdateAnswer(UpdateConnection& connection, const QString& body);

// The answer's bytes as text: UTF-8 when they are valid UTF-8, else Latin-1.
QString decodeAnswer(const QByteArray& body);

struct UpdateContext {
    const CADODBAccess& db;
    InetTransfer& inet;
    Dialogs& dialogs;
    ErrorSink& log;
    QWidget* parent = nullptr;
    QString version;                       // major.minor.revision
    QString* updateUrl = nullptr;          // kept between runs by the caller
    std::function<void()> refreshEngines;  // after a committed update
};

// One update run, waiting for the answer. With bShowMessages false the only
// message shown is the empty-address one; a run with an empty address stops
// after that message. Failures are logged under "UpdateSearchEngineData".
// UpdateRunner does the same without waiting.
void UpdateSearchEngineData(UpdateContext& context, bool bShowMessages);

// The steps of a run, shared by both forms:
// The request address, read and built from the database; nothing when the
// run ends before asking (no update address: its message has been shown).
// Throws AppError when the database cannot answer.
std::optional<QString> prepareUpdateRun(UpdateContext& context);
// Applies the answer's body in the connection's transaction and returns the
// message of its outcome; after a committed update the engine lists are
// refreshed. Throws AppError when a statement fails or is refused.
QString applyUpdateBody(UpdateContext& context, UpdateConnection& connection,
                        const QByteArray& body);
// Logs a failed run under "UpdateSearchEngineData" and returns its message.
QString updateRunFailed(UpdateContext& context, const std::exception& e);

inline const QString kUpdateNoAddressMessage =
    QStringLiteral("Database Error. Please contact your administrator.");
inline const QString kUpdateNothingMessage = QStringLiteral(
    "Could not connect to the web server. Please make sure you are connected to the internet, "
    "and try again later.");
inline const QString kUpdateDoneMessage = QStringLiteral("You now have the latest information.");
inline const QString kUpdateRefusedMessage =
    QStringLiteral("Error getting the update. Please try again later.");
inline const QString kUpdateBusyMessage =
    QStringLiteral("Your previous request is still in progress.");
inline const QString kUpdateErrorMessage =
    QStringLiteral("Error connecting. Please try again later.");

}  // namespace fd
