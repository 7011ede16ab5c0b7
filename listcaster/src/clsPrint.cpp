#include "listcaster/clsPrint.h"

#include <QLocale>
#include <QTreeWidget>

#include "listcaster/Prompter.h"
#include "listcaster/QtPrinterDevice.h"

namespace listcaster {

namespace {
std::shared_ptr<CText> block(const QString& text, int alignment, double size, bool bold) {
    auto t = std::make_shared<CText>();
    t->Text = text;
    t->Alignment = alignment;
    FontSpec f;
    f.name = QStringLiteral("Arial");
    f.size = size;
    f.bold = bold;
    t->setFont(f);
    return t;
}
}  // namespace

clsPrint::clsPrint(PrinterDevice* printer, QObject* parent)
    : QObject(parent),
      title_(block(QString(), 2, 22, true)),
      header_(block(QStringLiteral("printed on %datetime%"), 2, 8, false)),
      footer_(block(QStringLiteral("Page %page%"), 1, 8, false)),
      font_(std::make_shared<FontSpec>()) {
    if (!printer) {
        ownPrinter_ = std::make_unique<QtPrinterDevice>();
        printer = ownPrinter_.get();
    }
    printer_ = printer;
}

clsPrint::~clsPrint() = default;

void clsPrint::setListView(QTreeWidget* list) {
    list_ = list;
    font_ = std::make_shared<FontSpec>(ListViewSource(list).font());
}

CPage& clsPrint::page() {
    if (!page_) page_ = std::make_shared<CPage>(printer_);
    return *page_;
}

bool clsPrint::columnsOverflowPage() {
    // The page settings are not created here: until printing they follow
    // the printer, whose paper and orientation the print dialog may change.
    const CPage defaults(printer_);
    const CPage& p = page_ ? *page_ : defaults;
    const double printable =
        printer_->pageWidth() - (p.LeftMargin + p.RightMargin) * kTwipsPerMillimetre;
    return CPrintListView::ColumnsWidth(ListViewSource(list_)) > printable;
}

bool clsPrint::ShowPrintDialog(QWidget* parent) {
    auto* qt = dynamic_cast<QtPrinterDevice*>(printer_);
    return prompter().printSetup(parent, qt ? qt->qprinter() : nullptr);
}

bool clsPrint::ShowPageSetupDialog(QWidget*) {
    // The page keeps its margins, orientation and paper size; paper and
    // orientation can be chosen in the print dialog.
    page();
    return true;
}

void clsPrint::ShowFontDialog(QWidget* parent) {
    if (const auto chosen = prompter().chooseFont(parent, *font_)) *font_ = *chosen;
}

QString clsPrint::formatDateTime(const QDateTime& when) {
    return QLocale().toString(when, QStringLiteral("dddd, d. MMMM yyyy, hh:mm"));
}

QString clsPrint::fillPlaceholders(const QString& text, int page, const QDateTime& now) {
    QString out = text;
    out.replace(QLatin1String("%page%"), QString::number(page));
    if (out.contains(QLatin1String("%datetime%")))
        out.replace(QLatin1String("%datetime%"), formatDateTime(now));
    return out;
}

bool clsPrint::PrintListView(QWidget* parent) {
    // Without a printer the output is a PDF file, which the user names in the
    // print dialog before anything is printed.
    if (auto* qt = dynamic_cast<QtPrinterDevice*>(printer_); qt && qt->needsOutputFile()) {
        if (!ShowPrintDialog(parent) || qt->needsOutputFile()) return false;
    }

    CPrintListView engine(*printer_);
    connect(&engine, &CPrintListView::BeforeNewPage, this, [this, &engine] {
        ++pageCounter_;
        const QDateTime now = clock();
        engine.page()->Header->Text = fillPlaceholders(header_->Text, pageCounter_, now);
        engine.page()->Footer->Text = fillPlaceholders(footer_->Text, pageCounter_, now);
    });
    engine.setControl(ListViewSource(list_));
    engine.setFontItem(font_);
    engine.setTitle(title_);
    page();
    engine.setPage(page_);
    if (screenTwipsPerPixelY > 0) engine.setScreenTwipsPerPixelY(screenTwipsPerPixelY);

    CPage& p = *engine.page();
    p.Header->Alignment = header_->Alignment;
    p.Header->setFont(header_->font());
    p.Footer->Alignment = footer_->Alignment;
    p.Footer->setFont(footer_->font());

    pageCounter_ = 0;
    engine.PrintOnlySelectedItems = OnlySelected;
    engine.FitToPageWidth = FitToPageWidth;
    return engine.PrintControl(InColor, Mark);
}

}  // namespace listcaster
