#pragma once
// Every message box and common dialog of the program goes through Dialogs,
// so tests can answer them and read what was shown.

#include <QString>
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

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MsgAnswer message(QWidget* parent, const QString& text, const QString& title,
                              MsgButtons buttons = MsgButtons::Ok,
                              MsgIcon icon = MsgIcon::None) = 0;
    // nullopt when the user cancels.
    virtual std::optional<QString> openFile(QWidget* parent, const FileDialogRequest& r) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, const FileDialogRequest& r) = 0;
};

// The real dialogs: QMessageBox and QFileDialog.
class QtDialogs : public Dialogs {
public:
    MsgAnswer message(QWidget* parent, const QString& text, const QString& title,
                      MsgButtons buttons, MsgIcon icon) override;
    std::optional<QString> openFile(QWidget* parent, const FileDialogRequest& r) override;
    std::optional<QString> saveFile(QWidget* parent, const FileDialogRequest& r) override;
};

// "Text Files (*.txt)|*.txt|All (*.*)|*.*" -> "Text Files (*.txt);;All (*.*)".
QStringList qtFilters(const QString& pipeFilter);

// The path with the extension of the filter entry chosen (1-based), as
// extensionFromFilter describes.
QString withFilterExtension(const QString& path, const QString& pipeFilter, int chosenIndex);

}  // namespace fd
