#pragma once
// An engine list ("Search Engine", "Popularity", "Comments"): one entry per
// engine, each keeping its own template and HTTP method through any re-sort.
// A click on a column header sorts by that column, flipping one sort order
// shared by all columns; once sorted, the list stays sorted across refills.

#include <QTreeWidget>
#include <optional>
#include <vector>

#include "EngineCatalogue.h"

namespace fd {

class CADODBAccess;
class ErrorSink;

class EngineListView : public QTreeWidget {
    Q_OBJECT
public:
    // nameWidth and popularityWidth are the first two columns' widths in
    // twips; the comments column takes the rest.
    EngineListView(const QString& objectName, int nameWidth, int popularityWidth,
                   QWidget* parent = nullptr);

    // Removes every entry.
    void clearEntries();
    // Appends the entries in their order (into the sort order once sorted).
    void addEntries(const std::vector<EngineEntry>& entries);

    // The selected entry, nothing when none is selected.
    std::optional<EngineEntry> selectedEntry() const;
    // The entry with that key, nullptr when none.
    QTreeWidgetItem* findEntry(const QString& name) const;
    static EngineEntry entryOf(const QTreeWidgetItem* item);

    // The column-header click: sort by column, with the order flipped.
    void sortByColumnClick(int column);
    bool isListSorted() const { return sorted_; }
    int sortKey() const { return sortKey_; }
    Qt::SortOrder listSortOrder() const { return order_; }

signals:
    // Enter or Return on the current entry: the keyboard's double-click.
    void entryConfirmed();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void applyColumnWidths();

    int nameWidth_, popularityWidth_;
    bool sorted_ = false;
    int sortKey_ = 0;
    Qt::SortOrder order_ = Qt::AscendingOrder;
};

// UpdateSearchEngineLists: empties both lists and refills them from the
// catalogue. Failures are written to sink under "UpdateSearchEngineLists";
// a database failure leaves the lists with what was added so far.
void UpdateSearchEngineLists(const CADODBAccess& db, ErrorSink& sink, EngineListView& review,
                             EngineListView& submission);

}  // namespace fd
