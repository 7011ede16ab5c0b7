#include "listcaster/QtPrinterDevice.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

#include "TextLines.h"

namespace listcaster {

namespace {

struct PaperCode {
    int code;
    QPageSize::PageSizeId id;
};
// The common paper sizes by their print-settings codes.
constexpr PaperCode kPapers[] = {
    {1, QPageSize::Letter},      {3, QPageSize::Tabloid},     {4, QPageSize::Ledger},
    {5, QPageSize::Legal},       {7, QPageSize::Executive},   {8, QPageSize::A3},
    {9, QPageSize::A4},          {11, QPageSize::A5},         {12, QPageSize::B4},
    {13, QPageSize::B5},         {20, QPageSize::Envelope10}, {27, QPageSize::EnvelopeDL},
    {28, QPageSize::EnvelopeC5}, {70, QPageSize::A6},
};

}  // namespace

int paperCodeFromQt(int pageSizeId) {
    for (const auto& p : kPapers)
        if (p.id == pageSizeId) return p.code;
    return 256;  // a user-defined size
}

int qtPageSizeFromCode(int code) {
    for (const auto& p : kPapers)
        if (p.code == code) return p.id;
    return QPageSize::A4;
}

struct QtPrinterDevice::Impl {
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<QPainter> painter;
    double x = 0, y = 0;
    int page = 1;
    FontSpec font;
    QFont qfont;
    std::unique_ptr<QFontMetricsF> metrics;
    QRgb colour = qRgb(0, 0, 0);

    // Device pixels per twip.
    double k() const { return printer->resolution() / 1440.0; }

    void init() {
        printer->setFullPage(true);
        printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        font = FontSpec{};
        applyFont();
    }

    void applyFont() {
        qfont = font.toQFont();
        metrics = std::make_unique<QFontMetricsF>(qfont, printer.get());
        if (painter && painter->isActive()) painter->setFont(qfont);
    }

    void begin() {
        if (painter && painter->isActive()) return;
        if (printer->outputFormat() == QPrinter::PdfFormat && printer->outputFileName().isEmpty())
            throw PrinterError(482, QStringLiteral("No printer is installed and no PDF file was "
                                                   "chosen to print into."));
        painter = std::make_unique<QPainter>();
        if (!painter->begin(printer.get())) {
            painter.reset();
            const QString where = printer->outputFormat() == QPrinter::PdfFormat
                                      ? printer->outputFileName()
                                      : printer->printerName();
            throw PrinterError(482, QStringLiteral("Printer error: \"%1\" could not be opened for "
                                                   "printing.")
                                        .arg(where));
        }
        // Metrics must match the device the painter draws on.
        metrics = std::make_unique<QFontMetricsF>(qfont, printer.get());
        painter->setFont(qfont);
        painter->setPen(QColor(colour));
        page = 1;
    }

    double lineHeight() const { return metrics->height() / k(); }
};

QtPrinterDevice::QtPrinterDevice() : d(std::make_unique<Impl>()) {
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    if (!printers.isEmpty()) {
        QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) info = printers.first();
        d->printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    } else {
        d->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        d->printer->setOutputFormat(QPrinter::PdfFormat);
        d->printer->setPageSize(QPageSize(QPageSize::A4));
        d->printer->setPageOrientation(QPageLayout::Portrait);
    }
    d->init();
}

QtPrinterDevice::QtPrinterDevice(const QString& pdfPath) : d(std::make_unique<Impl>()) {
    d->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    d->printer->setOutputFormat(QPrinter::PdfFormat);
    d->printer->setOutputFileName(pdfPath);
    d->printer->setPageSize(QPageSize(QPageSize::A4));
    d->printer->setPageOrientation(QPageLayout::Portrait);
    d->init();
}

QtPrinterDevice::~QtPrinterDevice() {
    if (d->painter && d->painter->isActive()) d->painter->end();
}

QPrinter* QtPrinterDevice::qprinter() const {
    return d->printer.get();
}

bool QtPrinterDevice::needsOutputFile() const {
    return d->printer->outputFormat() == QPrinter::PdfFormat &&
           d->printer->outputFileName().isEmpty();
}

bool QtPrinterDevice::hasPrinter() const {
    return d->printer->outputFormat() == QPrinter::NativeFormat;
}

QString QtPrinterDevice::deviceName() const {
    if (d->printer->outputFormat() == QPrinter::PdfFormat) return QStringLiteral("PDF file");
    return d->printer->printerName();
}

QString QtPrinterDevice::port() const {
    if (d->printer->outputFormat() == QPrinter::PdfFormat) {
        const QString f = d->printer->outputFileName();
        return f.isEmpty() ? QStringLiteral("(file chosen when printing)") : f;
    }
    const QPrinterInfo info = QPrinterInfo::printerInfo(d->printer->printerName());
    return info.location().isEmpty() ? d->printer->printerName() : info.location();
}

int QtPrinterDevice::copies() const {
    return d->printer->copyCount();
}

int QtPrinterDevice::paperSize() const {
    return paperCodeFromQt(d->printer->pageLayout().pageSize().id());
}

