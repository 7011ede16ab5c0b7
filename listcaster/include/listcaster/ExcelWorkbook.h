#pragma once
// Writes a list into a new Excel workbook (.xlsx) without Excel and without
// widgets: a header row with the column captions, one row per exported list
// row, the list's font, colours, bold flags, column widths and alignments,
// optional grid lines, header shading, highlighted selection and outer frame,
// and a page header and footer for printing the sheet. clsLVExcelExport
// writes through it; so can a program that has no list view.

#include <QByteArray>
#include <QString>
#include <functional>

#include "listcaster/Export.h"
#include "listcaster/TableSource.h"

namespace listcaster {

struct WorkbookOptions {
    QString header;     // the title: the sheet's left page header
    bool mark = false;  // selected rows highlighted
    bool bordersAndBackground = true;
    bool onlySelected = false;
    double twipsPerPixelX = 15.0;  // for the column widths
    int highlight = 0x308CC6;      // fill and text colours of a marked row
    int highlightText = 0xFFFFFF;
    // Told how many of the rows are written now and then; false stops the
    // writing with the error kWorkbookCancelled.
    std::function<bool(int done, int total)> progress;
};

// The error number of a writing stopped by its progress.
inline constexpr int kWorkbookCancelled = -1;

// A failure of the writer: libxlsxwriter's error number and text.
struct WorkbookError {
    int number;
    QString description;
};

// The writer of the workbooks and its version ("libxlsxwriter 1.1.4").
LISTCASTER_EXPORT QString workbookWriterVersion();

// Writes the workbook to the file (encoded name) directly. Throws
// WorkbookError; the file is then incomplete and the caller removes it.
LISTCASTER_EXPORT void writeWorkbook(const QByteArray& fileName, const TableSource& list,
                                     const WorkbookOptions& options);

}  // namespace listcaster
