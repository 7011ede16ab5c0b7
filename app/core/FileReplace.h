#pragma once
// Replacing a user's file so that it is either the old file or the new one,
// never a half-written mix.

#include <QByteArray>
#include <QString>
#include <chrono>

namespace fd {

// The file a write to path lands in: path itself, or, when path is a
// symbolic link, the file the chain of links finally names (which need not
// exist yet).
QString linkTarget(const QString& path);

// Writes bytes to a temporary file beside the target (".<name>.part-XXXXXX"),
// flushes it to disk and renames it over the target. A symbolic link at path
// is followed and its target replaced; a replaced file keeps its permission
// bits, a new one gets the usual ones for the user's umask. Temporaries of
// that naming for the same target left by a save that was killed, and older
// than staleAfter, are removed first. Throws AppError (with source) when the
// file cannot be written; the target is then unchanged.
void replaceFileContents(const QString& path, const QByteArray& bytes, const QString& source,
                         std::chrono::seconds staleAfter = std::chrono::minutes(1));

}  // namespace fd
