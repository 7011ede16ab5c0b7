#include "frmLVPrintOptions.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "listcaster/Prompter.h"

namespace listcaster {

namespace {

// Toolbar pictures drawn in code: four text lines aligned left, centred or
// right, and a bold "F" for the font.
QIcon alignIcon(int alignment) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 1));
    const int lengths[] = {14, 9, 14, 7};
    for (int i = 0; i < 4; ++i) {
        const int len = lengths[i];
        int x = 1;
        if (alignment == 1) x = 15 - len;
        if (alignment == 2) x = (16 - len) / 2;
        p.drawLine(x, 2 + i * 4, x + len - 1, 2 + i * 4);
    }
    return QIcon(pm);
}

QIcon fontIcon() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f(QStringLiteral("Serif"));
    f.setPixelSize(14);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("F"));
    return QIcon(pm);
}

QString countText(int count) {
    return QString::number(count) + QLatin1Char(' ') +
           (count == 1 ? QStringLiteral("entry") : QStringLiteral("entries")) +
           QStringLiteral(" selected");
}

Qt::Alignment toQt(int alignment) {
    if (alignment == 1) return Qt::AlignRight | Qt::AlignVCenter;
    if (alignment == 2) return Qt::AlignHCenter | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

frmLVPrintOptions::frmLVPrintOptions(QWidget* parent, PrinterDevice* printer)
    : QDialog(parent), print_(printer) {
    setObjectName(QStringLiteral("frmLVPrintOptions"));
    setWindowTitle(QStringLiteral("Options for printing the list"));
    setModal(true);

    tabber = new QTabBar(this);
    tabber->setObjectName(QStringLiteral("tabber"));
    const char* keys[] = {"tabTitle", "tabHeader", "tabFooter"};
    const char* captions[] = {"Title", "Header", "Footer"};
    for (int i = 0; i < 3; ++i) {
        tabber->addTab(QString::fromLatin1(captions[i]));
        tabber->setTabData(i, QString::fromLatin1(keys[i]));
    }

    symbFont = new QToolBar(this);
    symbFont->setObjectName(QStringLiteral("symbFont"));
    symbFont->setIconSize(QSize(16, 16));
    auto addTool = [this](const char* key, const QIcon& icon, const char* tip) {
        QAction* a = symbFont->addAction(icon, QString::fromLatin1(tip));
        a->setObjectName(QString::fromLatin1(key));
        a->setToolTip(QString::fromLatin1(tip));
        return a;
    };
    align_left = addTool("align_left", alignIcon(0), "Align text left");
    align_center = addTool("align_center", alignIcon(2), "Center text");
    align_right = addTool("align_right", alignIcon(1), "Align text right");
    symbFont->addSeparator();
    font_properties = addTool("font_properties", fontIcon(), "Select font and font-styles");
    auto* alignGroup = new QActionGroup(this);
    for (QAction* a : {align_left, align_center, align_right}) {
        a->setCheckable(true);
        alignGroup->addAction(a);
    }

    btnInsertDateTime = new QPushButton(QStringLiteral("Date && &Time"), this);
    btnInsertDateTime->setObjectName(QStringLiteral("btnInsertDateTime"));
    btnInsertPageNum = new QPushButton(QStringLiteral("&Pagenumber"), this);
    btnInsertPageNum->setObjectName(QStringLiteral("btnInsertPageNum"));
    txtText = new QLineEdit(this);
    txtText->setObjectName(QStringLiteral("txtText"));
    txtText->setAccessibleName(QStringLiteral("Text"));

    Frame2 = new QGroupBox(QStringLiteral("Options"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    chkInColor = new QCheckBox(QStringLiteral("Print in color"), Frame2);
    chkInColor->setObjectName(QStringLiteral("chkInColor"));
    chkInColor->setChecked(true);
    chkMark = new QCheckBox(QStringLiteral("Highlight selected entries (bold + blue)"), Frame2);
    chkMark->setObjectName(QStringLiteral("chkMark"));
    chkOnlySelected = new QCheckBox(QStringLiteral("Print only selected entries:"), Frame2);
    chkOnlySelected->setObjectName(QStringLiteral("chkOnlySelected"));
    lblSelectedItemCount = new QLabel(countText(0), Frame2);
    lblSelectedItemCount->setObjectName(QStringLiteral("lblSelectedItemCount"));
    chkFitToPageWidth = new QCheckBox(QStringLiteral("Fit columns to page width"), Frame2);
    chkFitToPageWidth->setObjectName(QStringLiteral("chkFitToPageWidth"));
    chkFitToPageWidth->setToolTip(
        QStringLiteral("Print the columns smaller when they are wider than the page."));

    Frame1 = new QGroupBox(QStringLiteral("Current printer"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto makeLabel = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, Frame1);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    Label1 = makeLabel("Label1", QStringLiteral("Printer:"));
    lblPrinterDevice = makeLabel("lblPrinterDevice", QString());
    Label3 = makeLabel("Label3", QStringLiteral("Port:"));
    lblPrinterPort = makeLabel("lblPrinterPort", QString());
    Label5 = makeLabel("Label5", QStringLiteral("Copies:"));
    lblCopies = makeLabel("lblCopies", QString());
    for (QLabel* l : {lblPrinterDevice, lblPrinterPort, lblCopies})
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label1->setBuddy(lblPrinterDevice);
    btnChangePrinter = new QPushButton(QStringLiteral("&Change..."), Frame1);
    btnChangePrinter->setObjectName(QStringLiteral("btnChangePrinter"));

    auto makeButton = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    btnPageSetup = makeButton("btnPageSetup", "Page &setup...");
    btnChooseListItemFont = makeButton("btnChooseListItemFont", "&Entry font...");
    btnPrint = makeButton("btnPrint", "&Print");
    btnCancel = makeButton("btnCancel", "&Cancel");
    btnPrint->setDefault(true);
    for (QPushButton* b : {btnInsertDateTime, btnInsertPageNum, btnChangePrinter})
        b->setAutoDefault(false);

    // Layout: the block editor on top, options and printer side by side, the
    // command buttons at the bottom.
    auto* editorTools = new QHBoxLayout;
    editorTools->addWidget(symbFont);
    editorTools->addStretch();
    editorTools->addWidget(btnInsertDateTime);
    editorTools->addWidget(btnInsertPageNum);
    auto* editor = new QVBoxLayout;
    editor->setSpacing(2);
    editor->addWidget(tabber);
    editor->addLayout(editorTools);
    editor->addWidget(txtText);

    auto* options = new QGridLayout(Frame2);
    options->addWidget(chkInColor, 0, 0, 1, 2);
    options->addWidget(chkMark, 1, 0, 1, 2);
    options->addWidget(chkOnlySelected, 2, 0);
    options->addWidget(lblSelectedItemCount, 2, 1);
    options->addWidget(chkFitToPageWidth, 3, 0, 1, 2);
    options->setRowStretch(4, 1);

    auto* printerForm = new QFormLayout;
    printerForm->addRow(Label1, lblPrinterDevice);
    printerForm->addRow(Label3, lblPrinterPort);
    printerForm->addRow(Label5, lblCopies);
    auto* printerBox = new QVBoxLayout(Frame1);
    printerBox->addLayout(printerForm);
    printerBox->addWidget(btnChangePrinter, 0, Qt::AlignRight);

    auto* middle = new QHBoxLayout;
    middle->addWidget(Frame2, 1);
    middle->addWidget(Frame1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnPageSetup);
    buttons->addWidget(btnChooseListItemFont);
    buttons->addStretch();
    buttons->addWidget(btnPrint);
    buttons->addWidget(btnCancel);

    auto* root = new QVBoxLayout(this);
    root->addLayout(editor);
    root->addLayout(middle);
    root->addLayout(buttons);

    connect(tabber, &QTabBar::currentChanged, this, &frmLVPrintOptions::onTabChanged);
    connect(symbFont, &QToolBar::actionTriggered, this, &frmLVPrintOptions::onToolbar);
    connect(txtText, &QLineEdit::textChanged, this, [this](const QString& t) { block().Text = t; });
    connect(btnInsertDateTime, &QPushButton::clicked, this, [this] {
        txtText->insert(QStringLiteral("%datetime%"));
        txtText->setFocus();
    });
    connect(btnInsertPageNum, &QPushButton::clicked, this, [this] {
        txtText->insert(QStringLiteral("%page%"));
        txtText->setFocus();
    });
    connect(chkInColor, &QCheckBox::toggled, this, [this](bool on) {
        print_.InColor = on;
        chkMark->setEnabled(on);  // keeps its value while disabled
    });
    connect(chkMark, &QCheckBox::toggled, this, [this](bool on) { print_.Mark = on; });
    connect(chkOnlySelected, &QCheckBox::toggled, this,
            [this](bool on) { print_.OnlySelected = on; });
    connect(chkFitToPageWidth, &QCheckBox::toggled, this,
            [this](bool on) { print_.FitToPageWidth = on; });
    connect(chkFitToPageWidth, &QCheckBox::clicked, this, [this] { fitChosen_ = true; });
    connect(btnChangePrinter, &QPushButton::clicked, this, &frmLVPrintOptions::onChangePrinter);
    connect(btnPageSetup, &QPushButton::clicked, this,
            [this] { print_.ShowPageSetupDialog(this); });
    connect(btnChooseListItemFont, &QPushButton::clicked, this,
            [this] { print_.ShowFontDialog(this); });
    connect(btnPrint, &QPushButton::clicked, this, [this] {
        cancelled_ = false;
        hide();
    });
    connect(btnCancel, &QPushButton::clicked, this, &frmLVPrintOptions::reject);
}

CText& frmLVPrintOptions::block() {
    const QString key = tabber->tabData(tabber->currentIndex()).toString();
    if (key == QLatin1String("tabHeader")) return print_.Header();
    if (key == QLatin1String("tabFooter")) return print_.Footer();
    return print_.Title();
}

void frmLVPrintOptions::onTabChanged(int) {
    CText& b = block();
    const bool isTitle = &b == &print_.Title();
    btnInsertDateTime->setVisible(!isTitle);
    btnInsertPageNum->setVisible(!isTitle);
    txtText->setFont(b.font().toQFont());
    txtText->setText(b.Text);
    showAlignment(b.Alignment);
}

void frmLVPrintOptions::showAlignment(int alignment) {
    txtText->setAlignment(toQt(alignment));
    align_left->setChecked(alignment == 0);
    align_right->setChecked(alignment == 1);
    align_center->setChecked(alignment == 2);
}

void frmLVPrintOptions::onToolbar(QAction* action) {
    int alignment = -1;
    if (action == align_left) alignment = 0;
    if (action == align_right) alignment = 1;
    if (action == align_center) alignment = 2;
    if (alignment >= 0) {
        block().Alignment = alignment;
        showAlignment(alignment);
        return;
    }
    if (action == font_properties) {
        if (const auto chosen = prompter().chooseFont(this, FontSpec::fromQFont(txtText->font()))) {
            txtText->setFont(chosen->toQFont());
            block().setFont(*chosen);
        }
    }
}

void frmLVPrintOptions::readPrinter() {
    PrinterDevice& p = print_.MyPrinter();
    lblPrinterDevice->setText(p.deviceName());
    lblPrinterPort->setText(p.port());
    lblCopies->setText(QString::number(p.copies()));
}

void frmLVPrintOptions::onChangePrinter() {
    if (!print_.ShowPrintDialog(this)) return;
    readPrinter();
    // Another paper or orientation: the fit follows unless the user chose.
    if (!fitChosen_) chkFitToPageWidth->setChecked(print_.columnsOverflowPage());
}

void frmLVPrintOptions::reject() {
    cancelled_ = true;
    hide();
}

bool frmLVPrintOptions::ShowDlg(QTreeWidget* list, const QString& title) {
    print_.setListView(list);
    print_.Title().Text = title;
    lblSelectedItemCount->setText(countText(ListViewSource(list).selectedCount()));
    onTabChanged(tabber->currentIndex());
    readPrinter();
    // On when the columns would not fit across the page.
    chkFitToPageWidth->setChecked(print_.columnsOverflowPage());
    print_.FitToPageWidth = chkFitToPageWidth->isChecked();

    cancelled_ = true;
    exec();
    if (cancelled_) return false;
    if (print_.PrintListView(this))
        prompter().message(this, MessageIcon::Information, QStringLiteral("Print list"),
                           QStringLiteral("The list has been successfully sent to the printer."));
    return true;
}

}  // namespace listcaster
