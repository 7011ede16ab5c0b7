#include "Accessibility.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

namespace fd {

void nameComboBoxParts(QComboBox* combo, const QString& name) {
    if (!combo) return;
    combo->setAccessibleName(name);
    if (QLineEdit* field = combo->lineEdit()) field->setAccessibleName(name);
    if (QAbstractItemView* list = combo->view()) list->setAccessibleName(name);
}

}  // namespace fd
