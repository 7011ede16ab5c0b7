#pragma once
// Small lists for Listcaster tests: a QTreeWidget in report form with the
// given captions and rows, and a device that fails after a number of bytes.

#include <QBuffer>
#include <QStringList>
#include <QTreeWidget>
#include <initializer_list>
#include <memory>

namespace listcaster::test {

inline std::unique_ptr<QTreeWidget> makeList(const QStringList& captions,
                                             std::initializer_list<QStringList> rows) {
    auto list = std::make_unique<QTreeWidget>();
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setHeaderLabels(captions);
    for (const QStringList& r : rows) list->addTopLevelItem(new QTreeWidgetItem(r));
    return list;
}

inline void selectRows(QTreeWidget& list, std::initializer_list<int> zeroBasedRows) {
    for (int r : zeroBasedRows) list.topLevelItem(r)->setSelected(true);
}

// Accepts the first `capacity` bytes, then fails every write like a full disk.
class FailingDevice : public QBuffer {
public:
    explicit FailingDevice(qint64 capacity) : capacity_(capacity) { open(QIODevice::WriteOnly); }

protected:
    qint64 writeData(const char* data, qint64 len) override {
        const qint64 room = capacity_ - size();
        if (room <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        return QBuffer::writeData(data, std::min(room, len));
    }

private:
    qint64 capacity_;
};

}  // namespace listcaster::test
