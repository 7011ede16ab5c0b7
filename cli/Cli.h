#pragma once
// farrowdale-cli: the program's work without a window. Each command is a
// plain function over the rooms' logic libraries; this header holds what they
// share: the parsed command line, the program folder and its globals, the
// failures with their exit codes, and output to stdout and stderr.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonDocument>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "core/AppError.h"
#include "core/Globals.h"
#include "platform/Dialogs.h"
#include "sites/SiteRecords.h"
#include "sites/SiteSelection.h"

namespace listcaster {
class TableSource;
}

namespace fd::cli {

// Exit codes.
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

// Bad usage: an unknown option, a missing value, a value that cannot be
// read. Exit code 2, with a pointer to the command's --help.
struct UsageError {
    QString message;
};
// The command ran and failed. Exit code 1.
struct Failure {
    QString message;
};

// The error sink of a run: every failure is written to the program folder's
// error log, as the window writes it, and kept so the command can say on
// stderr what went wrong.
class CliErrorSink : public ErrorSink {
public:
    explicit CliErrorSink(ErrorSink* log) : log_(log) {}
    void write(const QString& routine, long number, const QString& description,
               const QString& source) override;
    // "description (number, source)" of every failure so far.
    const QStringList& failures() const { return failures_; }

private:
    ErrorSink* log_;
    QStringList failures_;
};

// Message boxes of the logic become lines: kept in order, and printed on
// stderr. Questions are answered No (and file dialogs cancelled): nothing
// here waits for a person.
class CliDialogs : public Dialogs {
public:
    MsgAnswer message(QWidget* parent, const QString& text, const QString& title,
                      MsgButtons buttons, MsgIcon icon) override;
    std::optional<QString> openFile(QWidget*, const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFile(QWidget*, const FileDialogRequest&) override {
        return std::nullopt;
    }
    const QStringList& messages() const { return messages_; }

private:
    QStringList messages_;
};

// One command's parsed arguments, with the program folder opened on demand.
class Invocation {
public:
    Invocation(QCommandLineParser& parser, QString folderOption);

    QCommandLineParser& args() { return parser_; }
    bool isSet(const QString& name) const { return parser_.isSet(name); }
    QString value(const QString& name) const { return parser_.value(name); }
    // A required option's value; UsageError when it is missing or empty.
    QString required(const QString& name) const;
    // The positional arguments, exactly count of them or UsageError.
    QStringList positional(int count, const QString& names) const;

    // The program folder, chosen as the window chooses it (--program-folder,
    // else FARROWDALE_HOME, else the per-user data folder). It must exist and
    // hold the database: nothing is created. Failure otherwise.
    Globals& globals();
    // The extra tables, created when missing (for commands that write them).
    void ensureExtraTables();
    CliErrorSink& errors();
    CliDialogs& dialogs() { return dialogs_; }

    // The site and root URL the command works on, chosen by site() and
    // root() (the site by its name, as the Configuration tab lists it).
    sites::SiteSelection& selection();
    // The site named by --site, with its roots; Failure when there is none.
    sites::SiteRecord site();
    // The root URL of the site to work on: --root when given (it must be one
    // of the site's), else the site's first, as the Configuration tab selects
    // it. Failure when the site has none.
    sites::RootRecord root(const sites::SiteRecord& site);
    // Both of them at once.
    sites::SiteSelection& siteAndRoot();

    // The pages of the site's list: the file the site last had open, read as
    // the window reads it when the site is chosen. No list yet is no pages.
    QStringList pages(const sites::SiteRecord& site);

    // Prints to stdout.
    void out(const QString& text) const;
    void outJson(const QJsonDocument& doc) const;
    // Prints "farrowdale-cli: text" on stderr.
    void note(const QString& text) const;
    // Rewrites the progress line on stderr (a terminal); empty ends it.
    void progress(const QString& text) const;

private:
    QCommandLineParser& parser_;
    QString folderOption_;
    std::unique_ptr<Globals> globals_;
    std::unique_ptr<CliErrorSink> errors_;
    std::unique_ptr<sites::SiteSelection> selection_;
    CliDialogs dialogs_;
};

struct Command {
    QString name;      // "sites", "pages import", ...
    QString synopsis;  // what follows the name in the usage line
    QString summary;   // one line for the command list
    QString details;   // the paragraph of its --help
    std::vector<QCommandLineOption> options;
    std::function<int(Invocation&)> run;
};

// The commands, in the order --help lists them.
const std::vector<Command>& commands();

// Runs the command line (arguments without the program name); returns the
// exit code.
int run(const QStringList& arguments);

// Pieces the command files share.
QCommandLineOption jsonOption();
QCommandLineOption siteOption();
QCommandLineOption rootOption();
[[noreturn]] void fail(const QString& message);
[[noreturn]] void usage(const QString& message);
// A list as tab-separated text with a caption line and a rule, for stdout.
QString listText(const listcaster::TableSource& list);
// Writes bytes to path whole: what was there is replaced only once the new
// file is complete. Failure otherwise.
void writeFileWhole(const QString& path, const QByteArray& bytes);

// The commands.
int sitesCommand(Invocation& in);
int pagesImportCommand(Invocation& in);
int pagesListCommand(Invocation& in);
int pagesDiscoverCommand(Invocation& in);
int sitemapCommand(Invocation& in);
int submitCommand(Invocation& in);
int reportCommand(Invocation& in);
int updateCatalogueCommand(Invocation& in);
int auditCommand(Invocation& in);
int publishCommand(Invocation& in);

}  // namespace fd::cli
