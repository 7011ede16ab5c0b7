#include "SiteDirectoryTree.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "FileTypeIcons.h"
#include "PageList.h"

namespace fd::sites {

namespace {

// A page node: its text, with the picture and its key derived from the text.
// Text, icon, picture key and flags read as those of a plain node holding the
// same values.
class PageNode : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;
    explicit PageNode(QString page) : QTreeWidgetItem(kType), page_(std::move(page)) {
        setFlags(flags() & ~Qt::ItemIsEditable);
    }
    const QString& page() const { return page_; }

    QVariant data(int column, int role) const override {
        if (column == 0) {
            switch (role) {
                case Qt::DisplayRole:
                case Qt::EditRole:
                    return page_;
                case Qt::DecorationRole:
                    return fileTypeIcon(fileTypeKey(page_));
                case SiteDirectoryTree::kPictureRole:
                    return fileTypeKey(page_);
                default:
                    break;
            }
        }
        return QTreeWidgetItem::data(column, role);
    }
    void setData(int column, int role, const QVariant& value) override {
        if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole)) {
            page_ = value.toString();
            emitDataChanged();
            return;
        }
        QTreeWidgetItem::setData(column, role, value);
    }
    QTreeWidgetItem* clone() const override {
        auto* copy = new PageNode(page_);
        copy->setFlags(flags());
        return copy;
    }

private:
    QString page_;
};

// The text of a node, without going through a QVariant for a page node.
QString nodeText(const QTreeWidgetItem* item) {
    if (item->type() == PageNode::kType) return static_cast<const PageNode*>(item)->page();
    return item->text(0);
}

}  // namespace

SiteDirectoryTree::SiteDirectoryTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("tvwWebSiteDirectory"));
    setHeaderHidden(true);
    setColumnCount(1);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row is one line high: lets the view lay out 100,000 pages at once.
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setAccessibleName(QStringLiteral("Site directory"));
    // A collapsed node opens again at once: the pages always show.
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { expandItem(item); });
}

QString SiteDirectoryTree::rootKey() {
    return QStringLiteral("!Root");
}

void SiteDirectoryTree::resetToRoot(const QString& rootText) {
    clear();
    auto* root = new QTreeWidgetItem(QStringList{rootText});
    root->setData(0, kKeyRole, rootKey());
    root->setData(0, kPictureRole, kRootPicture);
    root->setIcon(0, fileTypeIcon(kRootPicture));
    root->setFlags(root->flags() & ~Qt::ItemIsEditable);
    addTopLevelItem(root);
}

QTreeWidgetItem* SiteDirectoryTree::rootNode() const {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        if (item->data(0, kKeyRole).toString() == rootKey()) return item;
    }
    return nullptr;
}

int SiteDirectoryTree::nodeCount() const {
    int n = topLevelItemCount();
    for (int i = 0; i < topLevelItemCount(); ++i) n += topLevelItem(i)->childCount();
    return n;
}

QTreeWidgetItem* SiteDirectoryTree::makePage(const QString& page) {
    return new PageNode(page);
}

void SiteDirectoryTree::addPages(const QStringList& pages) {
    QTreeWidgetItem* root = rootNode();
    if (!root || pages.isEmpty()) return;
    QList<QTreeWidgetItem*> items;
    items.reserve(pages.size());
    for (const QString& p : pages) items.append(makePage(p));
    root->addChildren(items);
}

bool SiteDirectoryTree::replacePages(const QString& rootText, const QStringList& pages,
                                     const ProgressFn& progress) {
    // Progress is told after every stretch of this many nodes.
    constexpr qsizetype kStretch = 1 << 16;
    const qsizetype n = pages.size();
    QList<QTreeWidgetItem*> items;
    items.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        items.append(makePage(pages[i]));
        if (progress && (i + 1) % kStretch == 0 && !progress(i + 1, n)) {
            qDeleteAll(items);
            return false;
        }
    }
    if (progress && !progress(n, n)) {
        qDeleteAll(items);
        return false;
    }
    setUpdatesEnabled(false);
    resetToRoot(rootText);
    if (!items.isEmpty()) rootNode()->addChildren(items);
    expandItem(rootNode());
    setUpdatesEnabled(true);
    return true;
}

void SiteDirectoryTree::addPage(const QString& page) {
    addPages(QStringList{page});
}

QStringList SiteDirectoryTree::pages() const {
    QStringList out;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = topLevelItem(i);
        if (!isRoot(top)) out.append(nodeText(top));
        out.reserve(out.size() + top->childCount());
        for (int c = 0; c < top->childCount(); ++c) out.append(nodeText(top->child(c)));
    }
    return out;
}

bool SiteDirectoryTree::isRoot(const QTreeWidgetItem* item) const {
    return item && item->data(0, kKeyRole).toString() == rootKey();
}

bool SiteDirectoryTree::containsNode(const QString& text) const {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = topLevelItem(i);
        if (nodeText(top).trimmed() == text) return true;
        for (int c = 0; c < top->childCount(); ++c)
            if (nodeText(top->child(c)).trimmed() == text) return true;
    }
    return false;
}

void SiteDirectoryTree::keyPressEvent(QKeyEvent* e) {
    QTreeWidget::keyPressEvent(e);
    if (nodeCount() < 2) return;
    if (e->key() == Qt::Key_Delete)
        emit deletePressed();
    else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        emit enterPressed();
}

void SiteDirectoryTree::mouseReleaseEvent(QMouseEvent* e) {
    QTreeWidget::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton) emit clicked();
}

}  // namespace fd::sites
