#include "SiteDirectoryTree.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "FileTypeIcons.h"
#include "PageList.h"

namespace fd::sites {

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

QTreeWidgetItem* SiteDirectoryTree::makePage(const QString& page) const {
    auto* item = new QTreeWidgetItem(QStringList{page});
    const QString key = fileTypeKey(page);
    item->setData(0, kPictureRole, key);
    item->setIcon(0, fileTypeIcon(key));
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

void SiteDirectoryTree::addPages(const QStringList& pages) {
    QTreeWidgetItem* root = rootNode();
    if (!root || pages.isEmpty()) return;
    QList<QTreeWidgetItem*> items;
    items.reserve(pages.size());
    for (const QString& p : pages) items.append(makePage(p));
    root->addChildren(items);
}

void SiteDirectoryTree::addPage(const QString& page) {
    addPages(QStringList{page});
}

QStringList SiteDirectoryTree::pages() const {
    QStringList out;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = topLevelItem(i);
        if (!isRoot(top)) out.append(top->text(0));
        out.reserve(out.size() + top->childCount());
        for (int c = 0; c < top->childCount(); ++c) out.append(top->child(c)->text(0));
    }
    return out;
}

bool SiteDirectoryTree::isRoot(const QTreeWidgetItem* item) const {
    return item && item->data(0, kKeyRole).toString() == rootKey();
}

bool SiteDirectoryTree::containsNode(const QString& text) const {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = topLevelItem(i);
        if (top->text(0).trimmed() == text) return true;
        for (int c = 0; c < top->childCount(); ++c)
            if (top->child(c)->text(0).trimmed() == text) return true;
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
