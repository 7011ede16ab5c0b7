#pragma once
// Accessible names the toolkit does not give by itself.

class QComboBox;
class QString;

namespace fd {

// A combo box's text field and drop-down list take the combo box's name, so a
// screen reader names every part of it, not only the box.
void nameComboBoxParts(QComboBox* combo, const QString& name);

}  // namespace fd
