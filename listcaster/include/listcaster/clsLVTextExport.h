#pragma once
// Writes the rows of a list to a text file, either as tab-separated fields
// ("structured") or as columns padded with blanks to a common width
// ("readable"), optionally below a title block and a column-header line,
// optionally only the selected rows, replacing the file or appending to it.
// Every line ends with CR LF. The list is read through ListViewSource only and
// never changed.

#include <QString>
#include <optional>

#include "listcaster/Export.h"
#include "listcaster/ListViewSource.h"
#include "listcaster/TextTable.h"

class QIODevice;
class QWidget;

namespace listcaster {

class LISTCASTER_EXPORT clsLVTextExport {
public:
    // Error numbers reported for failures.
    static constexpr int kErrNoList = kTextErrNoList;
    static constexpr int kErrDeviceIO = kTextErrDeviceIO;
    static constexpr int kErrDiskFull = kTextErrDiskFull;
    static constexpr int kErrPermission = kTextErrPermission;
    static constexpr int kErrPathFileAccess = kTextErrPathFileAccess;
    static constexpr int kErrPathNotFound = kTextErrPathNotFound;

    // The list to export (write only).
    void setListView(QTreeWidget* list) { source_ = ListViewSource(list); }
    void setListView(const ListViewSource& source) { source_ = source; }

    QString filename() const { return filename_; }
    void setFilename(const QString& f) { filename_ = f; }
    // Title written above the data; empty means no title block.
    QString header() const { return header_; }
    void setHeader(const QString& h) { header_ = h; }
    bool onlySelected() const { return onlySelected_; }
    void setOnlySelected(bool b) { onlySelected_ = b; }
    // Write the column captions and a dashed rule.
    bool writeHeader() const { return writeHeader_; }
    void setWriteHeader(bool b) { writeHeader_ = b; }
    bool append() const { return append_; }
    void setAppend(bool b) { append_ = b; }
    // true: columns padded with blanks; false: fields separated by a tab.
    bool readable() const { return readable_; }
    void setReadable(bool b) { readable_ = b; }

    // The save-as dialog, preset with filename(); on confirmation filename()
    // takes the chosen path and the result is true.
    bool ShowFileDialog(QWidget* parent = nullptr);

    // Opens filename() (appending or replacing) and writes the list to it.
    // On failure shows "Error <n> while exporting to the textfile occured:"
    // with the description and returns false; what was written stays. A list
    // of more than kProgressRows rows is first written out in memory under a
    // progress bar: Cancel there returns false with the file untouched.
    bool ExportListViewToTextfile(QWidget* parent = nullptr);

    // The same export into an open device, failures reported the same way.
    bool exportToDevice(QIODevice& out, QWidget* parent = nullptr);

    // Writes the list into out without showing anything; the failure, if any.
    std::optional<ExportFailure> writeTo(QIODevice& out) const;

    // The text of the failure message.
    static QString failureText(const ExportFailure& f);

private:
    void reportFailure(QWidget* parent, const ExportFailure& f) const;
    TextTableOptions tableOptions() const;

    ListViewSource source_;
    QString filename_;
    QString header_;
    bool onlySelected_ = false;
    bool writeHeader_ = true;
    bool append_ = false;
    bool readable_ = true;
};

}  // namespace listcaster
