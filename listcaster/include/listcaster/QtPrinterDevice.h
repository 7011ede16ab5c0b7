#pragma once
// PrinterDevice on a QPrinter: the default CUPS printer, or a PDF file when no
// printer is installed (or when one is asked for). Coordinates are twips from
// the sheet's top-left corner; the whole sheet is the drawable area and the
// margins are the caller's. The document begins with the first drawing and
// ends with endDoc() (or abortDoc(), which discards it).

#include <QString>
#include <memory>

#include "listcaster/PrinterDevice.h"

class QPrinter;

namespace listcaster {

class LISTCASTER_EXPORT QtPrinterDevice : public PrinterDevice {
public:
    // The default printer; a PDF printer (file still to be chosen) when none
    // is installed.
    QtPrinterDevice();
    // Always a PDF file at pdfPath.
    explicit QtPrinterDevice(const QString& pdfPath);
    ~QtPrinterDevice() override;
    QtPrinterDevice(const QtPrinterDevice&) = delete;
    QtPrinterDevice& operator=(const QtPrinterDevice&) = delete;

    QPrinter* qprinter() const;
    // True when the output is a PDF file whose name is still empty: the user
    // has to pick one (the print dialog offers it) before printing.
    bool needsOutputFile() const;

    bool hasPrinter() const override;
    QString deviceName() const override;
    QString port() const override;
    int copies() const override;

    int paperSize() const override;
    void setPaperSize(int code) override;
    int orientation() const override;
    void setOrientation(int code) override;

    double pageWidth() const override;
    double pageHeight() const override;

    double currentX() const override;
    void setCurrentX(double twips) override;
    double currentY() const override;
    void setCurrentY(double twips) override;

    FontSpec font() const override;
    void setFont(const FontSpec& font) override;
    QRgb foreColor() const override;
    void setForeColor(QRgb colour) override;

    double textWidth(const QString& text) override;
    double textHeight(const QString& text) override;

    void print(const QString& text, bool endLine = true) override;
    void newLine() override;
    void drawBox(double x1, double y1, double x2, double y2, QRgb colour) override;

    void newPage() override;
    void endDoc() override;
    void abortDoc() override;
    int page() const override;

    double twipsPerPixelY() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The paper-size codes of the print settings and Qt's page sizes.
LISTCASTER_EXPORT int paperCodeFromQt(int pageSizeId);
LISTCASTER_EXPORT int qtPageSizeFromCode(int code);  // A4 for an unknown code

}  // namespace listcaster
