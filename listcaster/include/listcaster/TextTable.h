#pragma once
// Writes the rows of a table to a text device, either as tab-separated fields
// ("structured") or as columns padded with blanks to a common width
// ("readable"), optionally below a title block and a column-header line,
// optionally only the selected rows. Every line ends with CR LF. The text
// export of a list view writes through it; so can a program that has rows but
// no list view.

#include <QString>
#include <functional>
#include <optional>

#include "listcaster/Export.h"
#include "listcaster/TableSource.h"

class QIODevice;

namespace listcaster {

// A failure while writing: a number and the platform's description of it.
struct LISTCASTER_EXPORT ExportFailure {
    int number = 0;
    QString description;
};

// Error numbers reported for failures.
inline constexpr int kTextErrNoList = 91;          // no list to read
inline constexpr int kTextErrDeviceIO = 57;        // a write failed
inline constexpr int kTextErrDiskFull = 61;        // no space left
inline constexpr int kTextErrPermission = 70;      // access denied
inline constexpr int kTextErrPathFileAccess = 75;  // the file could not be opened
inline constexpr int kTextErrPathNotFound = 76;    // its folder does not exist
inline constexpr int kTextCancelled = -1;          // stopped by its progress

struct TextTableOptions {
    QString header;  // title written above the data; empty means no title block
    bool onlySelected = false;
    bool writeHeader = true;  // the column captions and a dashed rule
    bool readable = false;    // columns padded with blanks instead of tabs
    // Told now and then how far the writing is (done of total steps: one a
    // row, two in readable mode, where the widths are measured first); false
    // stops it with the failure kTextCancelled.
    std::function<bool(qint64 done, qint64 total)> progress;
};

// Writes table into out; the failure, if any (what was written stays).
LISTCASTER_EXPORT std::optional<ExportFailure> writeTextTable(const TableSource& table,
                                                              const TextTableOptions& options,
                                                              QIODevice& out);

// The failure number for an errno value, fallback for any other.
LISTCASTER_EXPORT int textFailureNumber(int err, int fallback);

}  // namespace listcaster
