#include "listcaster/ListViewSource.h"

#include <QApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTreeWidget>

namespace listcaster {

FontSpec FontSpec::fromQFont(const QFont& f) {
    FontSpec s;
    s.name = f.family();
    s.size = f.pointSizeF() > 0 ? f.pointSizeF() : 10.0;
    s.bold = f.bold();
    s.italic = f.italic();
    s.underline = f.underline();
    s.strikethrough = f.strikeOut();
    return s;
}

QFont FontSpec::toQFont() const {
    QFont f(name);
    f.setPointSizeF(size > 0 ? size : 10.0);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strikethrough);
    return f;
}

ListViewSource::ListViewSource(QTreeWidget* list) : list_(list) {}

namespace {
double dpiX() {
    if (auto* s = QGuiApplication::primaryScreen()) return s->logicalDotsPerInchX();
    return 96.0;
}
double dpiY() {
    if (auto* s = QGuiApplication::primaryScreen()) return s->logicalDotsPerInchY();
    return 96.0;
}
}  // namespace

double ListViewSource::twipsPerPixelX() {
    return 1440.0 / dpiX();
}
double ListViewSource::twipsPerPixelY() {
    return 1440.0 / dpiY();
}

int ListViewSource::columnCount() const {
    return list_ ? list_->columnCount() : 0;
}

QString ListViewSource::columnText(int i) const {
    if (!list_ || i < 1 || i > columnCount()) return {};
    return list_->headerItem()->text(i - 1);
}

int ListViewSource::columnWidthTwips(int i) const {
    if (!list_ || i < 1 || i > columnCount()) return 0;
    if (list_->isColumnHidden(i - 1)) return 0;
    return static_cast<int>(list_->columnWidth(i - 1) * twipsPerPixelX() + 0.5);
}

Alignment ListViewSource::columnAlignment(int i) const {
    if (!list_ || i < 1 || i > columnCount()) return Alignment::Left;
    const int a = list_->headerItem()->textAlignment(i - 1);
    if (a & Qt::AlignRight) return Alignment::Right;
    if (a & Qt::AlignHCenter) return Alignment::Centre;
    return Alignment::Left;
}

int ListViewSource::columnIndex(int i) const {
    return i;
}

int ListViewSource::rowCount() const {
    return list_ ? list_->topLevelItemCount() : 0;
}

namespace {
QTreeWidgetItem* itemAt(QTreeWidget* list, int row) {
    if (!list || row < 1 || row > list->topLevelItemCount()) return nullptr;
    return list->topLevelItem(row - 1);
}
}  // namespace

QString ListViewSource::itemText(int row) const {
    return cellText(row, 1);
}

bool ListViewSource::hasSubItem(int row, int j) const {
    auto* it = itemAt(list_, row);
    if (!it || j < 1 || j >= columnCount()) return false;
    // A sub-item exists when the row carries data for that column.
    return it->data(j, Qt::DisplayRole).isValid();
}

QString ListViewSource::subItemText(int row, int j) const {
    return cellText(row, j + 1);
}

QString ListViewSource::cellText(int row, int column) const {
    auto* it = itemAt(list_, row);
    if (!it || column < 1 || column > columnCount()) return {};
    return it->text(column - 1);
}

QColor ListViewSource::cellForeColor(int row, int column) const {
    auto* it = itemAt(list_, row);
    if (!it || column < 1 || column > columnCount()) return QColor(Qt::black);
    const QVariant v = it->data(column - 1, Qt::ForegroundRole);
    if (v.isValid()) {
        const QBrush b = v.value<QBrush>();
        if (b.style() != Qt::NoBrush) return b.color();
    }
    // No colour of its own: the list's text colour (a system colour).
    return list_->palette().color(QPalette::Text);
}

int ListViewSource::cellForeRgb(int row, int column) const {
    return static_cast<int>(cellForeColor(row, column).rgb() & 0xFFFFFF);
}

bool ListViewSource::cellBold(int row, int column) const {
    auto* it = itemAt(list_, row);
    if (!it || column < 1 || column > columnCount()) return false;
    const QVariant v = it->data(column - 1, Qt::FontRole);
    return v.isValid() && v.value<QFont>().bold();
}

bool ListViewSource::isSelected(int row) const {
    auto* it = itemAt(list_, row);
    return it && it->isSelected();
}

int ListViewSource::selectedCount() const {
    int n = 0;
    for (int r = 1; r <= rowCount(); ++r)
        if (isSelected(r)) ++n;
    return n;
}

FontSpec ListViewSource::font() const {
    return list_ ? FontSpec::fromQFont(list_->font()) : FontSpec{};
}

}  // namespace listcaster
