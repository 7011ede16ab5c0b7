#include "Dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>

#include "core/Globals.h"

namespace fd {

namespace {

// The bar runs over 0..kSteps whatever the maximum, so counts beyond an int
// fit.
class DialogProgress : public Progress {
public:
    static constexpr int kSteps = 1000;
    DialogProgress(QWidget* parent, const QString& text, qint64 maximum)
        : dialog_(text, QStringLiteral("Cancel"), 0, kSteps, parent), maximum_(maximum) {
        dialog_.setObjectName(QStringLiteral("dlgProgress"));
        dialog_.setWindowTitle(kProductName);
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(500);
        dialog_.setAutoReset(false);
        dialog_.setAutoClose(false);
        dialog_.setValue(0);
    }
    bool advance(qint64 value) override {
        const int step =
            maximum_ > 0 ? int(qBound<qint64>(0, value, maximum_) * kSteps / maximum_) : 0;
        // A modal progress dialog handles pending events in setValue, which
        // is where a click on Cancel arrives; a repeated value still does.
        if (step == dialog_.value())
            QCoreApplication::processEvents();
        else
            dialog_.setValue(step);
        return !dialog_.wasCanceled();
    }

private:
    QProgressDialog dialog_;
    qint64 maximum_;
};

}  // namespace

std::unique_ptr<Progress> QtDialogs::progress(QWidget* parent, const QString& text,
                                              qint64 maximum) {
    return std::make_unique<DialogProgress>(parent, text, maximum);
}

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

std::optional<QString> QtDialogs::password(QWidget* parent, const QString& title,
                                           const QString& label) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, title, label, QLineEdit::Password, QString(), &ok);
    if (!ok) return std::nullopt;
    return text;
}

}  // namespace fd
