#pragma once
// Where a root URL is published (table PublishTargets, one row per root
// URL): the folder on the server that holds the site, as an sftp://, ftps://
// or ftp:// address, and the user name. The password lives in the desktop's
// keyring, filed under the server and the user name.

#include <QString>
#include <QStringList>
#include <optional>

#include "platform/Keyring.h"
#include "platform/SiteUpload.h"

namespace fd {

class CADODBAccess;

struct PublishTarget {
    QString address;
    QString user;
};

// "" when the target can be stored; otherwise what is wrong with it.
QString publishTargetProblem(const PublishTarget& target);
// The warning shown when a target is stored: the clear-text one for ftp://,
// else "".
QString publishTargetWarning(const PublishTarget& target);

// The target stored for rootUrl (exact text); nothing when there is none.
// Throws AppError when the table cannot be read.
std::optional<PublishTarget> loadPublishTarget(const CADODBAccess& db, const QString& rootUrl);
// Stores (or replaces) the target of rootUrl; an empty address removes it.
// Throws AppError.
void savePublishTarget(const CADODBAccess& db, const QString& rootUrl, const PublishTarget& target);

// Where the target's password is filed in the keyring (the address must be
// valid).
KeyringEntry keyringEntry(const PublishTarget& target);
// The label the keyring shows for it.
QString keyringLabel(const PublishTarget& target);

// The user's SSH files: ~/.ssh/known_hosts and the private keys tried after
// the agent (id_ed25519, id_ecdsa, id_rsa), in the home folder given.
QString knownHostsFile(const QString& home);
QStringList sshKeyFiles(const QString& home);

// The account of a target for an upload, with the user's SSH files under
// home; the password is left for the caller to fill in.
SiteAccount siteAccount(const PublishTarget& target, const QString& home);

}  // namespace fd
