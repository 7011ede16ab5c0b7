#pragma once
// A PrinterDevice that draws nothing and records every text, rule and page
// event with its position, font and colour. Text metrics are simple and exact
// so tests can compute where things must land: a character is size x 10 twips
// wide, a line is size x 20 twips high (one point = 20 twips).

#include <QStringList>
#include <vector>

#include "listcaster/PrinterDevice.h"

namespace listcaster::test {

class RecordingPrinter : public PrinterDevice {
public:
    enum class Kind { Text, Box, NewPage, EndDoc, AbortDoc };
    struct Op {
        Kind kind;
        QString text;
        double x = 0, y = 0, x2 = 0, y2 = 0;
        FontSpec font;
        QRgb colour = 0;
        int page = 1;
    };

    std::vector<Op> ops;
    double width = 11906;  // A4 portrait in twips
    double height = 16838;
    double padding = 0;  // twips per printer pixel
    int paper = kPaperA4;
    int orient = kOrientationPortrait;
    bool installed = true;
    // Throws a PrinterError when asked for page failOnNewPage (0: never).
    int failOnNewPage = 0;

    // The printed texts (the opening blank left out), optionally of one page.
    std::vector<Op> texts(int onPage = 0) const {
        std::vector<Op> out;
        for (const Op& o : ops)
            if (o.kind == Kind::Text && o.text != QLatin1String(" ") &&
                (onPage == 0 || o.page == onPage))
                out.push_back(o);
        return out;
    }
    const Op* find(const QString& text, int onPage = 0) const {
        for (const Op& o : ops)
            if (o.kind == Kind::Text && o.text == text && (onPage == 0 || o.page == onPage))
                return &o;
        return nullptr;
    }
    int count(Kind k) const {
        int n = 0;
        for (const Op& o : ops) n += o.kind == k;
        return n;
    }

    bool hasPrinter() const override { return installed; }
    QString deviceName() const override { return QStringLiteral("Recorder"); }
    QString port() const override { return QStringLiteral("memory"); }
    int copies() const override { return 1; }
    int paperSize() const override { return paper; }
    void setPaperSize(int code) override { paper = code; }
    int orientation() const override { return orient; }
    void setOrientation(int code) override { orient = code; }
    double pageWidth() const override { return width; }
    double pageHeight() const override { return height; }
    double currentX() const override { return x_; }
    void setCurrentX(double t) override { x_ = t; }
    double currentY() const override { return y_; }
    void setCurrentY(double t) override { y_ = t; }
    FontSpec font() const override { return font_; }
    void setFont(const FontSpec& f) override { font_ = f; }
    QRgb foreColor() const override { return colour_; }
    void setForeColor(QRgb c) override { colour_ = c; }

    double textWidth(const QString& text) override {
        qsizetype longest = 0;
        for (const QString& l : text.split(QLatin1Char('\n')))
            longest = std::max(longest, l.size());
        return longest * font_.size * 10.0;
    }
    double textHeight(const QString& text) override {
        return text.split(QLatin1Char('\n')).size() * font_.size * 20.0;
    }

    void print(const QString& text, bool endLine = true) override {
        ops.push_back({Kind::Text, text, x_, y_, 0, 0, font_, colour_, page_});
        if (endLine) {
            y_ += textHeight(text);
            x_ = 0;
        } else {
            x_ += textWidth(text);
        }
    }
    void newLine() override {
        x_ = 0;
        y_ += font_.size * 20.0;
    }
    void drawBox(double x1, double y1, double x2, double y2, QRgb c) override {
        ops.push_back({Kind::Box, {}, x1, y1, x2, y2, font_, c, page_});
    }
    void newPage() override {
        if (failOnNewPage && page_ + 1 == failOnNewPage)
            throw PrinterError(482, QStringLiteral("Printer error"));
        ++page_;
        x_ = y_ = 0;
        ops.push_back({Kind::NewPage, {}, 0, 0, 0, 0, font_, colour_, page_});
    }
    void endDoc() override {
        ops.push_back({Kind::EndDoc, {}, 0, 0, 0, 0, font_, colour_, page_});
        page_ = 1;
    }
    void abortDoc() override {
        ops.push_back({Kind::AbortDoc, {}, 0, 0, 0, 0, font_, colour_, page_});
        page_ = 1;
    }
    int page() const override { return page_; }
    double twipsPerPixelY() const override { return padding; }

private:
    double x_ = 0, y_ = 0;
    FontSpec font_;
    QRgb colour_ = 0;
    int page_ = 1;
};

}  // namespace listcaster::test
