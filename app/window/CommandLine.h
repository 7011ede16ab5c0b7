#pragma once
// The program's command line, read before anything needs a display: its own
// options, Qt's own options (accepted and left for Qt), and every mistake
// reported with exit code 2.

#include <QString>
#include <QStringList>

namespace fd {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString programFolder;  // --program-folder, empty when not given
    // Help: the help text (stdout); Version: "Farrowdale <version>" (stdout);
    // Error: what was wrong (stderr).
    QString text;
};

// The exit code of a command-line mistake.
constexpr int kCommandLineErrorExit = 2;

// Reads arguments (the program's name first). An unknown option, an option
// without its value, an argument where none is taken, an empty program folder
// or a named folder that cannot be one is an Error; --help and --version
// answer without running. Qt's own window-system options (-platform,
// -qwindowgeometry, -style, -display, ...) are accepted and otherwise
// ignored: the application reads them itself.
CommandLine readCommandLine(const QStringList& arguments, const QString& version);

}  // namespace fd
