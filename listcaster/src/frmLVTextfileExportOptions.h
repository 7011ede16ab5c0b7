#pragma once
// The options dialog of the text-file export: destination file, append,
// readable or structured columns, title, only selected rows, column headers.
// Created for one export; ShowDlg runs it modally and does the export.

#include <QDialog>

#include "listcaster/Export.h"
#include "listcaster/clsLVTextExport.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace listcaster {

class frmLVTextfileExportOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmLVTextfileExportOptions(QWidget* parent = nullptr);

    // Shows the dialog for list with title as the preset title; when the user
    // confirms, exports and offers to open the file. Returns true when the
    // user did not cancel.
    bool ShowDlg(QTreeWidget* list, const QString& title);

    // The text of lblSelectedItemCount for a number of selected rows.
    static QString selectedCountText(int count);

    const clsLVTextExport& exporter() const { return exporter_; }

public slots:
    void reject() override;

private slots:
    void onChangeFileName();
    void onExport();

private:
    clsLVTextExport exporter_;
    bool cancelled_ = true;

    QGroupBox* Frame1;
    QLabel* Label1;
    QLabel* lblFileName;
    QPushButton* btnChangeFileName;
    QCheckBox* chkAppend;
    QGroupBox* Frame2;
    QLabel* Label3;
    QRadioButton* optStructured;
    QRadioButton* optReadable;
    QLabel* Label2;
    QLineEdit* txtTitle;
    QCheckBox* chkOnlySelected;
    QLabel* lblSelectedItemCount;
    QCheckBox* chkHeaders;
    QPushButton* btnExport;
    QPushButton* btnCancel;
};

}  // namespace listcaster
