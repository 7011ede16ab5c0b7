#include "Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace fd {

QStringList qtFilters(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(u'|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(u';', u' ');
        // Qt reads the patterns from the parentheses of the description.
        if (!desc.contains(u'(')) desc += QStringLiteral(" (%1)").arg(pattern);
        out << desc;
    }
    return out;
}

MsgAnswer QtDialogs::message(QWidget* parent, const QString& text, const QString& title,
                             MsgButtons buttons, MsgIcon icon) {
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::None:
            break;
    }
    switch (buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        case QMessageBox::Cancel:
            return MsgAnswer::Cancel;
        default:
            return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }
}

namespace {
std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& r, bool save) {
    QFileDialog dlg(parent, r.title, r.initialDir);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = qtFilters(r.filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
            dlg.selectNameFilter(filters[r.filterIndex - 1]);
    }
    QString ext = r.defaultExtension;
    ext.remove(QStringLiteral("*.")).remove(u'.');
    if (!ext.isEmpty()) dlg.setDefaultSuffix(ext);
    if (!r.overwritePrompt) dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (!r.initialFile.isEmpty()) dlg.selectFile(r.initialFile);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    if (save && r.extensionFromFilter)
        return withFilterExtension(dlg.selectedFiles().first(), r.filter,
                                   int(filters.indexOf(dlg.selectedNameFilter())) + 1);
    return dlg.selectedFiles().first();
}
}  // namespace

std::optional<QString> QtDialogs::openFile(QWidget* parent, const FileDialogRequest& r) {
    return runFileDialog(parent, r, false);
}

std::optional<QString> QtDialogs::saveFile(QWidget* parent, const FileDialogRequest& r) {
    return runFileDialog(parent, r, true);
}

}  // namespace fd
