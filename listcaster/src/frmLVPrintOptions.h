#pragma once
// The print-options dialog: edits the title, header and footer with their
// fonts and alignments, shows and changes the printer, the rows' font and the
// colour, highlighting and selection options. Created for one printout;
// ShowDlg runs it modally and prints.

#include <QDialog>

#include "listcaster/Export.h"
#include "listcaster/clsPrint.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QToolBar;
class QTreeWidget;

namespace listcaster {

class frmLVPrintOptions : public QDialog {
    Q_OBJECT
public:
    // printer: the device to print on (not owned); null for the real printer.
    explicit frmLVPrintOptions(QWidget* parent = nullptr, PrinterDevice* printer = nullptr);

    // Shows the dialog for list with title as the preset title and prints when
    // the user confirms. Returns true when the user did not cancel.
    bool ShowDlg(QTreeWidget* list, const QString& title);

    clsPrint& printSettings() { return print_; }

public slots:
    void reject() override;

private slots:
    void onTabChanged(int index);
    void onToolbar(QAction* action);
    void onChangePrinter();

private:
    void showAlignment(int alignment);
    void readPrinter();
    CText& block();

    clsPrint print_;
    bool cancelled_ = true;

    QTabBar* tabber;
    QLineEdit* txtText;
    QToolBar* symbFont;
    QAction* align_left;
    QAction* align_center;
    QAction* align_right;
    QAction* font_properties;
    QPushButton* btnInsertDateTime;
    QPushButton* btnInsertPageNum;
    QGroupBox* Frame2;
    QCheckBox* chkInColor;
    QCheckBox* chkMark;
    QCheckBox* chkOnlySelected;
    QCheckBox* chkFitToPageWidth;
    bool fitChosen_ = false;  // the user set the fit box: keep their choice
    QLabel* lblSelectedItemCount;
    QGroupBox* Frame1;
    QLabel* Label1;
    QLabel* lblPrinterDevice;
    QLabel* Label3;
    QLabel* lblPrinterPort;
    QLabel* Label5;
    QLabel* lblCopies;
    QPushButton* btnChangePrinter;
    QPushButton* btnPageSetup;
    QPushButton* btnChooseListItemFont;
    QPushButton* btnPrint;
    QPushButton* btnCancel;
};

}  // namespace listcaster
