#include "listcaster/Prompter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QUrl>

namespace listcaster {

Prompter::~Prompter() = default;
Progress::~Progress() = default;

namespace {

class SilentProgress : public Progress {
public:
    bool advance(int) override { return true; }
};

class DialogProgress : public Progress {
public:
    DialogProgress(QWidget* parent, const QString& caption, const QString& text, int maximum)
        : dialog_(text, QStringLiteral("Cancel"), 0, maximum, parent) {
        dialog_.setObjectName(QStringLiteral("dlgListProgress"));
        dialog_.setWindowTitle(caption);
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(500);
        dialog_.setAutoReset(false);
        dialog_.setAutoClose(false);
        dialog_.setValue(0);
    }
    bool advance(int value) override {
        // A modal progress dialog handles pending events (a click on Cancel
        // among them) in setValue.
        if (value != dialog_.value()) dialog_.setValue(value);
        return !dialog_.wasCanceled();
    }

private:
    QProgressDialog dialog_;
};

}  // namespace

std::unique_ptr<Progress> Prompter::progress(QWidget*, const QString&, const QString&, int) {
    return std::make_unique<SilentProgress>();
}

std::unique_ptr<Progress> QtPrompter::progress(QWidget* parent, const QString& caption,
                                               const QString& text, int maximum) {
    return std::make_unique<DialogProgress>(parent, caption, text, maximum);
}

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQtButtons(MessageButtons b) {
    switch (b) {
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        case MessageButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

Answer fromQtButton(int b, MessageButtons shown) {
    switch (b) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Retry:
            return Answer::Retry;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        default:
            break;
    }
    // Closed without a button: the escape answer.
    switch (shown) {
        case MessageButtons::Ok:
            return Answer::Ok;
        case MessageButtons::YesNo:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

QtPrompter& builtIn() {
    static QtPrompter p;
    return p;
}

Prompter* current = nullptr;

}  // namespace

Answer QtPrompter::message(QWidget* parent, MessageIcon icon, const QString& caption,
                           const QString& text, MessageButtons buttons) {
    QMessageBox box(toQtIcon(icon), caption, text, toQtButtons(buttons), parent);
    if (buttons == MessageButtons::YesNo) box.setEscapeButton(QMessageBox::No);
    return fromQtButton(box.exec(), buttons);
}

QString QtPrompter::toQtFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i < parts.size(); i += 2) {
        const QString& desc = parts[i];
        if (desc.isEmpty()) continue;
        const QString pattern = i + 1 < parts.size() ? parts[i + 1] : QString();
        // A description that already names its patterns is used as it is;
        // otherwise the patterns are added in brackets for Qt to read.
        if (pattern.isEmpty() || desc.contains(QLatin1Char('(')))
            out << desc;
        else
            out << desc + QStringLiteral(" (") + QString(pattern).replace(';', ' ') +
                       QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

std::optional<QString> QtPrompter::saveFileName(QWidget* parent, const QString& title,
                                                const QString& filter, const QString& defaultExt,
                                                const QString& preset, bool overwritePrompt) {
    QFileDialog dlg(parent, title);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilter(toQtFilter(filter));
    QString ext = defaultExt;
    while (ext.startsWith(QLatin1Char('*')) || ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    if (!ext.isEmpty() && !ext.contains(QLatin1Char('*'))) dlg.setDefaultSuffix(ext);
    if (!overwritePrompt) dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!preset.isEmpty()) dlg.selectFile(preset);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
    return files.first();
}

bool QtPrompter::openWithDefaultProgram(QWidget*, const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

std::optional<FontSpec> QtPrompter::chooseFont(QWidget* parent, const FontSpec& initial) {
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial.toQFont(), parent);
    if (!ok) return std::nullopt;
    return FontSpec::fromQFont(f);
}

bool QtPrompter::printSetup(QWidget* parent, QPrinter* printer) {
    if (!printer) return false;
    QPrintDialog dlg(printer, parent);
    dlg.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dlg.exec() == QDialog::Accepted;
}

void QtPrompter::beep() {
    QApplication::beep();
}

Prompter& prompter() {
    return current ? *current : builtIn();
}

Prompter* setPrompter(Prompter* p) {
    Prompter* previous = &prompter();
    current = p;
    return previous;
}

}  // namespace listcaster
