#pragma once
// The printer as Listcaster and its host draw on it: every position and size in
// twips (1/1440 inch), a current position that printing moves on, and a font
// and fore colour that stay set until changed. The real device draws with
// QPainter on a QPrinter (a PDF file when no printer is installed); tests use a
// recording device.
//
// Failures are thrown as PrinterError, carrying the number and description the
// user is shown.

#include <QRgb>
#include <QString>
#include <stdexcept>

#include "listcaster/Export.h"
#include "listcaster/ListViewSource.h"

namespace listcaster {

class LISTCASTER_EXPORT PrinterError : public std::runtime_error {
public:
    PrinterError(int number, const QString& description)
        : std::runtime_error(description.toStdString()),
          number_(number),
          description_(description) {}
    int number() const { return number_; }
    QString description() const { return description_; }

private:
    int number_;
    QString description_;
};

// Paper-size codes as the print settings store them.
constexpr int kPaperA4 = 9;
constexpr int kPaperLetter = 1;
constexpr int kOrientationPortrait = 1;
constexpr int kOrientationLandscape = 2;

class LISTCASTER_EXPORT PrinterDevice {
public:
    virtual ~PrinterDevice() = default;

    // Description of the current printer.
    virtual bool hasPrinter() const = 0;  // false: output goes to a PDF file
    virtual QString deviceName() const = 0;
    virtual QString port() const = 0;
    virtual int copies() const = 0;

    virtual int paperSize() const = 0;
    virtual void setPaperSize(int code) = 0;
    virtual int orientation() const = 0;
    virtual void setOrientation(int code) = 0;

    // Drawable area of a page, in twips.
    virtual double pageWidth() const = 0;
    virtual double pageHeight() const = 0;

    virtual double currentX() const = 0;
    virtual void setCurrentX(double twips) = 0;
    virtual double currentY() const = 0;
    virtual void setCurrentY(double twips) = 0;

    virtual FontSpec font() const = 0;
    virtual void setFont(const FontSpec& font) = 0;
    virtual QRgb foreColor() const = 0;
    virtual void setForeColor(QRgb colour) = 0;

    virtual double textWidth(const QString& text) = 0;
    virtual double textHeight(const QString& text) = 0;

    // Prints text at the current position. With endLine the position moves to
    // the start of the next line (x = 0, y += text height); without it the
    // position moves right by the text's width and stays on the line.
    virtual void print(const QString& text, bool endLine = true) = 0;
    // Ends the current line without printing: x = 0, y += one line height.
    virtual void newLine() = 0;
    virtual void drawBox(double x1, double y1, double x2, double y2, QRgb colour) = 0;

    virtual void newPage() = 0;
    virtual void endDoc() = 0;
    virtual void abortDoc() = 0;
    virtual int page() const = 0;  // current page number, from 1

    // Twips per printer pixel, vertically (the row padding of printed lists).
    virtual double twipsPerPixelY() const = 0;
};

}  // namespace listcaster
