#pragma once
// Replacing a user's file so that it is either the old file or the new one,
// never a half-written mix. Every write of the program that replaces a file
// goes through here; writers take the QIODevice of a FileReplacement.

#include <QByteArray>
#include <QString>
#include <chrono>
#include <memory>

class QIODevice;

namespace fd {

// The file a write to path lands in: path itself, or, when path is a
// symbolic link, the file the chain of links finally names (which need not
// exist yet).
QString linkTarget(const QString& path);

// One replacement of the file at a path. What is written to device() goes
// to a temporary file beside the target (".<name>.part-XXXXXX"); commit()
// flushes it to disk and renames it over the target. A symbolic link at
// path is followed and its target replaced; a replaced file keeps its
// permission bits, a new one gets the usual ones for the user's umask.
// Temporaries of that naming for the same target left by a save that was
// killed, and older than staleAfter, are removed when it opens. Without a
// commit (a failure, cancel(), or the object going away) the temporary is
// removed and the target is as it was.
class FileReplacement {
public:
    explicit FileReplacement(const QString& path,
                             std::chrono::seconds staleAfter = std::chrono::minutes(1));
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the temporary file. False, with the reason in errorString(),
    // when it cannot be created (or the target is not a regular file).
    bool open();
    // The temporary file, open for writing once open() succeeded. A write
    // that fails (a full disk) returns -1 and fails the commit.
    QIODevice& device();
    // Puts the new file in the target's place. False, with the reason, when
    // a write or this step failed; the target is then unchanged.
    bool commit();
    // Drops what was written; the target stays as it was.
    void cancel();
    // open(), bytes as the whole new file, commit(): false, with the reason,
    // when any of them failed.
    bool replaceWith(const QByteArray& bytes);

    // The path as given.
    QString path() const;
    // Why the last step failed, in the system's words ("No space left on
    // device"); empty while nothing failed.
    QString errorString() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Replaces the file at path with bytes, as FileReplacement does. Throws
// AppError (with source) when the file cannot be written: "Cannot write
// <path>: <reason>", number 76 when the new file could not be created, 70
// when it could not be written or put in place. The target is then
// unchanged.
void replaceFileContents(const QString& path, const QByteArray& bytes, const QString& source,
                         std::chrono::seconds staleAfter = std::chrono::minutes(1));

}  // namespace fd
