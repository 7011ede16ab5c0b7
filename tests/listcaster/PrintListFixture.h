#pragma once
// Builds the host lists the print and Excel tests work on.

#include <QBrush>
#include <QFont>
#include <QHeaderView>
#include <QTreeWidget>
#include <memory>

namespace listcaster::test {

struct ListRow {
    QStringList cells;
    bool selected = false;
    QColor colour = QColor();  // invalid: the list's own text colour
    bool bold = false;
};

// A list in report mode with the given captions and column widths (pixels;
// 0 hides the column) and rows.
inline std::unique_ptr<QTreeWidget> makeList(const QStringList& captions, const QList<int>& widths,
                                             const std::vector<ListRow>& rows) {
    auto list = std::make_unique<QTreeWidget>();
    list->setColumnCount(captions.size());
    list->setHeaderLabels(captions);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->setFont(QFont(QStringLiteral("Arial"), 10));
    list->header()->setStretchLastSection(false);  // widths exactly as set
    for (int c = 0; c < captions.size(); ++c) {
        if (c < widths.size() && widths[c] == 0)
            list->setColumnHidden(c, true);
        else if (c < widths.size())
            list->setColumnWidth(c, widths[c]);
    }
    for (const ListRow& r : rows) {
        auto* item = new QTreeWidgetItem(list.get());
        for (int c = 0; c < r.cells.size(); ++c) {
            item->setText(c, r.cells[c]);
            if (r.colour.isValid()) item->setForeground(c, QBrush(r.colour));
            if (r.bold) {
                QFont f = list->font();
                f.setBold(true);
                item->setFont(c, f);
            }
        }
        item->setSelected(r.selected);
    }
    return list;
}

}  // namespace listcaster::test
