#pragma once
// The catalogue update client: asks the update server for the statements
// that bring the local search-engine catalogue up to date and runs them in
// one transaction on a connection of its own.

#include <QString>
#include <functional>
#include <optional>

#include "core/AppError.h"
#include "core/CADODBAccess.h"
#include "platform/Dialogs.h"
#include "platform/InetTransfer.h"

struct sqlite3;
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
class UpdateConnection {
public:
    // Opens the file (never creating it) and begins the transaction; throws
    // AppError when it cannot.
    explicit UpdateConnection(const QString& databasePath);
    ~UpdateConnection();
    UpdateConnection(const UpdateConnection&) = delete;
    UpdateConnection& operator=(const UpdateConnection&) = delete;

    void execute(const QString& jetSql);
    void commit();

private:
    void exec(const char* sql);
    sqlite3* db_ = nullptr;
    bool open_ = false;  // transaction begun and not yet ended
};

enum class UpdateOutcome {
    NothingReceived,  // the body was empty: rolled back
    Applied,          // envelope found, every statement ran: committed
    Refused,          // the first line is not the envelope: rolled back
};

// Walks the answer's CR LF lines: the first must carry the envelope
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

// One update run. With bShowMessages false the only message shown is the
// empty-address one; a run with an empty address stops after that message.
// Failures are logged under "UpdateSearchEngineData".
void UpdateSearchEngineData(UpdateContext& context, bool bShowMessages);

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
