#pragma once
// The print engine: lays a list out on printed pages with a header line in the
// top margin, a title on the first page, the column captions on every page, one
// printed line per row and a footer line in the bottom margin. All positions are
// twips; margins are kept in millimetres.

#include <QObject>
#include <QString>
#include <limits>
#include <memory>

#include "listcaster/Export.h"
#include "listcaster/ListViewSource.h"
#include "listcaster/PrinterDevice.h"

namespace listcaster {

constexpr double kTwipsPerMillimetre = 56.7;

// One block of text (title, header or footer) with its font and alignment.
// Assigning a font stores a copy of its six values.
class LISTCASTER_EXPORT CText {
public:
    QString Text;
    int Alignment = 0;  // 0 left, 1 right, 2 centre
    const FontSpec& font() const { return font_; }
    void setFont(const FontSpec& f) { font_ = f; }

private:
    FontSpec font_;  // "Arial" 10 pt, no styles
};

// Page settings: margins in millimetres, paper size and orientation codes, and
// the header and footer blocks.
class LISTCASTER_EXPORT CPage {
public:
    // Paper size and orientation start from the printer's; A4 portrait without one.
    explicit CPage(const PrinterDevice* printer = nullptr);

    qint16 LeftMargin = 15;
    qint16 RightMargin = 15;
    qint16 TopMargin = 15;
    qint16 BottomMargin = 15;
    qint16 PaperSize = kPaperA4;
    qint16 Orientation = kOrientationPortrait;
    std::shared_ptr<CText> Header = std::make_shared<CText>();
    std::shared_ptr<CText> Footer = std::make_shared<CText>();
};

// How the columns go across the page: every visible column's width is
// multiplied by scale, and nothing is drawn right of rightEdge (twips).
struct ColumnFit {
    double scale = 1.0;
    double rightEdge = std::numeric_limits<double>::infinity();
};

// The drawing operations the engine is built from; each works on one printer.
namespace MPrintFunctions {
LISTCASTER_EXPORT void ApplyPageSetup(PrinterDevice& printer, const CPage& page);
LISTCASTER_EXPORT void ApplyPrinterFont(PrinterDevice& printer, const FontSpec& font);
// Replaces the first "<pag>" with the printer's current page number.
LISTCASTER_EXPORT void InsertPageNumber(const PrinterDevice& printer, QString& text);
// Prints a block at the current vertical position; nothing when its text is empty.
// A centred block is centred on the whole page width, not between the margins.
LISTCASTER_EXPORT void PrintTextBlock(PrinterDevice& printer, const CText& block, int leftMargin,
                                      int rightMargin);
// Prints the caption row, each caption with a rule of its column's width under
// it; hidden columns take no room. A caption wider than its column is wrapped
// at its blanks, and a word still too wide is cut with an ellipsis. Leaves the
// position two screen pixels below the tallest caption.
LISTCASTER_EXPORT void PrintColumnHeaders(PrinterDevice& printer, const ListViewSource& list,
                                          int leftMargin, double screenTwipsPerPixelY,
                                          const ColumnFit& fit = {});
// Prints row `row` (1-based) of the list at the current vertical position.
// Every cell stays inside its column: a line too wide is cut with an
// ellipsis, and a cell has no more lines than the row's own text.
LISTCASTER_EXPORT void PrintListRow(PrinterDevice& printer, int row, const ListViewSource& list,
                                    int leftMargin, bool inColor, bool mark,
                                    const ColumnFit& fit = {});
// The text as it fits into width twips in the printer's current font: each
// line too wide cut with an ellipsis ("" when not even that fits), and at
// most maxLines lines (0: any number), the last kept one then ending with an
// ellipsis.
LISTCASTER_EXPORT QString FitText(PrinterDevice& printer, const QString& text, double width,
                                  int maxLines = 0);
// The caption wrapped into width twips: the widest line is split at its last
// blank until every line fits or has no blank left; such a line is cut.
LISTCASTER_EXPORT QString WrapCaption(PrinterDevice& printer, const QString& caption, double width);
// True when a row of rowHeight twips still ends above pageHeight - bottomLimit.
LISTCASTER_EXPORT bool RowFitsOnPage(const PrinterDevice& printer, double rowHeight,
                                     double bottomLimit);
}  // namespace MPrintFunctions

// Prints one list. The owner configures it, connects to BeforeNewPage (raised
// before every page's header, the first included, so the owner can fill in page
// numbers and dates) and calls PrintControl once.
class LISTCASTER_EXPORT CPrintListView : public QObject {
    Q_OBJECT
public:
    // Failures are reported through the library's prompter.
    explicit CPrintListView(PrinterDevice& printer, QObject* parent = nullptr);

    // Binding a list also makes HeaderFont and FontItem copies of its font.
    void setControl(const ListViewSource& list);
    const ListViewSource& control() const { return list_; }

    std::shared_ptr<CPage> page() const { return page_; }
    void setPage(std::shared_ptr<CPage> page) { page_ = std::move(page); }
    std::shared_ptr<CText> title() const { return title_; }
    void setTitle(std::shared_ptr<CText> title) { title_ = std::move(title); }
    const FontSpec& headerFont() const { return headerFont_; }
    std::shared_ptr<FontSpec> fontItem() const { return fontItem_; }
    void setFontItem(std::shared_ptr<FontSpec> font) { fontItem_ = std::move(font); }

    bool PrintOnlySelectedItems = false;
    // When the visible columns are wider than the printable width (the page
    // between its left and right margins), the captions and rows are scaled
    // down to it, their fonts with them; otherwise what passes the right
    // margin is cut there.
    bool FitToPageWidth = false;
    // The total width of the visible columns, twips.
    static double ColumnsWidth(const ListViewSource& list);
    qint32 printedItems() const { return printedItems_; }

    // Screen twips per pixel (vertical) for the gaps the engine leaves; defaults
    // to the primary screen's.
    void setScreenTwipsPerPixelY(double t) { screenTpp_ = t; }
    double screenTwipsPerPixelY() const { return screenTpp_; }

    // Prints the whole document; false after a failure, which has then been
    // reported and the document aborted.
    bool PrintControl(bool inColor, bool mark);

signals:
    void BeforeNewPage();

private:
    void printHeader();
    void printFooter();
    double screenGap() const { return 20.0 * screenTpp_; }

    PrinterDevice& printer_;
    ListViewSource list_;
    std::shared_ptr<CPage> page_;
    std::shared_ptr<CText> title_;
    FontSpec headerFont_;
    std::shared_ptr<FontSpec> fontItem_;
    qint32 printedItems_ = 0;
    double screenTpp_;
};

}  // namespace listcaster
