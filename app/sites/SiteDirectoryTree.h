#pragma once
// The site directory tree: one root node for the site's root URL and one child
// per page, each with its file-type picture. Two levels only; labels cannot be
// edited and the root cannot be collapsed.

#include <QStringList>
#include <QTreeWidget>

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
    QTreeWidgetItem* makePage(const QString& page) const;
};

}  // namespace fd::sites
