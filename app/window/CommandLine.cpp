#include "CommandLine.h"

#include <QCommandLineParser>

#include "core/ProgramFolder.h"

namespace fd {

namespace {

// Options Qt's application classes and the X11 platform read from the
// command line, with whether each takes a value. They are accepted here so
// that only real mistakes are refused; Qt removes them when it starts.
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowtitle", true},
    {"qwindowicon", true},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"display", true},
    {"geometry", true},
    {"title", true},
    {"icon", true},
    {"name", true},
    {"visual", true},
    {"qmljsdebugger", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
    {"testability", false},
    {"cmap", false},
};

}  // namespace

CommandLine readCommandLine(const QStringList& arguments, const QString& version) {
    CommandLine r;
    QCommandLineParser parser;
    // Qt's options are words after a single dash (-platform), not bundles of
    // one-letter options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Farrowdale keeps your web sites, their pages and their submissions to search engines."));
    const QCommandLineOption helpOpt = parser.addHelpOption();
    const QCommandLineOption versionOpt = parser.addVersionOption();
    const QCommandLineOption folderOpt(
        QStringLiteral("program-folder"),
        QStringLiteral("Use DIR as the program folder (else $FARROWDALE_HOME, else the per-user "
                       "data folder)."),
        QStringLiteral("DIR"));
    parser.addOption(folderOpt);
    for (const QtOption& o : kQtOptions) {
        QCommandLineOption qt(QString::fromLatin1(o.name));
        if (o.takesValue) qt.setValueName(QStringLiteral("value"));
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }

    const auto error = [&r](const QString& text) {
        r.action = CommandLine::Action::Error;
        r.text = text;
        return r;
    };
    if (!parser.parse(arguments)) return error(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return error(QStringLiteral("Unexpected argument '%1'.")
                         .arg(parser.positionalArguments().constFirst()));
    // --help-all (Qt adds it beside --help) answers the same.
    if (parser.isSet(helpOpt) || parser.isSet(QStringLiteral("help-all"))) {
        r.action = CommandLine::Action::Help;
        r.text = parser.helpText();
        return r;
    }
    if (parser.isSet(versionOpt)) {
        r.action = CommandLine::Action::Version;
        r.text = QStringLiteral("Farrowdale %1\n").arg(version);
        return r;
    }
    if (parser.isSet(folderOpt)) {
        r.programFolder = parser.value(folderOpt);
        if (r.programFolder.isEmpty())
            return error(QStringLiteral("The option '--program-folder' needs a folder."));
        const QString problem = programFolderProblem(r.programFolder);
        if (!problem.isEmpty()) return error(problem);
    }
    return r;
}

}  // namespace fd
