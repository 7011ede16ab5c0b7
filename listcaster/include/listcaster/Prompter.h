#pragma once
// Every message box and platform dialog Listcaster shows goes through one
// Prompter, so tests can answer them without a modal window blocking the run
// and can read back what the user would have been shown. The library uses the
// process-wide prompter returned by prompter(); it is the Qt one unless a test
// (or a host) installs its own with setPrompter().

#include <QString>
#include <memory>
#include <optional>

#include "listcaster/Export.h"
#include "listcaster/ListViewSource.h"

class QWidget;
class QPrinter;

namespace listcaster {

enum class MessageIcon { None, Information, Question, Warning, Error };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// Lists of more rows than this show a progress bar with a Cancel button while
// they are exported or printed.
inline constexpr int kProgressRows = 10000;

// The progress of one export or printout.
class LISTCASTER_EXPORT Progress {
public:
    virtual ~Progress();
    // Moves the bar to value (0 to the maximum it was opened with); false
    // once the user has pressed Cancel.
    virtual bool advance(int value) = 0;
};

class LISTCASTER_EXPORT Prompter {
public:
    virtual ~Prompter();

    // A message box owned by parent (may be null) with the given icon, caption,
    // text and buttons; returns the button pressed. Closing the box answers as
    // its escape button would (Cancel or No; Ok for a lone Ok).
    virtual Answer message(QWidget* parent, MessageIcon icon, const QString& caption,
                           const QString& text, MessageButtons buttons = MessageButtons::Ok) = 0;

    // A save-as dialog. filter is given as pairs separated by '|':
    // "Textfiles (*.txt)|*.txt|All files (*.*)|*.*". defaultExt may be written
    // "*.txt", ".txt" or "txt". preset is the path the dialog starts with.
    // Returns the chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> saveFileName(QWidget* parent, const QString& title,
                                                const QString& filter, const QString& defaultExt,
                                                const QString& preset,
                                                bool overwritePrompt = true) = 0;

    // Opens path with the desktop's default program for its type; false when
    // the desktop could not start one.
    virtual bool openWithDefaultProgram(QWidget* parent, const QString& path) = 0;

    // The font dialog, preset with initial; nothing when cancelled.
    virtual std::optional<FontSpec> chooseFont(QWidget* parent, const FontSpec& initial) = 0;

    // The print-setup dialog on printer (choice of printing a selection
    // disabled); true when the user confirmed and printer took the choice.
    virtual bool printSetup(QWidget* parent, QPrinter* printer) = 0;

    // The system's warning sound.
    virtual void beep() = 0;

    // A progress bar under text, captioned caption, with a Cancel button. The
    // base shows nothing and never cancels.
    virtual std::unique_ptr<Progress> progress(QWidget* parent, const QString& caption,
                                               const QString& text, int maximum);
};

// The real dialogs: QMessageBox, QFileDialog, QDesktopServices, QFontDialog,
// QPrintDialog and QApplication::beep.
class LISTCASTER_EXPORT QtPrompter : public Prompter {
public:
    Answer message(QWidget* parent, MessageIcon icon, const QString& caption, const QString& text,
                   MessageButtons buttons = MessageButtons::Ok) override;
    std::optional<QString> saveFileName(QWidget* parent, const QString& title,
                                        const QString& filter, const QString& defaultExt,
                                        const QString& preset,
                                        bool overwritePrompt = true) override;
    bool openWithDefaultProgram(QWidget* parent, const QString& path) override;
    std::optional<FontSpec> chooseFont(QWidget* parent, const FontSpec& initial) override;
    bool printSetup(QWidget* parent, QPrinter* printer) override;
    void beep() override;
    // A window-modal progress dialog, shown once the work has run for half a
    // second.
    std::unique_ptr<Progress> progress(QWidget* parent, const QString& caption, const QString& text,
                                       int maximum) override;

    // "Textfiles (*.txt)|*.txt|All files (*.*)|*.*" -> "Textfiles (*.txt);;All files (*.*)".
    static QString toQtFilter(const QString& pipeFilter);
};

// The prompter in use. Never null.
LISTCASTER_EXPORT Prompter& prompter();
// Installs p (not owned; it must outlive its use) and returns the previous
// one; nullptr goes back to the built-in QtPrompter.
LISTCASTER_EXPORT Prompter* setPrompter(Prompter* p);

}  // namespace listcaster
