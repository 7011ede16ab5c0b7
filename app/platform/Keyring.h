#pragma once
// The desktop's keyring, where the program keeps passwords: never in a file,
// the database, a log or a command line. The real one is the Secret Service
// (GNOME Keyring, KWallet) through libsecret.

#include <QString>
#include <memory>
#include <optional>

#include "core/AppError.h"

namespace fd {

namespace err {
constexpr long kKeyringUnavailable = 35790;  // no Secret Service, or it refused
}  // namespace err

// What a password is filed under: the server ("sftp://host:port") and the
// user name on it.
struct KeyringEntry {
    QString server;
    QString user;
};

class Keyring {
public:
    virtual ~Keyring() = default;
    // The password filed under entry; nothing when none is. Throws AppError
    // kKeyringUnavailable when the keyring cannot be reached or stays locked.
    virtual std::optional<QString> lookup(const KeyringEntry& entry) = 0;
    // Files password under entry (replacing one filed before), with label as
    // the keyring shows it. Throws AppError kKeyringUnavailable.
    virtual void store(const KeyringEntry& entry, const QString& label,
                       const QString& password) = 0;
    // Removes what is filed under entry (nothing there is no failure).
    virtual void remove(const KeyringEntry& entry) = 0;
};

// The Secret Service of the user's session bus. Its calls block while the
// keyring asks the user to unlock it: call them off the window's thread.
std::unique_ptr<Keyring> secretServiceKeyring();

}  // namespace fd
