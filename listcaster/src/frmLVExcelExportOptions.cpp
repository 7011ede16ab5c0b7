#include "frmLVExcelExportOptions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "listcaster/Prompter.h"

namespace listcaster {

namespace {
const QString kCaption = QStringLiteral("Export list");

QString countText(int count) {
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" entry") : QStringLiteral(" entries")) +
           QStringLiteral(" selected");
}
}  // namespace

frmLVExcelExportOptions::frmLVExcelExportOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLVExcelExportOptions"));
    setWindowTitle(QStringLiteral("Export list to Microsoft Excel"));
    setModal(true);

    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    Frame1 = new QGroupBox(QStringLiteral("Export destination"), this);
    named(Frame1, "Frame1");
    Label1 = new QLabel(QStringLiteral("Filename:"), Frame1);
    named(Label1, "Label1");
    lblFileName = new QLabel(QStringLiteral("(not set)"), Frame1);
    named(lblFileName, "lblFileName");
    lblFileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFileName->setWordWrap(true);
    Label1->setBuddy(lblFileName);
    btnChangeFileName = new QPushButton(QStringLiteral("&Change..."), Frame1);
    named(btnChangeFileName, "btnChangeFileName");
    btnChangeFileName->setAutoDefault(false);
    Label3 = new QLabel(QStringLiteral("Installed Excel-Version:"), Frame1);
    named(Label3, "Label3");
    lblVersion = new QLabel(Frame1);
    named(lblVersion, "lblVersion");
    Label3->setBuddy(lblVersion);

    Frame2 = new QGroupBox(QStringLiteral("Options"), this);
    named(Frame2, "Frame2");
    Label2 = new QLabel(QStringLiteral("Title:"), Frame2);
    named(Label2, "Label2");
    txtTitle = new QLineEdit(Frame2);
    named(txtTitle, "txtTitle");
    Label2->setBuddy(txtTitle);
    chkOnlySelected = new QCheckBox(QStringLiteral("Export only selected entries:"), Frame2);
    named(chkOnlySelected, "chkOnlySelected");
    lblSelectedItemCount = new QLabel(countText(0), Frame2);
    named(lblSelectedItemCount, "lblSelectedItemCount");
    chkBordersAndBackground =
        new QCheckBox(QStringLiteral("Export borders and coloured backgrounds"), Frame2);
    named(chkBordersAndBackground, "chkBordersAndBackground");
    chkBordersAndBackground->setChecked(true);
    chkMark = new QCheckBox(QStringLiteral("Highlight selected entries (background)"), Frame2);
    named(chkMark, "chkMark");

    btnExport = new QPushButton(QStringLiteral("&Export"), this);
    named(btnExport, "btnExport");
    btnExport->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    named(btnCancel, "btnCancel");
    btnCancel->setAutoDefault(false);

    auto* dest = new QGridLayout(Frame1);
    dest->addWidget(Label1, 0, 0);
    dest->addWidget(lblFileName, 0, 1);
    dest->addWidget(btnChangeFileName, 0, 2);
    dest->addWidget(Label3, 1, 0);
    dest->addWidget(lblVersion, 1, 1, 1, 2);
    dest->setColumnStretch(1, 1);

    auto* opts = new QGridLayout(Frame2);
    opts->addWidget(Label2, 0, 0);
    opts->addWidget(txtTitle, 0, 1, 1, 2);
    opts->addWidget(chkOnlySelected, 1, 0, 1, 2);
    opts->addWidget(lblSelectedItemCount, 1, 2);
    opts->addWidget(chkBordersAndBackground, 2, 0, 1, 3);
    opts->addWidget(chkMark, 3, 0, 1, 3);
    opts->setContentsMargins(9, 9, 9, 9);
    opts->setColumnStretch(1, 1);
    // The highlight option belongs to the borders option: indented under it.
    chkMark->setContentsMargins(20, 0, 0, 0);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnExport);
    buttons->addWidget(btnCancel);

    auto* root = new QVBoxLayout(this);
    root->addWidget(Frame1);
    root->addWidget(Frame2);
    root->addLayout(buttons);
    setMinimumWidth(460);

    connect(txtTitle, &QLineEdit::textChanged, this,
            [this](const QString& t) { exporter_.Header = t; });
    connect(chkOnlySelected, &QCheckBox::toggled, this,
            [this](bool on) { exporter_.OnlySelected = on; });
    connect(chkBordersAndBackground, &QCheckBox::toggled, this, [this](bool on) {
        exporter_.BordersAndBackground = on;
        chkMark->setEnabled(on);
    });
    connect(chkMark, &QCheckBox::toggled, this, [this](bool on) { exporter_.Mark = on; });
    connect(btnChangeFileName, &QPushButton::clicked, this,
            &frmLVExcelExportOptions::onChangeFileName);
    connect(btnExport, &QPushButton::clicked, this, &frmLVExcelExportOptions::onExport);
    connect(btnCancel, &QPushButton::clicked, this, &frmLVExcelExportOptions::reject);
}

void frmLVExcelExportOptions::onChangeFileName() {
    if (exporter_.ShowFileDialog(this)) lblFileName->setText(exporter_.Filename);
}

void frmLVExcelExportOptions::onExport() {
    if (exporter_.Filename.isEmpty()) {
        prompter().message(this, MessageIcon::Error, kCaption,
                           QStringLiteral("No filename entered."));
        return;
    }
    cancelled_ = false;
    accept();
}

// Cancel, Esc and the close box all end here.
void frmLVExcelExportOptions::reject() {
    cancelled_ = true;
    QDialog::reject();
}

bool frmLVExcelExportOptions::ShowDlg(QTreeWidget* list, const QString& title) {
    exporter_.setListView(list);
    lblSelectedItemCount->setText(countText(ListViewSource(list).selectedCount()));
    lblVersion->setText(clsLVExcelExport::ExcelVersion());
    exporter_.Header = title;
    txtTitle->setText(title);

    cancelled_ = true;
    exec();
    if (cancelled_) return false;

    if (exporter_.ExportListViewToExcel(this)) {
        const Answer a =
            prompter().message(this, MessageIcon::Question, kCaption,
                               QStringLiteral("The list has been successfully exported.\n\n"
                                              "Do you want to open the file now?"),
                               MessageButtons::YesNo);
        if (a == Answer::Yes && !prompter().openWithDefaultProgram(this, exporter_.Filename))
            prompter().message(
                this, MessageIcon::Warning, kCaption,
                QStringLiteral("The file could not be opened:\n\n") + exporter_.Filename);
    }
    return true;
}

}  // namespace listcaster
