#pragma once
// The options dialog of the Excel export: destination file, the workbook
// writer's version, title, only selected rows, borders and backgrounds,
// highlighting of the selection. Created for one export; ShowDlg runs it
// modally and does the export.

#include <QDialog>

#include "listcaster/Export.h"
#include "listcaster/clsLVExcelExport.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace listcaster {

class frmLVExcelExportOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmLVExcelExportOptions(QWidget* parent = nullptr);

    // Shows the dialog for list with title as the preset title; when the user
    // confirms, exports and offers to open the file. Returns true when the
    // user did not cancel.
    bool ShowDlg(QTreeWidget* list, const QString& title);

    clsLVExcelExport& exporter() { return exporter_; }

public slots:
    void reject() override;

private slots:
    void onChangeFileName();
    void onExport();

private:
    clsLVExcelExport exporter_;
    bool cancelled_ = true;

    QGroupBox* Frame1;
    QLabel* Label1;
    QLabel* lblFileName;
    QPushButton* btnChangeFileName;
    QLabel* Label3;
    QLabel* lblVersion;
    QGroupBox* Frame2;
    QLabel* Label2;
    QLineEdit* txtTitle;
    QCheckBox* chkOnlySelected;
    QLabel* lblSelectedItemCount;
    QCheckBox* chkBordersAndBackground;
    QCheckBox* chkMark;
    QPushButton* btnExport;
    QPushButton* btnCancel;
};

}  // namespace listcaster
