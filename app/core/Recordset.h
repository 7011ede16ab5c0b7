#pragma once
// A detached, forward-only set of rows: all rows are read while the
// connection is open, and the set stays usable after it is closed.

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace fd {

class Recordset {
public:
    struct Cell {
        QString text;
        bool isNull = true;
    };
    using Row = std::vector<Cell>;

    Recordset(QStringList columns, std::vector<Row> rows)
        : columns_(std::move(columns)), rows_(std::move(rows)) {}

    bool eof() const { return pos_ >= rows_.size(); }
    void moveNext() {
        if (!eof()) ++pos_;
    }
    void moveFirst() { pos_ = 0; }
    int recordCount() const { return static_cast<int>(rows_.size()); }
    const QStringList& columns() const { return columns_; }

    // Value of the named column (names compare without regard to case) in
    // the current row; a database null reads as "". Throws AppError when the
    // set is at its end or has no such column.
    QString field(const QString& name) const;
    QString field(int index) const;
    bool isNull(const QString& name) const;
    // The value as a whole number; 0 for null or non-numeric text.
    long long fieldInt(const QString& name) const { return field(name).toLongLong(); }

private:
    const Cell& cell(int index) const;
    int indexOf(const QString& name) const;

    QStringList columns_;
    std::vector<Row> rows_;
    std::size_t pos_ = 0;
};

using RecordsetPtr = std::shared_ptr<Recordset>;

}  // namespace fd
