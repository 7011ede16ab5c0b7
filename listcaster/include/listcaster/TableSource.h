#pragma once
// What the exporters read of a list, without the list widget: its columns
// (caption, width, alignment), its rows (texts, colours, bold flags,
// selection) and its font. Indices are 1-based as the host's list speaks of
// them: column 1 is the item's own text, column k > 1 is sub-item k - 1.
// ListViewSource reads a list view this way; a program without widgets gives
// its own rows (TableRows) and writes the same workbooks.

#include <QString>
#include <vector>

#include "listcaster/Export.h"

class QFont;

namespace listcaster {

// The six font values Listcaster copies from a list or a dialog.
struct LISTCASTER_EXPORT FontSpec {
    QString name = QStringLiteral("Arial");
    double size = 10.0;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    // Conversions to and from Qt's font (in the widget library).
    static FontSpec fromQFont(const QFont& f);
    QFont toQFont() const;
    bool operator==(const FontSpec&) const = default;
};

enum class Alignment { Left = 0, Right = 1, Centre = 2 };

class LISTCASTER_EXPORT TableSource {
public:
    virtual ~TableSource() = default;
    virtual int columnCount() const = 0;
    virtual QString columnText(int i) const = 0;
    virtual int columnWidthTwips(int i) const = 0;  // 0 for a hidden column
    virtual Alignment columnAlignment(int i) const = 0;
    virtual int rowCount() const = 0;
    // Text of column j + 1 is there; false when the row is shorter.
    virtual bool hasSubItem(int row, int j) const = 0;
    virtual QString cellText(int row, int column) const = 0;
    // The cell's text colour as 0xRRGGBB.
    virtual int cellForeRgb(int row, int column) const = 0;
    virtual bool cellBold(int row, int column) const = 0;
    virtual bool isSelected(int row) const = 0;
    virtual FontSpec font() const = 0;
};

// Rows given as plain values: every cell in black, nothing bold or selected.
class LISTCASTER_EXPORT TableRows : public TableSource {
public:
    struct Column {
        QString caption;
        int widthTwips = 1440;
        Alignment alignment = Alignment::Left;
    };
    TableRows(std::vector<Column> columns, std::vector<std::vector<QString>> rows,
              FontSpec font = {});

    int columnCount() const override { return static_cast<int>(columns_.size()); }
    QString columnText(int i) const override;
    int columnWidthTwips(int i) const override;
    Alignment columnAlignment(int i) const override;
    int rowCount() const override { return static_cast<int>(rows_.size()); }
    bool hasSubItem(int row, int j) const override;
    QString cellText(int row, int column) const override;
    int cellForeRgb(int, int) const override { return 0; }
    bool cellBold(int, int) const override { return false; }
    bool isSelected(int) const override { return false; }
    FontSpec font() const override { return font_; }

private:
    const Column* column(int i) const;
    std::vector<Column> columns_;
    std::vector<std::vector<QString>> rows_;
    FontSpec font_;
};

}  // namespace listcaster
