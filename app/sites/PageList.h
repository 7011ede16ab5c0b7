#pragma once
// Page lists: the text files that hold a site's pages, one per line, and the
// small rules around them (file-type keys, the saved file's name, the address
// box's rewrites). No widgets here.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace fd::sites {

// Placeholder text of the tree's root node while no root URL is known.
inline const QString kPlaceholderRoot = QStringLiteral("http://www.yoursite.com/");

// Key of the root node's picture, and the picture used for unknown types.
inline const QString kRootPicture = QStringLiteral("ROOT");
inline const QString kMiscPicture = QStringLiteral("MSC");

// The thirteen picture keys of the file-type image list.
const QStringList& fileTypeKeys();
// True when the image list has a picture under the upper-cased key.
bool isInImageList(const QString& key);
// The picture key for a page: the text after the last ".", upper-cased (the
// whole text when there is no "."), when the image list has it; else "MSC".
QString fileTypeKey(const QString& page);

// Files larger than this are refused rather than read whole.
constexpr qint64 kMaxPageListBytes = 256LL * 1024 * 1024;

// Decodes a page-list file: UTF-8 when the bytes are valid UTF-8; otherwise
// line by line, each valid line as UTF-8 and only the others as Latin-1
// (every byte maps to one character, so nothing is lost).
QString decodePageList(const QByteArray& bytes);
// True when the bytes look like a binary file (they hold a NUL byte).
bool looksBinary(const QByteArray& bytes);
// Told how far a long piece of work has come (done of total); returning false
// stops the work.
using ProgressFn = std::function<bool(qint64 done, qint64 total)>;

// Splits decoded text into pages: lines end at CR LF (or a lone LF or CR, as
// files written elsewhere have); empty lines are skipped; every other line is
// kept exactly, in file order, duplicates included.
QStringList splitPageList(const QString& text);
// The same, telling progress how many characters are done every so often;
// nothing once progress says stop.
std::optional<QStringList> splitPageList(const QString& text, const ProgressFn& progress);
// Reads a page-list file whole. Throws AppError when it is missing,
// unreadable, not a regular file (a FIFO, a device), too large or binary.
QStringList readPageListFile(const QString& path);
// The same with progress; nothing once progress says stop.
std::optional<QStringList> readPageListFile(const QString& path, const ProgressFn& progress);

// The file text: every page followed by CR LF, then one more CR LF. UTF-8.
QByteArray formatPageList(const QStringList& pages);
// Writes the list to a temporary file beside path and renames it into place,
// so a failure never leaves a half-written list (see replaceFileContents:
// links followed, permissions kept, stale temporaries removed). Throws
// AppError on failure.
void writePageListFile(const QString& path, const QStringList& pages);

// The name of a site's saved list: its WebSiteID, "_", then its name with
// blanks (and "/") as "_" cut to 25 characters, then ".wsr". Unique per site
// and stable while sites are added.
QString listFileName(long long webSiteId, const QString& siteName);

// The address cut before its first "?" when that "?" is not the first
// character; otherwise unchanged.
QString stripQueryString(const QString& input);
// Everything from the first "?" on dropped.
QString removeQuerystring(const QString& input);
// Ctrl+Enter in the address box: "http://www." put in front unless the
// address already begins with it, ".com" appended unless it already ends so
// (both tests ignore case).
QString completeAddress(const QString& address);

}  // namespace fd::sites
