#pragma once
// Audit runs in the program's database (the AuditRuns, AuditPages and
// AuditFindings tables): a finished or cancelled run is stored in one
// transaction, its findings compared with the previous complete run of the
// same root URL.

#include <QDateTime>
#include <QString>

#include "AuditTypes.h"
#include "core/DatabaseConnection.h"

namespace fd::audit {

// The store's connection to the database at dbPath, with the program's
// settings. Throws AppError.
db::Connection openAuditDatabase(const QString& dbPath);

// Stores result as a new run. Before that, marks each finding "new" or
// "still there" against the latest earlier complete (not cancelled) run of
// result.rootUrl, and appends that run's findings which are gone from pages
// audited again, marked fixed. With result.options.keepRuns above 0, runs of
// the root URL older than its last keepRuns complete runs are removed in the
// same transaction. Sets result.runId; returns an empty string,
// or what went wrong (then nothing of the run is stored and the findings
// keep their marks).
QString storeAuditRun(const QString& dbPath, AuditResult& result, const QDateTime& started,
                      const QDateTime& finished);

// Reads a stored run back: its pages in order and its findings with their
// marks. Returns false (with error set) when it cannot.
bool loadAuditRun(const QString& dbPath, qint64 runId, AuditResult* result, QString* error);

}  // namespace fd::audit
