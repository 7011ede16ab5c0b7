#include "Cli.h"

#include <listcaster/TextTable.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "core/ExtraTables.h"
#include "core/FileReplace.h"
#include "core/ProgramFolder.h"
#include "sites/PageList.h"

#ifndef FARROWDALE_VERSION
#define FARROWDALE_VERSION "0.0.0"
#endif

namespace fd::cli {

namespace {

const QString kProgram = QStringLiteral("farrowdale-cli");

void writeTo(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

QCommandLineOption folderOption() {
    return QCommandLineOption(QStringLiteral("program-folder"),
                              QStringLiteral("Use DIR as the program folder (else "
                                             "$FARROWDALE_HOME, else the per-user data folder)."),
                              QStringLiteral("DIR"));
}

QCommandLineOption helpOption() {
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("Show this help and leave."));
}

// Text broken into lines of at most width characters, the lines after the
// first indented by indent blanks.
QString wrapped(const QString& text, int width, int indent = 0) {
    QString out, line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            out += line + u'\n' + QString(indent, u' ');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return out + line;
}

QString optionLine(const QCommandLineOption& o) {
    QStringList names;
    for (const QString& n : o.names())
        names << (n.size() == 1 ? u'-' + n : QStringLiteral("--") + n);
    QString left = names.join(QStringLiteral(", "));
    if (!o.valueName().isEmpty()) left += u' ' + o.valueName();
    left = QStringLiteral("  ") + left.leftJustified(24) + u' ';
    const int indent = int(left.size());
    return left + wrapped(o.description(), 79 - indent, indent) + u'\n';
}

QString generalHelp() {
    QString text =
        QStringLiteral("Usage: farrowdale-cli [--program-folder DIR] COMMAND [OPTIONS]\n\n") +
        wrapped(QStringLiteral("Does the program's work without a window, on the same "
                               "program folder and database: page lists, site maps, "
                               "submissions, audits and reports. It may run while the "
                               "window is open."),
                79) +
        QStringLiteral("\n\nCommands:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  ") + c.name.leftJustified(20) + u' ' + c.summary + u'\n';
    text += QStringLiteral("\nOptions:\n") + optionLine(folderOption()) + optionLine(helpOption()) +
            optionLine(QCommandLineOption(QStringLiteral("version"),
                                          QStringLiteral("Show the version and leave."))) +
            QStringLiteral(
                "\n'farrowdale-cli COMMAND --help' describes a command.\nExit codes: 0 "
                "done, 1 failed, 2 bad usage.\n");
    return text;
}

QString commandHelp(const Command& c) {
    QString text = QStringLiteral("Usage: farrowdale-cli [--program-folder DIR] ") + c.name;
    if (!c.synopsis.isEmpty()) text += u' ' + c.synopsis;
    text += QStringLiteral("\n\n") + wrapped(c.details, 79) + QStringLiteral("\n\nOptions:\n");
    for (const QCommandLineOption& o : c.options) text += optionLine(o);
    text += optionLine(folderOption()) + optionLine(helpOption());
    return text;
}

struct UsageIn {
    QString command;  // empty: the program as a whole
    QString message;
};

int usageFailure(const UsageIn& u) {
    const QString who = u.command.isEmpty() ? kProgram : kProgram + u' ' + u.command;
    writeTo(stderr, who + QStringLiteral(": ") + u.message + QStringLiteral("\nTry '") + who +
                        QStringLiteral(" --help'.\n"));
    return kBadUsage;
}

const Command* findCommand(const QString& name) {
    for (const Command& c : commands())
        if (c.name == name) return &c;
    return nullptr;
}

// The names of the commands that begin with word ("pages" -> import, list).
QStringList subcommands(const QString& word) {
    QStringList subs;
    for (const Command& c : commands())
        if (c.name.startsWith(word + u' ')) subs << c.name.mid(word.size() + 1);
    return subs;
}

}  // namespace

// --- sinks -----------------------------------------------------------------

void CliErrorSink::write(const QString& routine, long number, const QString& description,
                         const QString& source) {
    if (log_) log_->write(routine, number, description, source);
    failures_ << QStringLiteral("%1 (%2, %3)").arg(description).arg(number).arg(source);
}

MsgAnswer CliDialogs::message(QWidget*, const QString& text, const QString&, MsgButtons buttons,
                              MsgIcon) {
    messages_ << text;
    switch (buttons) {
        case MsgButtons::Ok:
            return MsgAnswer::Ok;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            break;
    }
    return MsgAnswer::No;
}

// --- invocation ------------------------------------------------------------

Invocation::Invocation(QCommandLineParser& parser, QString folderOption)
    : parser_(parser), folderOption_(std::move(folderOption)) {}

QString Invocation::required(const QString& name) const {
    const QString v = parser_.value(name);
    if (!parser_.isSet(name) || v.isEmpty()) usage(QStringLiteral("--%1 is required").arg(name));
    return v;
}

QStringList Invocation::positional(int count, const QString& names) const {
    const QStringList p = parser_.positionalArguments();
    if (p.size() < count) usage(QStringLiteral("missing ") + names);
    if (p.size() > count) usage(QStringLiteral("unexpected argument '%1'").arg(p.at(count)));
    return p;
}

Globals& Invocation::globals() {
    if (globals_) return *globals_;
    // The window's own choice, with its one-time move of an earlier doubled
    // per-user folder.
    const QString folder = resolveProgramFolder(folderOption_).folder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        fail(QStringLiteral("the program folder %1 does not exist")
                 .arg(QDir::toNativeSeparators(folder)));
    if (!QFileInfo(QDir(folder).filePath(QString::fromLatin1(kDatabaseFileName))).isFile())
        fail(QStringLiteral("there is no database (%1) in the program folder %2")
                 .arg(QString::fromLatin1(kDatabaseFileName), QDir::toNativeSeparators(folder)));
    globals_ = std::make_unique<Globals>(folder);
    errors_ = std::make_unique<CliErrorSink>(globals_->errorLog.get());
    return *globals_;
}

CliErrorSink& Invocation::errors() {
    globals();
    return *errors_;
}

void Invocation::ensureExtraTables() {
    const QString error = fd::ensureExtraTables(globals().gDB->databasePath());
    if (!error.isEmpty())
        fail(QStringLiteral("the database could not be brought up to date: ") + error);
}

sites::SiteSelection& Invocation::selection() {
    if (!selection_)
        selection_ =
            std::make_unique<sites::SiteSelection>(*globals().gDB, globals().programFolder);
    return *selection_;
}

sites::SiteRecord Invocation::site() {
    const QString name = required(QStringLiteral("site"));
    if (!selection().chooseSite(name))
        fail(QStringLiteral("there is no site named '%1'").arg(name));
    return *selection().site();
}

sites::RootRecord Invocation::root(const sites::SiteRecord& site) {
    if (site.roots.empty()) fail(QStringLiteral("the site '%1' has no root URL").arg(site.name));
    sites::SiteSelection& chosen = selection();
    if (!chosen.site() || chosen.site()->id != site.id) chosen.setSite(site);
    const bool named = isSet(QStringLiteral("root"));
    const QString wanted = value(QStringLiteral("root"));
    if ((named && wanted.isEmpty()) || !chosen.chooseRoot(named ? wanted : QString()))
        fail(QStringLiteral("'%1' is not a root URL of the site '%2'").arg(wanted, site.name));
    return *chosen.root();
}

sites::SiteSelection& Invocation::siteAndRoot() {
    root(site());
    return selection();
}

QStringList Invocation::pages(const sites::SiteRecord& site) {
    sites::SiteSelection& chosen = selection();
    if (!chosen.site() || chosen.site()->id != site.id) chosen.setSite(site);
    return chosen.pages();
}

void Invocation::progress(const QString& text) const {
    writeTo(stderr,
            text.isEmpty() ? QStringLiteral("\r\x1b[K") : QStringLiteral("\r\x1b[K") + text);
}

void Invocation::out(const QString& text) const {
    writeTo(stdout, text);
}

void Invocation::outJson(const QJsonDocument& doc) const {
    writeTo(stdout, QString::fromUtf8(doc.toJson(QJsonDocument::Indented)));
}

void Invocation::note(const QString& text) const {
    writeTo(stderr, kProgram + QStringLiteral(": ") + text + u'\n');
}

// --- shared options --------------------------------------------------------

QCommandLineOption jsonOption() {
    return QCommandLineOption(QStringLiteral("json"),
                              QStringLiteral("Print the list as JSON instead of text."));
}

QCommandLineOption siteOption() {
    return QCommandLineOption(QStringLiteral("site"),
                              QStringLiteral("The web site, by its name as the Configuration tab "
                                             "shows it (exact, case-sensitive)."),
                              QStringLiteral("NAME"));
}

QCommandLineOption rootOption() {
    return QCommandLineOption(QStringLiteral("root"),
                              QStringLiteral("Which of the site's root URLs (default: its first)."),
                              QStringLiteral("URL"));
}

void fail(const QString& message) {
    throw Failure{message};
}

void usage(const QString& message) {
    throw UsageError{message};
}

QString listText(const listcaster::TableSource& list) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    listcaster::writeTextTable(list, {}, buffer);
    // The writer ends its lines as files want them; a terminal wants LF.
    return QString::fromUtf8(buffer.data()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void writeFileWhole(const QString& path, const QByteArray& bytes) {
    FileReplacement file(path);
    if (!file.replaceWith(bytes))
        fail(QStringLiteral("could not write %1: %2").arg(path, file.errorString()));
}

// --- the run ---------------------------------------------------------------

int run(const QStringList& arguments) {
    QString folder;
    qsizetype i = 0;
    for (; i < arguments.size() && arguments[i].startsWith(u'-'); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            writeTo(stdout, generalHelp());
            return kOk;
        }
        if (a == QLatin1String("--version")) {
            writeTo(stdout, kProgram + u' ' + QStringLiteral(FARROWDALE_VERSION) + u'\n');
            return kOk;
        }
        if (a == QLatin1String("--program-folder")) {
            if (++i >= arguments.size())
                return usageFailure({{}, QStringLiteral("--program-folder needs a folder")});
            folder = arguments[i];
        } else if (a.startsWith(QLatin1String("--program-folder="))) {
            folder = a.mid(17);
        } else {
            return usageFailure({{}, QStringLiteral("unknown option '%1'").arg(a)});
        }
    }
    if (i >= arguments.size()) return usageFailure({{}, QStringLiteral("no command given")});

    QString name = arguments[i++];
    if (name == QLatin1String("help")) {
        if (i >= arguments.size()) {
            writeTo(stdout, generalHelp());
            return kOk;
        }
        name = arguments.mid(i).join(u' ');
        if (const Command* c = findCommand(name)) {
            writeTo(stdout, commandHelp(*c));
            return kOk;
        }
        return usageFailure({{}, QStringLiteral("unknown command '%1'").arg(name)});
    }
    const QStringList subs = subcommands(name);
    if (!subs.isEmpty()) {
        const QString sub = i < arguments.size() ? arguments[i] : QString();
        if (sub == QLatin1String("-h") || sub == QLatin1String("--help")) {
            QString text;
            for (const QString& s : subs)
                text += commandHelp(*findCommand(name + u' ' + s)) + u'\n';
            writeTo(stdout, text);
            return kOk;
        }
        if (!subs.contains(sub))
            return usageFailure({name, QStringLiteral("expected one of: ") + subs.join(u' ')});
        name += u' ' + sub;
        ++i;
    }
    const Command* command = findCommand(name);
    if (!command) return usageFailure({{}, QStringLiteral("unknown command '%1'").arg(name)});

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const QCommandLineOption& o : command->options) parser.addOption(o);
    parser.addOption(folderOption());
    parser.addOption(helpOption());
    if (!parser.parse(QStringList{kProgram} + arguments.mid(i)))
        return usageFailure({name, parser.errorText()});
    if (parser.isSet(QStringLiteral("help"))) {
        writeTo(stdout, commandHelp(*command));
        return kOk;
    }
    if (parser.isSet(QStringLiteral("program-folder")))
        folder = parser.value(QStringLiteral("program-folder"));

    Invocation in(parser, folder);
    try {
        return command->run(in);
    } catch (const UsageError& e) {
        return usageFailure({name, e.message});
    } catch (const Failure& e) {
        in.note(e.message);
    } catch (const AppError& e) {
        in.note(e.description());
    } catch (const std::exception& e) {
        in.note(QString::fromLocal8Bit(e.what()));
    }
    return kFailed;
}

}  // namespace fd::cli
