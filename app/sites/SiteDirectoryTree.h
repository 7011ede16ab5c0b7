#pragma once
// The site directory tree: one root node for the site's root URL and one child
// per page, each with its file-type picture. Two levels only; labels cannot be
// edited and the root cannot be collapsed.
//
// A page node keeps nothing but its text: its picture and picture key are
// worked out from the text when the view asks, so a list of a million pages
// fits in a few hundred megabytes.

#include <QStringList>
#include <QTreeWidget>

#include "PageList.h"

namespace fd::sites {

class SiteDirectoryTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit SiteDirectoryTree(QWidget* parent = nullptr);

    // Role holding a node's key ("!Root" for the root) and its picture key.
    static constexpr int kKeyRole = Qt::UserRole + 1;
    static constexpr int kPictureRole = Qt::UserRole + 2;

    // Empties the tree and adds the root node with this text.
    void resetToRoot(const QString& rootText);
    // The root node, or null when the tree is empty.
    QTreeWidgetItem* rootNode() const;
    // Node count, the root included.
    int nodeCount() const;
    // Adds pages under the root in one insertion (no relayout per page).
    void addPages(const QStringList& pages);
    // Empties the tree down to a root with this text and adds pages under it,
    // expanded. The nodes are made first, telling progress how many are done
    // every so often; when progress says stop, false is returned and the tree
    // is as it was.
    bool replacePages(const QString& rootText, const QStringList& pages,
                      const ProgressFn& progress = nullptr);
    void addPage(const QString& page);
    // The text of every page node, in tree order.
    QStringList pages() const;
    bool isRoot(const QTreeWidgetItem* item) const;
    // True when a node's trimmed text equals text exactly.
    bool containsNode(const QString& text) const;

    static QString rootKey();

signals:
    // A click anywhere in the tree (the selected node, if any, is what counts).
    void clicked();
    // Delete or Enter pressed; only sent when the tree has two nodes or more.
    void deletePressed();
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    static QTreeWidgetItem* makePage(const QString& page);
};

}  // namespace fd::sites
