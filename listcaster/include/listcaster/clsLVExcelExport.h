#pragma once
// Writes a list into a new Excel workbook (.xlsx) without Excel: a header row
// with the column captions, one row per exported list row, the list's font,
// colours, bold flags, column widths and alignments, optional grid lines,
// header shading, highlighted selection and outer frame, and a page header and
// footer for printing the sheet. An existing file is replaced only once the
// new workbook is complete.

#include <QString>

#include "listcaster/Export.h"
#include "listcaster/ListViewSource.h"

class QTreeWidget;
class QWidget;

namespace listcaster {

class LISTCASTER_EXPORT clsLVExcelExport {
public:
    void setListView(QTreeWidget* list) { list_ = ListViewSource(list); }

    QString Filename;
    QString Header;  // the title: the sheet's left page header
    bool Mark = false;
    bool BordersAndBackground = true;
    bool OnlySelected = false;
    // Horizontal twips per screen pixel for the column widths; 0: the screen's.
    double twipsPerPixelX = 0;

    // The writer of the workbook and its version, shown where the installed
    // spreadsheet program's version would be.
    static QString ExcelVersion();

    // The save-as dialog; true when a file was chosen (Filename then holds it).
    bool ShowFileDialog(QWidget* parent = nullptr);
    // Writes the workbook; false after a failure, which has been reported.
    bool ExportListViewToExcel(QWidget* parent = nullptr);

    static constexpr const char* kFilter =
        "Mircrosoft Excel-Workbook (*.xlsx)|*.xlsx|All files (*.*)|*.*";

private:
    ListViewSource list_;
};

}  // namespace listcaster