void QtPrinterDevice::setPaperSize(int code) {
    if (code == 256 || paperSize() == code) return;  // a custom size stays as it is
    d->printer->setPageSize(
        QPageSize(static_cast<QPageSize::PageSizeId>(qtPageSizeFromCode(code))));
}

int QtPrinterDevice::orientation() const {
    return d->printer->pageLayout().orientation() == QPageLayout::Landscape ? kOrientationLandscape
                                                                            : kOrientationPortrait;
}

void QtPrinterDevice::setOrientation(int code) {
    if (orientation() == code) return;
    d->printer->setPageOrientation(code == kOrientationLandscape ? QPageLayout::Landscape
                                                                 : QPageLayout::Portrait);
}

double QtPrinterDevice::pageWidth() const {
    return d->printer->pageLayout().fullRectPoints().width() * 20.0;
}

double QtPrinterDevice::pageHeight() const {
    return d->printer->pageLayout().fullRectPoints().height() * 20.0;
}

double QtPrinterDevice::currentX() const {
    return d->x;
}
void QtPrinterDevice::setCurrentX(double twips) {
    d->x = twips;
}
double QtPrinterDevice::currentY() const {
    return d->y;
}
void QtPrinterDevice::setCurrentY(double twips) {
    d->y = twips;
}

FontSpec QtPrinterDevice::font() const {
    return d->font;
}

void QtPrinterDevice::setFont(const FontSpec& font) {
    if (font == d->font) return;
    d->font = font;
    d->applyFont();
}

QRgb QtPrinterDevice::foreColor() const {
    return d->colour;
}

void QtPrinterDevice::setForeColor(QRgb colour) {
    if (colour == d->colour) return;
    d->colour = colour;
    if (d->painter && d->painter->isActive()) d->painter->setPen(QColor(colour));
}

double QtPrinterDevice::textWidth(const QString& text) {
    double w = 0;
    for (const QString& line : splitLines(text))
        w = std::max(w, d->metrics->horizontalAdvance(line));
    return w / d->k();
}

double QtPrinterDevice::textHeight(const QString& text) {
    return splitLines(text).size() * d->lineHeight();
}

void QtPrinterDevice::print(const QString& text, bool endLine) {
    d->begin();
    const double k = d->k();
    const double ascent = d->metrics->ascent();
    const double lh = d->lineHeight();
    const QStringList lines = splitLines(text);
    double y = d->y;
    for (const QString& line : lines) {
        if (!line.isEmpty()) d->painter->drawText(QPointF(d->x * k, y * k + ascent), line);
        y += lh;
    }
    if (endLine) {
        d->x = 0;
        d->y += lines.size() * lh;
    } else {
        d->x += d->metrics->horizontalAdvance(lines.last()) / k;
        d->y += (lines.size() - 1) * lh;
    }
}

void QtPrinterDevice::newLine() {
    d->x = 0;
    d->y += d->lineHeight();
}

void QtPrinterDevice::drawBox(double x1, double y1, double x2, double y2, QRgb colour) {
    d->begin();
    const double k = d->k();
    QPen pen{QColor(colour)};
    pen.setWidthF(std::max(1.0, k * 15.0 / 4.0));  // a quarter of a screen pixel's width
    d->painter->save();
    d->painter->setPen(pen);
    d->painter->setBrush(Qt::NoBrush);
    const QRectF r(QPointF(std::min(x1, x2) * k, std::min(y1, y2) * k),
                   QPointF(std::max(x1, x2) * k, std::max(y1, y2) * k));
    if (r.height() == 0 || r.width() == 0)
        d->painter->drawLine(r.topLeft(), r.bottomRight());
    else
        d->painter->drawRect(r);
    d->painter->restore();
}

void QtPrinterDevice::newPage() {
    d->begin();
    if (!d->printer->newPage())
        throw PrinterError(482, QStringLiteral("Printer error: a new page could not be started."));
    ++d->page;
    d->x = 0;
    d->y = 0;
}

void QtPrinterDevice::endDoc() {
    d->x = 0;
    d->y = 0;
    if (!d->painter || !d->painter->isActive()) return;
    const bool ok = d->painter->end();
    d->painter.reset();
    d->page = 1;
    if (!ok)
        throw PrinterError(482, QStringLiteral("Printer error: the document could not be "
                                               "completed."));
}

void QtPrinterDevice::abortDoc() {
    d->x = 0;
    d->y = 0;
    d->page = 1;
    if (!d->painter || !d->painter->isActive()) return;
    d->printer->abort();
    d->painter->end();
    d->painter.reset();
    // A half-written PDF is of no use to anyone.
    if (d->printer->outputFormat() == QPrinter::PdfFormat &&
        !d->printer->outputFileName().isEmpty())
        QFile::remove(d->printer->outputFileName());
}

int QtPrinterDevice::page() const {
    return d->page;
}

double QtPrinterDevice::twipsPerPixelY() const {
    return 1440.0 / d->printer->resolution();
}

}  // namespace listcaster
