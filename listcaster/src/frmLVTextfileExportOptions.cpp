#include "frmLVTextfileExportOptions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "listcaster/Prompter.h"

namespace listcaster {

namespace {
const QString kCaption = QStringLiteral("Export list");

template <typename W>
W* named(W* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}
}  // namespace

frmLVTextfileExportOptions::frmLVTextfileExportOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLVTextfileExportOptions"));
    setWindowTitle(QStringLiteral("Export list to textfile"));
    setModal(true);

    Frame1 = named(new QGroupBox(QStringLiteral("Export destination"), this), "Frame1");
    Label1 = named(new QLabel(QStringLiteral("Filename:"), Frame1), "Label1");
    lblFileName = named(new QLabel(QStringLiteral("(not set)"), Frame1), "lblFileName");
    lblFileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFileName->setMinimumWidth(260);
    btnChangeFileName =
        named(new QPushButton(QStringLiteral("&Change..."), Frame1), "btnChangeFileName");
    btnChangeFileName->setAutoDefault(false);
    chkAppend =
        named(new QCheckBox(QStringLiteral("Append to existing file"), Frame1), "chkAppend");
    Label1->setBuddy(btnChangeFileName);
    auto* g1 = new QGridLayout(Frame1);
    g1->addWidget(Label1, 0, 0);
    g1->addWidget(lblFileName, 0, 1);
    g1->addWidget(btnChangeFileName, 0, 2);
    g1->addWidget(chkAppend, 1, 0, 1, 3);
    g1->setColumnStretch(1, 1);

    Frame2 = named(new QGroupBox(QStringLiteral("Optionen"), this), "Frame2");
    Label3 =
        named(new QLabel(QStringLiteral("Text-Mode for separating columns:"), Frame2), "Label3");
    optStructured =
        named(new QRadioButton(QStringLiteral("Structured (separate with a tabulator)"), Frame2),
              "optStructured");
    optReadable = named(
        new QRadioButton(QStringLiteral("Readable (separate with one or more spaces)"), Frame2),
        "optReadable");
    optReadable->setChecked(true);
    Label2 = named(new QLabel(QStringLiteral("Title:"), Frame2), "Label2");
    txtTitle = named(new QLineEdit(Frame2), "txtTitle");
    Label2->setBuddy(txtTitle);
    chkOnlySelected = named(new QCheckBox(QStringLiteral("Export only selected entries"), Frame2),
                            "chkOnlySelected");
    lblSelectedItemCount = named(new QLabel(selectedCountText(0), Frame2), "lblSelectedItemCount");
    chkHeaders = named(new QCheckBox(QStringLiteral("Write column headers"), Frame2), "chkHeaders");
    chkHeaders->setChecked(true);
    auto* g2 = new QGridLayout(Frame2);
    g2->addWidget(Label3, 0, 0, 1, 2);
    g2->addWidget(optStructured, 1, 0, 1, 2);
    g2->addWidget(optReadable, 2, 0, 1, 2);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(Label2);
    titleRow->addWidget(txtTitle, 1);
    g2->addLayout(titleRow, 3, 0, 1, 2);
    g2->addWidget(chkOnlySelected, 4, 0);
    g2->addWidget(lblSelectedItemCount, 4, 1, Qt::AlignRight);
    g2->addWidget(chkHeaders, 5, 0, 1, 2);
    g2->setColumnStretch(1, 1);

    btnExport = named(new QPushButton(QStringLiteral("&Export"), this), "btnExport");
    btnExport->setDefault(true);
    btnCancel = named(new QPushButton(QStringLiteral("&Cancel"), this), "btnCancel");
    btnCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnExport);
    buttons->addWidget(btnCancel);

    auto* main = new QVBoxLayout(this);
    main->addWidget(Frame1);
    main->addWidget(Frame2);
    main->addLayout(buttons);

    // Each control writes its option into the exporter as it changes.
    connect(chkAppend, &QCheckBox::toggled, this, [this](bool on) { exporter_.setAppend(on); });
    connect(optReadable, &QRadioButton::toggled, this,
            [this](bool on) { exporter_.setReadable(on); });
    connect(txtTitle, &QLineEdit::textChanged, this,
            [this](const QString& t) { exporter_.setHeader(t); });
    connect(chkOnlySelected, &QCheckBox::toggled, this,
            [this](bool on) { exporter_.setOnlySelected(on); });
    connect(chkHeaders, &QCheckBox::toggled, this,
            [this](bool on) { exporter_.setWriteHeader(on); });
    connect(btnChangeFileName, &QPushButton::clicked, this,
            &frmLVTextfileExportOptions::onChangeFileName);
    connect(btnExport, &QPushButton::clicked, this, &frmLVTextfileExportOptions::onExport);
    connect(btnCancel, &QPushButton::clicked, this, &frmLVTextfileExportOptions::reject);
}

QString frmLVTextfileExportOptions::selectedCountText(int count) {
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" entry") : QStringLiteral(" entries")) +
           QStringLiteral(" selected");
}

void frmLVTextfileExportOptions::onChangeFileName() {
    if (exporter_.ShowFileDialog(this)) lblFileName->setText(exporter_.filename());
}

void frmLVTextfileExportOptions::onExport() {
    if (exporter_.filename().isEmpty()) {
        prompter().message(this, MessageIcon::Error, kCaption,
                           QStringLiteral("No filename entered."));
        return;
    }
    cancelled_ = false;
    accept();
}

// Cancel, Esc and the close box all end here: the dialog is marked cancelled
// and hidden.
void frmLVTextfileExportOptions::reject() {
    cancelled_ = true;
    QDialog::reject();
}

bool frmLVTextfileExportOptions::ShowDlg(QTreeWidget* list, const QString& title) {
    exporter_.setListView(list);
    const ListViewSource source(list);
    lblSelectedItemCount->setText(selectedCountText(source.selectedCount()));
    exporter_.setHeader(title);
    txtTitle->setText(title);

    cancelled_ = true;
    exec();
    if (cancelled_) return false;

    if (exporter_.ExportListViewToTextfile(this)) {
        const Answer a =
            prompter().message(this, MessageIcon::Question, kCaption,
                               QStringLiteral("The list has been successfully exported.\n\n"
                                              "Do you want to open the file now?"),
                               MessageButtons::YesNo);
        if (a == Answer::Yes && !prompter().openWithDefaultProgram(this, exporter_.filename())) {
            prompter().message(
                this, MessageIcon::Warning, kCaption,
                QStringLiteral("The file could not be opened:\n\n") + exporter_.filename());
        }
    }
    return true;
}

}  // namespace listcaster
