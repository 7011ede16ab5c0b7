#pragma once
// Every message box and common dialog of the program goes through Dialogs,
// so tests can answer them and read what was shown.

#include <QString>
#include <memory>
#include <optional>

class QWidget;

namespace fd {

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Question, Exclamation, Critical };
enum class MsgAnswer { Ok, Yes, No, Cancel };

struct FileDialogRequest {
    QString title;
    QString initialDir;
    QString initialFile;
    // Filter in "Description|pattern|Description|pattern" form.
    QString filter;
    int filterIndex = 1;  // 1-based, the entry preselected
    QString defaultExtension;
    bool overwritePrompt = true;
    // Save dialogs: a name typed without the chosen filter's extension gets
    // it ("sitemap" or "sitemap.xml" with "*.xml.gz" chosen becomes
    // "sitemap.xml.gz"); a name with another filter's extension stays.
    bool extensionFromFilter = false;
};

// A long piece of work shown with a bar and a Cancel button. The work calls
// advance() now and then; it returns false once the user has cancelled, and
// the work then stops and leaves the user's data as it was before it began.
class Progress {
public:
    virtual ~Progress() = default;
    // value runs from 0 to the maximum the progress was opened with.
    virtual bool advance(qint64 value) = 0;
};

// Shows nothing and never cancels: the progress of work without a window.
class SilentProgress : public Progress {
public:
    bool advance(qint64) override { return true; }
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MsgAnswer message(QWidget* parent, const QString& text, const QString& title,
                              MsgButtons buttons = MsgButtons::Ok,
                              MsgIcon icon = MsgIcon::None) = 0;
    // nullopt when the user cancels.
    virtual std::optional<QString> openFile(QWidget* parent, const FileDialogRequest& r) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, const FileDialogRequest& r) = 0;
    // Progress of work that may take longer than a second, with text above
    // the bar. The base shows nothing and never cancels.
    virtual std::unique_ptr<Progress> progress(QWidget* /*parent*/, const QString& /*text*/,
                                               qint64 /*maximum*/) {
        return std::make_unique<SilentProgress>();
    }
    // Asks for a password (typed without being shown); nullopt when the user
    // cancels. The base asks nobody.
    virtual std::optional<QString> password(QWidget* /*parent*/, const QString& /*title*/,
                                            const QString& /*label*/) {
        return std::nullopt;
    }
};

// The real dialogs: QMessageBox and QFileDialog.
class QtDialogs : public Dialogs {
public:
    MsgAnswer message(QWidget* parent, const QString& text, const QString& title,
                      MsgButtons buttons, MsgIcon icon) override;
    std::optional<QString> openFile(QWidget* parent, const FileDialogRequest& r) override;
    std::optional<QString> saveFile(QWidget* parent, const FileDialogRequest& r) override;
    // A window-modal progress dialog that appears once the work has run for
    // half a second.
    std::unique_ptr<Progress> progress(QWidget* parent, const QString& text,
                                       qint64 maximum) override;
    std::optional<QString> password(QWidget* parent, const QString& title,
                                    const QString& label) override;
};

// "Text Files (*.txt)|*.txt|All (*.*)|*.*" -> "Text Files (*.txt);;All (*.*)".
QStringList qtFilters(const QString& pipeFilter);

// The path with the extension of the filter entry chosen (1-based), as
// extensionFromFilter describes.
QString withFilterExtension(const QString& path, const QString& pipeFilter, int chosenIndex);

}  // namespace fd
