#include "listcaster/PrintEngine.h"

#include <QApplication>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <memory>

#include "PrintFailure.h"
#include "TextLines.h"
#include "listcaster/Prompter.h"

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

QString FitText(PrinterDevice& printer, const QString& text, double width, int maxLines) {
    QStringList lines = splitLines(text);
    bool cutBelow = false;
    if (maxLines > 0 && lines.size() > maxLines) {
        lines = lines.mid(0, maxLines);
        cutBelow = true;
    }
    const QString ellipsis(QChar(0x2026));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString& line = lines[n];
        const bool last = n == lines.size() - 1;
        if (!(cutBelow && last) && printer.textWidth(line) <= width) continue;
        // The longest start of the line that fits with the ellipsis after it.
        qsizetype lo = 0, hi = line.size();
        if (cutBelow && last && printer.textWidth(line + ellipsis) <= width) lo = hi;
        while (lo < hi) {
            const qsizetype mid = (lo + hi + 1) / 2;
            if (printer.textWidth(line.left(mid) + ellipsis) <= width)
                lo = mid;
            else
                hi = mid - 1;
        }
        line = printer.textWidth(ellipsis) <= width ? line.left(lo) + ellipsis : QString();
    }
    return lines.join(QLatin1Char('\n'));
}

QString WrapCaption(PrinterDevice& printer, const QString& caption, double width) {
    QStringList lines = splitLines(caption);
    // Each split makes a line shorter, so this ends; the bound is a guard.
    for (int guard = 0; guard < 1000; ++guard) {
        qsizetype widest = -1;
        double most = width;
        for (qsizetype n = 0; n < lines.size(); ++n) {
            const double w = printer.textWidth(lines[n]);
            if (w > most && lines[n].trimmed().contains(QLatin1Char(' '))) {
                most = w;
                widest = n;
            }
        }
        if (widest < 0) break;
        const QString line = lines[widest].trimmed();
        const qsizetype blank = line.lastIndexOf(QLatin1Char(' '));
        lines[widest] = line.left(blank).trimmed();
        lines.insert(widest + 1, line.mid(blank + 1).trimmed());
    }
    return FitText(printer, lines.join(QLatin1Char('\n')), width);
}

namespace {
// Left edge and width of visible column i at offset, clipped at the right
// edge; a width of 0 or less means nothing of the column is on the page.
struct Cell {
    double left;
    double width;
};
Cell cellAt(double left, int columnWidth, const ColumnFit& fit) {
    const double w = columnWidth * fit.scale;
    return {left, std::min(left + w, fit.rightEdge) - left};
}
}  // namespace

void PrintColumnHeaders(PrinterDevice& printer, const ListViewSource& list, int leftMargin,
                        double screenTwipsPerPixelY, const ColumnFit& fit) {
    const double y0 = printer.currentY();
    const double h = printer.textHeight(QStringLiteral("A"));
    double offset = 0;
    double bottom = y0 + h;
    for (int i = 1; i <= list.columnCount(); ++i) {
        const int width = list.columnWidthTwips(i);
        if (width <= 0) continue;
        const Cell cell = cellAt(leftMargin + offset, width, fit);
        offset += width * fit.scale;
        if (cell.width <= 0) continue;
        printer.drawBox(cell.left, y0 + h, cell.left + cell.width, y0 + h, qRgb(0, 0, 0));
        const QString caption = WrapCaption(printer, list.columnText(i), cell.width);
        printer.setCurrentX(
            alignedX(list.columnAlignment(i), cell.left, cell.width, printer.textWidth(caption)));
        printer.setCurrentY(y0);
        printer.print(caption, true);
        // Rows start below the tallest caption, so a caption with line breaks
        // is never overprinted.
        bottom = std::max(bottom, printer.currentY());
    }
    printer.setCurrentY(bottom + 2.0 * screenTwipsPerPixelY);
}

