#include "Recordset.h"

#include "AppError.h"

namespace fd {

int Recordset::indexOf(const QString& name) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

const Recordset::Cell& Recordset::cell(int index) const {
    if (eof()) {
        throw AppError(3021,
                       QStringLiteral("Either BOF or EOF is True, or the current record "
                                      "has been deleted."),
                       QStringLiteral("Recordset"));
    }
    if (index < 0 || index >= columns_.size()) {
        throw AppError(3265, QStringLiteral("Item cannot be found in the collection."),
                       QStringLiteral("Recordset"));
    }
    return rows_[pos_][static_cast<std::size_t>(index)];
}

QString Recordset::field(const QString& name) const {
    return cell(indexOf(name)).text;
}
QString Recordset::field(int index) const {
    return cell(index).text;
}
bool Recordset::isNull(const QString& name) const {
    return cell(indexOf(name)).isNull;
}

}  // namespace fd
