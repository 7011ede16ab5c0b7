// The filter rules of the file dialogs that need no screen.
#include <QStringList>

#include "Dialogs.h"

namespace fd {

namespace {
// ".xml.gz" of "*.xml.gz"; empty for "*.*", "*" or several patterns.
QString patternExtension(const QString& pattern) {
    if (!pattern.startsWith(QStringLiteral("*.")) || pattern.contains(u';') ||
        pattern.indexOf(u'*', 1) >= 0)
        return {};
    return pattern.mid(1);
}
}  // namespace

QString withFilterExtension(const QString& path, const QString& pipeFilter, int chosenIndex) {
    const QStringList parts = pipeFilter.split(u'|');
    const qsizetype chosenPattern = 2 * qsizetype(chosenIndex) - 1;
    if (chosenIndex < 1 || chosenPattern >= parts.size()) return path;
    const QString chosen = patternExtension(parts[chosenPattern]);
    if (chosen.isEmpty() || path.endsWith(chosen, Qt::CaseInsensitive)) return path;
    for (qsizetype i = 1; i < parts.size(); i += 2) {
        const QString other = patternExtension(parts[i]);
        if (other.isEmpty() || !path.endsWith(other, Qt::CaseInsensitive)) continue;
        // "x.xml" with "*.xml.gz" chosen: completed; "x.xml.gz" with "*.xml"
        // chosen: the name was typed with intent and stays.
        if (chosen.startsWith(other, Qt::CaseInsensitive)) return path + chosen.mid(other.size());
        return path;
    }
    return path + chosen;
}

}  // namespace fd
