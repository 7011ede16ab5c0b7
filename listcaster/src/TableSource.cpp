#include "listcaster/TableSource.h"

namespace listcaster {

TableRows::TableRows(std::vector<Column> columns, std::vector<std::vector<QString>> rows,
                     FontSpec font)
    : columns_(std::move(columns)), rows_(std::move(rows)), font_(std::move(font)) {}

const TableRows::Column* TableRows::column(int i) const {
    if (i < 1 || i > columnCount()) return nullptr;
    return &columns_[static_cast<std::size_t>(i - 1)];
}

QString TableRows::columnText(int i) const {
    const Column* c = column(i);
    return c ? c->caption : QString();
}

int TableRows::columnWidthTwips(int i) const {
    const Column* c = column(i);
    return c ? c->widthTwips : 0;
}

Alignment TableRows::columnAlignment(int i) const {
    const Column* c = column(i);
    return c ? c->alignment : Alignment::Left;
}

bool TableRows::hasSubItem(int row, int j) const {
    if (row < 1 || row > rowCount() || j < 1 || j >= columnCount()) return false;
    return j < static_cast<int>(rows_[static_cast<std::size_t>(row - 1)].size());
}

QString TableRows::cellText(int row, int column) const {
    if (row < 1 || row > rowCount() || column < 1) return {};
    const auto& cells = rows_[static_cast<std::size_t>(row - 1)];
    return column <= static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(column - 1)]
                                                    : QString();
}

}  // namespace listcaster
