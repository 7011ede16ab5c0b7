#pragma once
// The read-only view of a host's list that every part of Listcaster uses:
// the exporters and the print engine read the list only through this class and
// never change it. Indices are 1-based as the host's list speaks of them:
// column 1 is the item's own text, column k > 1 is sub-item k - 1.

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QTreeWidget>

#include "listcaster/Export.h"
#include "listcaster/TableSource.h"

namespace listcaster {

// Reads a QTreeWidget in report mode (the stand-in for the host's list view).
// Holds a guarded, non-owning reference: a list destroyed by its host reads
// as an empty list instead of crashing.
class LISTCASTER_EXPORT ListViewSource : public TableSource {
public:
    explicit ListViewSource(QTreeWidget* list = nullptr);

    QTreeWidget* widget() const { return list_; }
    bool isBound() const { return !list_.isNull(); }

    int columnCount() const override;
    QString columnText(int i) const override;
    int columnWidthTwips(int i) const override;  // 0 for a hidden column
    Alignment columnAlignment(int i) const override;
    int columnIndex(int i) const;  // position number, 1 for the item's own text

    int rowCount() const override;
    QString itemText(int row) const;  // column 1
    // Text of column j + 1; "" when the row has no such sub-item.
    QString subItemText(int row, int j) const;
    bool hasSubItem(int row, int j) const override;  // false when the row is shorter
    // Column c (1-based) of row: text, colour and bold flag.
    QString cellText(int row, int column) const override;
    QColor cellForeColor(int row, int column) const;
    int cellForeRgb(int row, int column) const override;
    bool cellBold(int row, int column) const override;
    bool isSelected(int row) const override;
    int selectedCount() const;

    FontSpec font() const override;
    // Twips per screen pixel, horizontally and vertically (1440 / DPI).
    static double twipsPerPixelX();
    static double twipsPerPixelY();

private:
    QPointer<QTreeWidget> list_;
};

}  // namespace listcaster
