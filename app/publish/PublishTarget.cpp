#include "PublishTarget.h"

#include <QDateTime>
#include <QDir>

#include "core/CADODBAccess.h"
#include "core/JetSql.h"

namespace fd {

QString publishTargetProblem(const PublishTarget& target) {
    QString problem;
    if (!parseSiteAddress(target.address, &problem)) return problem;
    if (target.user.trimmed().isEmpty())
        return QStringLiteral("The server needs a user name to log in with.");
    for (const QChar ch : target.user)
        if (ch.unicode() < 0x20) return QStringLiteral("The user name holds a control character.");
    return {};
}

QString publishTargetWarning(const PublishTarget& target) {
    const auto a = parseSiteAddress(target.address);
    return a && a->protocol == SiteProtocol::Ftp ? kClearTextFtpWarning : QString();
}

std::optional<PublishTarget> loadPublishTarget(const CADODBAccess& db, const QString& rootUrl) {
    RecordsetPtr rs = db.query(
        QStringLiteral("SELECT Address, UserName FROM PublishTargets WHERE WebSiteBaseURL = ") +
        dq(rootUrl));
    if (rs->eof()) return std::nullopt;
    return PublishTarget{rs->field(0), rs->field(1)};
}

void savePublishTarget(const CADODBAccess& db, const QString& rootUrl,
                       const PublishTarget& target) {
    if (target.address.trimmed().isEmpty()) {
        db.execute(QStringLiteral("DELETE FROM PublishTargets WHERE WebSiteBaseURL = ") +
                   dq(rootUrl));
        return;
    }
    db.execute(QStringLiteral("INSERT OR REPLACE INTO PublishTargets (WebSiteBaseURL, Address, "
                              "UserName, SavedDate) VALUES (") +
               dq(rootUrl) + u',' + dq(target.address.trimmed()) + u',' +
               dq(target.user.trimmed()) + QStringLiteral(",#") +
               jetDateTime(QDateTime::currentDateTime()) + QStringLiteral("#)"));
}

KeyringEntry keyringEntry(const PublishTarget& target) {
    const auto a = parseSiteAddress(target.address);
    return {a ? a->server() : target.address.trimmed(), target.user.trimmed()};
}

QString keyringLabel(const PublishTarget& target) {
    const KeyringEntry e = keyringEntry(target);
    return QStringLiteral("Farrowdale: %1 on %2").arg(e.user, e.server);
}

QString knownHostsFile(const QString& home) {
    return QDir(home).filePath(QStringLiteral(".ssh/known_hosts"));
}

QStringList sshKeyFiles(const QString& home) {
    QStringList files;
    for (const char* name : {"id_ed25519", "id_ecdsa", "id_rsa"})
        files << QDir(home).filePath(QStringLiteral(".ssh/") + QLatin1String(name));
    return files;
}

SiteAccount siteAccount(const PublishTarget& target, const QString& home) {
    SiteAccount a;
    if (const auto address = parseSiteAddress(target.address)) a.address = *address;
    a.user = target.user.trimmed();
    a.knownHostsPath = knownHostsFile(home);
    a.keyFiles = sshKeyFiles(home);
    return a;
}

}  // namespace fd
