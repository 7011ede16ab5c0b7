#pragma once
// The print settings of one print dialog: title, header and footer blocks, the
// font of the rows, colour, highlighting and selection options, the page and
// the printer. PrintListView hands them to the print engine and, before each
// page, fills "%page%" and "%datetime%" into the header and footer.

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "listcaster/PrintEngine.h"

class QTreeWidget;
class QWidget;

namespace listcaster {

class LISTCASTER_EXPORT clsPrint : public QObject {
    Q_OBJECT
public:
    // Prints on printer (not owned); without one, on a QtPrinterDevice of its
    // own: the default printer, or a PDF file when none is installed.
    explicit clsPrint(PrinterDevice* printer = nullptr, QObject* parent = nullptr);
    ~clsPrint() override;

    // Binding a list also makes Font a copy of the list's font.
    void setListView(QTreeWidget* list);
    QTreeWidget* listView() const { return list_; }

    CText& Title() { return *title_; }
    CText& Header() { return *header_; }
    CText& Footer() { return *footer_; }
    FontSpec& Font() { return *font_; }
    bool InColor = true;
    bool Mark = false;
    bool OnlySelected = false;
    // Scale the captions and rows down to the printable width when the
    // columns are wider than it.
    bool FitToPageWidth = false;
    // True when the list's visible columns are wider than the page between
    // its margins, on the current printer's paper.
    bool columnsOverflowPage();
    PrinterDevice& MyPrinter() { return *printer_; }
    // The page settings, kept for the life of this object.
    CPage& page();

    // The print-setup dialog; the printer chosen there becomes the current one.
    bool ShowPrintDialog(QWidget* parent = nullptr);
    // Keeps the page's margins, orientation and paper size as they are.
    bool ShowPageSetupDialog(QWidget* parent = nullptr);
    // The font dialog for the rows' font; a cancelled dialog changes nothing.
    void ShowFontDialog(QWidget* parent = nullptr);
    // Prints the list; false after a reported failure, or when no printer is
    // installed and the user did not choose a PDF file to print into.
    bool PrintListView(QWidget* parent = nullptr);

    // Where the date and time of "%datetime%" come from (tests fix it).
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    // Screen twips per pixel for the engine's gaps; 0: the primary screen's.
    double screenTwipsPerPixelY = 0;

    // "%page%" and "%datetime%" filled in, every occurrence, case-sensitive.
    static QString fillPlaceholders(const QString& text, int page, const QDateTime& now);
    // "dddd, d. mmmm yyyy, hh:nn" in the user's language.
    static QString formatDateTime(const QDateTime& when);

private:
    std::unique_ptr<PrinterDevice> ownPrinter_;
    PrinterDevice* printer_;
    QPointer<QTreeWidget> list_;
    std::shared_ptr<CText> title_;
    std::shared_ptr<CText> header_;
    std::shared_ptr<CText> footer_;
    std::shared_ptr<FontSpec> font_;
    std::shared_ptr<CPage> page_;
    int pageCounter_ = 0;
};

}  // namespace listcaster
