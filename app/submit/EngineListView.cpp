#include "EngineListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QResizeEvent>

namespace fd {

namespace {

enum Column { kName = 0, kPopularity = 1, kComments = 2 };
constexpr int kTemplateRole = Qt::UserRole;
constexpr int kMethodRole = Qt::UserRole + 1;

// Compares the column texts, letters without regard to case, so "10" sorts
// before "2" and "alpha" next to "Alpha".
class EngineItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QString a = text(column), b = other.text(column);
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    }
};

int twipsToPixels(const QWidget* w, int twips) {
    return twips * w->logicalDpiX() / 1440;
}

}  // namespace

EngineListView::EngineListView(const QString& objectName, int nameWidth, int popularityWidth,
                               QWidget* parent)
    : QTreeWidget(parent), nameWidth_(nameWidth), popularityWidth_(popularityWidth) {
    setObjectName(objectName);
    setColumnCount(3);
    setHeaderLabels({QStringLiteral("Search Engine"), QStringLiteral("Popularity"),
                     QStringLiteral("Comments")});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(true);
    connect(header(), &QHeaderView::sectionClicked, this, &EngineListView::sortByColumnClick);
    applyColumnWidths();
}

void EngineListView::clearEntries() {
    clear();
}

void EngineListView::addEntries(const std::vector<EngineEntry>& entries) {
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(entries.size()));
    for (const EngineEntry& e : entries) {
        auto* item = new EngineItem;
        item->setText(kName, e.name);
        item->setText(kPopularity, e.popularity);
        if (!e.tips.isEmpty()) item->setText(kComments, e.tips);
        item->setData(kName, kTemplateRole, e.queryTemplate);
        item->setData(kName, kMethodRole, e.method);
        items << item;
    }
    addTopLevelItems(items);
    if (sorted_) sortItems(sortKey_, order_);
}

EngineEntry EngineListView::entryOf(const QTreeWidgetItem* item) {
    EngineEntry e;
    e.name = item->text(kName);
    e.popularity = item->text(kPopularity);
    e.tips = item->text(kComments);
    e.queryTemplate = item->data(kName, kTemplateRole).toString();
    e.method = item->data(kName, kMethodRole).toString();
    return e;
}

std::optional<EngineEntry> EngineListView::selectedEntry() const {
    const QList<QTreeWidgetItem*> sel = selectedItems();
    if (sel.isEmpty()) return std::nullopt;
    return entryOf(sel.first());
}

QTreeWidgetItem* EngineListView::findEntry(const QString& name) const {
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->text(kName) == name) return topLevelItem(i);
    return nullptr;
}

void EngineListView::sortByColumnClick(int column) {
    if (column < kName || column > kComments) return;
    sorted_ = true;
    sortKey_ = column;
    order_ = order_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(sortKey_, order_);
    sortItems(sortKey_, order_);
}

void EngineListView::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentItem()) {
        currentItem()->setSelected(true);
        emit entryConfirmed();
        e->accept();
        return;
    }
    QTreeWidget::keyPressEvent(e);
}

void EngineListView::resizeEvent(QResizeEvent* e) {
    QTreeWidget::resizeEvent(e);
    applyColumnWidths();
}

void EngineListView::applyColumnWidths() {
    setColumnWidth(kName, twipsToPixels(this, nameWidth_));
    setColumnWidth(kPopularity, twipsToPixels(this, popularityWidth_));
    const int rest = viewport()->width() - twipsToPixels(this, nameWidth_ + popularityWidth_ + 350);
    if (rest > 0) setColumnWidth(kComments, rest);
}

void UpdateSearchEngineLists(const CADODBAccess& db, ErrorSink& sink, EngineListView& review,
                             EngineListView& submission) {
    review.clearEntries();
    submission.clearEntries();
    const EngineLists lists = loadEngineLists(db, sink);
    review.addEntries(lists.review);
    submission.addEntries(lists.submission);
}

}  // namespace fd
