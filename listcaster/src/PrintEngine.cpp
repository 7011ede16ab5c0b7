#include "listcaster/PrintEngine.h"

#include <QApplication>
#include <algorithm>
#include <cmath>

#include "PrintFailure.h"

namespace listcaster {

CPage::CPage(const PrinterDevice* printer) {
    if (printer && printer->hasPrinter()) {
        PaperSize = static_cast<qint16>(printer->paperSize());
        Orientation = static_cast<qint16>(printer->orientation());
    }
}

namespace MPrintFunctions {

namespace {
// x of a text of width w placed in a cell from `left` of width `width`.
double alignedX(Alignment a, double left, double width, double w) {
    switch (a) {
        case Alignment::Right:
            return left + width - w;
        case Alignment::Centre:
            return left + (width - w) / 2.0;
        case Alignment::Left:
            break;
    }
    return left;
}
}  // namespace

void ApplyPageSetup(PrinterDevice& printer, const CPage& page) {
    printer.setPaperSize(page.PaperSize);
    printer.setOrientation(page.Orientation);
}

void ApplyPrinterFont(PrinterDevice& printer, const FontSpec& font) {
    printer.setFont(font);
}

void InsertPageNumber(const PrinterDevice& printer, QString& text) {
    const int at = text.indexOf(QLatin1String("<pag>"));
    if (at >= 0) text.replace(at, 5, QString::number(printer.page()));
}

void PrintTextBlock(PrinterDevice& printer, const CText& block, int leftMargin, int rightMargin) {
    if (block.Text.isEmpty()) return;
    ApplyPrinterFont(printer, block.font());
    // Placed by the width of the text as typed, before the page number goes in.
    const double w = printer.textWidth(block.Text);
    double x = leftMargin;
    if (block.Alignment == 1)
        x = printer.pageWidth() - rightMargin - w;
    else if (block.Alignment == 2)
        x = (printer.pageWidth() - w) / 2.0;
    QString text = block.Text;
    InsertPageNumber(printer, text);
    printer.setCurrentX(x);
    printer.print(text, true);
}

void PrintColumnHeaders(PrinterDevice& printer, const ListViewSource& list, int leftMargin,
                        double screenTwipsPerPixelY) {
    const double y0 = printer.currentY();
    const double h = printer.textHeight(QStringLiteral("A"));
    double offset = 0;
    double bottom = y0 + h;
    for (int i = 1; i <= list.columnCount(); ++i) {
        const int width = list.columnWidthTwips(i);
        if (width <= 0) continue;
        const double left = leftMargin + offset;
        printer.drawBox(left, y0 + h, left + width, y0 + h, qRgb(0, 0, 0));
        const QString caption = list.columnText(i);
        printer.setCurrentX(
            alignedX(list.columnAlignment(i), left, width, printer.textWidth(caption)));
        printer.setCurrentY(y0);
        printer.print(caption, true);
        // Rows start below the tallest caption, so a caption with line breaks
        // is never overprinted.
        bottom = std::max(bottom, printer.currentY());
        offset += width;
    }
    printer.setCurrentY(bottom + 2.0 * screenTwipsPerPixelY);
}

void PrintListRow(PrinterDevice& printer, int row, const ListViewSource& list, int leftMargin,
                  bool inColor, bool mark) {
    const FontSpec saved = printer.font();
    const QRgb savedColour = printer.foreColor();
    const double p = printer.twipsPerPixelY();
    const double th = std::round(printer.textHeight(list.itemText(row)));
    const double rh = std::round(th + 2.0 * p);
    const double y0 = printer.currentY();
    const bool marked = mark && list.isSelected(row);
    double offset = 0;
    for (int i = 1; i <= list.columnCount(); ++i) {
        const int width = list.columnWidthTwips(i);
        if (width <= 0) continue;
        const double left = list.columnIndex(i) == 1 ? leftMargin : leftMargin + offset;
        const QString text = list.cellText(row, i);
        FontSpec f = saved;
        f.bold = list.cellBold(row, i) || marked;
        printer.setFont(f);
        QRgb colour = qRgb(0, 0, 0);
        if (inColor) colour = marked ? qRgb(0, 0, 255) : list.cellForeColor(row, i).rgb();
        printer.setForeColor(colour);
        printer.setCurrentX(
            alignedX(list.columnAlignment(i), left, width, printer.textWidth(text)));
        printer.setCurrentY(y0 + (rh - th) / 2.0);
        printer.print(text, true);
        offset += width;
    }
    printer.setCurrentY(y0 + rh);
    printer.setFont(saved);
    printer.setForeColor(savedColour);
}

bool RowFitsOnPage(const PrinterDevice& printer, double rowHeight, double bottomLimit) {
    return printer.currentY() + rowHeight < printer.pageHeight() - bottomLimit;
}

}  // namespace MPrintFunctions

using namespace MPrintFunctions;

CPrintListView::CPrintListView(PrinterDevice& printer, QObject* parent)
    : QObject(parent),
      printer_(printer),
      page_(std::make_shared<CPage>(&printer)),
      title_(std::make_shared<CText>()),
      fontItem_(std::make_shared<FontSpec>()),
      screenTpp_(ListViewSource::twipsPerPixelY()) {}

void CPrintListView::setControl(const ListViewSource& list) {
    list_ = list;
    headerFont_ = list.font();
    fontItem_ = std::make_shared<FontSpec>(list.font());
}

void CPrintListView::printHeader() {
    const CText& header = *page_->Header;
    if (header.Text.isEmpty()) return;
    // The header's last line sits on the top margin. Its height is measured in
    // its own font, so it stands at the same place on every page.
    ApplyPrinterFont(printer_, header.font());
    printer_.setCurrentY(page_->TopMargin * kTwipsPerMillimetre - printer_.textHeight(header.Text));
    PrintTextBlock(printer_, header, std::lround(page_->LeftMargin * kTwipsPerMillimetre),
                   std::lround(page_->RightMargin * kTwipsPerMillimetre));
}

void CPrintListView::printFooter() {
    printer_.setCurrentY(printer_.pageHeight() - page_->BottomMargin * kTwipsPerMillimetre);
    PrintTextBlock(printer_, *page_->Footer, std::lround(page_->LeftMargin * kTwipsPerMillimetre),
                   std::lround(page_->RightMargin * kTwipsPerMillimetre));
}

bool CPrintListView::PrintControl(bool inColor, bool mark) {
    printedItems_ = 0;
    const int left = std::lround(page_->LeftMargin * kTwipsPerMillimetre);
    const int right = std::lround(page_->RightMargin * kTwipsPerMillimetre);
    const double top = page_->TopMargin * kTwipsPerMillimetre;
    const double bottom = page_->BottomMargin * kTwipsPerMillimetre;
    const FontSpec itemFont = fontItem_ ? *fontItem_ : list_.font();
    try {
        ApplyPageSetup(printer_, *page_);
        printer_.print(QStringLiteral(" "), true);  // opens the document

        emit BeforeNewPage();
        printHeader();
        printer_.setCurrentY(top + (page_->Header->Text.isEmpty() ? 0.0 : screenGap()));
        if (title_ && !title_->Text.isEmpty()) {
            PrintTextBlock(printer_, *title_, left, right);
            printer_.setCurrentY(printer_.currentY() + screenGap());
        }
        ApplyPrinterFont(printer_, headerFont_);
        PrintColumnHeaders(printer_, list_, left, screenTpp_);
        ApplyPrinterFont(printer_, itemFont);

        const double bottomLimit = bottom + (page_->Footer->Text.isEmpty() ? 0.0 : screenGap());
        const int rows = list_.rowCount();
        for (int i = 1; i <= rows; ++i) {
            if (PrintOnlySelectedItems && !list_.isSelected(i)) continue;
            const double needed =
                printer_.textHeight(list_.itemText(i)) + 2.0 * printer_.twipsPerPixelY();
            if (!RowFitsOnPage(printer_, needed, bottomLimit)) {
                printFooter();
                emit BeforeNewPage();
                printer_.newPage();
                printHeader();
                ApplyPrinterFont(printer_, headerFont_);
                printer_.setCurrentY(top + (page_->Header->Text.isEmpty() ? 0.0 : screenGap()));
                PrintColumnHeaders(printer_, list_, left, screenTpp_);
                ApplyPrinterFont(printer_, itemFont);
            }
            PrintListRow(printer_, i, list_, left, inColor, mark);
            ++printedItems_;
        }
        printFooter();
        printer_.endDoc();
        return true;
    } catch (const PrinterError& e) {
        reportPrintFailure(printer_, e.number(), e.description());
    } catch (const std::exception& e) {
        reportPrintFailure(printer_, 482, QString::fromLocal8Bit(e.what()));
    }
    return false;
}

}  // namespace listcaster
