// The keyring over libsecret. glib's headers come first: Qt's keyword macros
// would otherwise rename members of theirs.
#include <libsecret/secret.h>

#include "Keyring.h"

namespace fd {

namespace {

const QString kSource = QStringLiteral("Secret Service");

const SecretSchema* schema() {
    static const SecretSchema s = {"org.farrowdale.Farrowdale.SiteAccount",
                                   SECRET_SCHEMA_NONE,
                                   {{"server", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                    {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                    {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                   0,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr};
    return &s;
}

[[noreturn]] void raise(GError* error, const char* what) {
    const QString text = QString::fromUtf8(error && error->message ? error->message : "unknown");
    if (error) g_error_free(error);
    throw AppError(err::kKeyringUnavailable,
                   QStringLiteral("The keyring could not %1 the password: %2")
                       .arg(QString::fromLatin1(what), text),
                   kSource);
}

class SecretServiceKeyring : public Keyring {
public:
    std::optional<QString> lookup(const KeyringEntry& e) override {
        GError* error = nullptr;
        const QByteArray server = e.server.toUtf8(), user = e.user.toUtf8();
        gchar* secret =
            secret_password_lookup_sync(schema(), nullptr, &error, "server", server.constData(),
                                        "user", user.constData(), nullptr);
        if (error) raise(error, "read");
        if (!secret) return std::nullopt;
        QString password = QString::fromUtf8(secret);
        secret_password_free(secret);  // wipes the copy before freeing it
        return password;
    }

    void store(const KeyringEntry& e, const QString& label, const QString& password) override {
        GError* error = nullptr;
        const QByteArray server = e.server.toUtf8(), user = e.user.toUtf8();
        const QByteArray text = label.toUtf8();
        QByteArray secret = password.toUtf8();
        const gboolean ok = secret_password_store_sync(
            schema(), SECRET_COLLECTION_DEFAULT, text.constData(), secret.constData(), nullptr,
            &error, "server", server.constData(), "user", user.constData(), nullptr);
        secret.fill('\0');
        if (error || !ok) raise(error, "store");
    }

    void remove(const KeyringEntry& e) override {
        GError* error = nullptr;
        const QByteArray server = e.server.toUtf8(), user = e.user.toUtf8();
        secret_password_clear_sync(schema(), nullptr, &error, "server", server.constData(), "user",
                                   user.constData(), nullptr);
        if (error) raise(error, "remove");
    }
};

}  // namespace

std::unique_ptr<Keyring> secretServiceKeyring() {
    return std::make_unique<SecretServiceKeyring>();
}

}  // namespace fd