void PrintListRow(PrinterDevice& printer, int row, const ListViewSource& list, int leftMargin,
                  bool inColor, bool mark, const ColumnFit& fit) {
    const FontSpec saved = printer.font();
    const QRgb savedColour = printer.foreColor();
    const double p = printer.twipsPerPixelY();
    const QString own = list.itemText(row);
    const double th = std::round(printer.textHeight(own));
    const double rh = std::round(th + 2.0 * p);
    // The row is as high as its own text: no cell may have more lines.
    const int lines = static_cast<int>(splitLines(own).size());
    const double y0 = printer.currentY();
    const bool marked = mark && list.isSelected(row);
    double offset = 0;
    for (int i = 1; i <= list.columnCount(); ++i) {
        const int width = list.columnWidthTwips(i);
        if (width <= 0) continue;
        const Cell cell =
            cellAt(list.columnIndex(i) == 1 ? leftMargin : leftMargin + offset, width, fit);
        offset += width * fit.scale;
        if (cell.width <= 0) continue;
        FontSpec f = saved;
        f.bold = list.cellBold(row, i) || marked;
        printer.setFont(f);
        QRgb colour = qRgb(0, 0, 0);
        if (inColor) colour = marked ? qRgb(0, 0, 255) : list.cellForeColor(row, i).rgb();
        printer.setForeColor(colour);
        const QString text = FitText(printer, list.cellText(row, i), cell.width, lines);
        printer.setCurrentX(
            alignedX(list.columnAlignment(i), cell.left, cell.width, printer.textWidth(text)));
        printer.setCurrentY(y0 + (rh - th) / 2.0);
        printer.print(text, true);
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

double CPrintListView::ColumnsWidth(const ListViewSource& list) {
    double total = 0;
    for (int i = 1; i <= list.columnCount(); ++i) total += std::max(0, list.columnWidthTwips(i));
    return total;
}

bool CPrintListView::PrintControl(bool inColor, bool mark) {
    printedItems_ = 0;
    const int left = std::lround(page_->LeftMargin * kTwipsPerMillimetre);
    const int right = std::lround(page_->RightMargin * kTwipsPerMillimetre);
    const double top = page_->TopMargin * kTwipsPerMillimetre;
    const double bottom = page_->BottomMargin * kTwipsPerMillimetre;
    FontSpec itemFont = fontItem_ ? *fontItem_ : list_.font();
    FontSpec headerFont = headerFont_;
    try {
        ApplyPageSetup(printer_, *page_);
        // Known once the paper and orientation are set.
        ColumnFit fit;
        fit.rightEdge = printer_.pageWidth() - right;
        const double printable = fit.rightEdge - left;
        const double columns = ColumnsWidth(list_);
        if (FitToPageWidth && printable > 0 && columns > printable) {
            fit.scale = printable / columns;
            itemFont.size *= fit.scale;
            headerFont.size *= fit.scale;
        }
        printer_.print(QStringLiteral(" "), true);  // opens the document

        emit BeforeNewPage();
        printHeader();
        printer_.setCurrentY(top + (page_->Header->Text.isEmpty() ? 0.0 : screenGap()));
        if (title_ && !title_->Text.isEmpty()) {
            PrintTextBlock(printer_, *title_, left, right);
            printer_.setCurrentY(printer_.currentY() + screenGap());
        }
        ApplyPrinterFont(printer_, headerFont);
        PrintColumnHeaders(printer_, list_, left, screenTpp_, fit);
        ApplyPrinterFont(printer_, itemFont);

        const double bottomLimit = bottom + (page_->Footer->Text.isEmpty() ? 0.0 : screenGap());
        const int rows = list_.rowCount();
        // A long list shows its progress; Cancel abandons the printout.
        std::unique_ptr<Progress> progress;
        if (rows > kProgressRows)
            progress = prompter().progress(list_.widget(), QStringLiteral("Print list"),
                                           QStringLiteral("Printing %1 rows ...")
                                               .arg(QLocale(QLocale::English).toString(rows)),
                                           rows);
        for (int i = 1; i <= rows; ++i) {
            if (progress && i % 256 == 0 && !progress->advance(i)) {
                printer_.abortDoc();
                return false;
            }
            if (PrintOnlySelectedItems && !list_.isSelected(i)) continue;
            const double needed =
                printer_.textHeight(list_.itemText(i)) + 2.0 * printer_.twipsPerPixelY();
            if (!RowFitsOnPage(printer_, needed, bottomLimit)) {
                printFooter();
                emit BeforeNewPage();
                printer_.newPage();
                printHeader();
                ApplyPrinterFont(printer_, headerFont);
                printer_.setCurrentY(top + (page_->Header->Text.isEmpty() ? 0.0 : screenGap()));
                PrintColumnHeaders(printer_, list_, left, screenTpp_, fit);
                ApplyPrinterFont(printer_, itemFont);
            }
            PrintListRow(printer_, i, list_, left, inColor, mark, fit);
            ++printedItems_;
        }
        if (progress && !progress->advance(rows)) {
            printer_.abortDoc();
            return false;
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
