#pragma once
// The IndexNow key of a root URL: its form, a new one from the system's
// cryptographic random source, the key file that proves the site owns it, and
// where the key is kept (table IndexNowKeys, one row per root URL).

#include <QString>
#include <optional>

#include "core/CADODBAccess.h"

namespace fd {

constexpr int kIndexNowKeyMinLength = 8;
constexpr int kIndexNowKeyMaxLength = 128;
constexpr int kNewIndexNowKeyLength = 32;

// "" when key is a well-formed key (8 to 128 characters, only a-z, A-Z, 0-9
// and "-"); otherwise what is wrong with it, in plain words.
QString indexNowKeyProblem(const QString& key);

// A new key of kNewIndexNowKeyLength letters and digits, drawn without bias
// from the system's cryptographic random source.
QString newIndexNowKey();

// "<key>.txt": the file the site hosts at its root.
QString indexNowKeyFileName(const QString& key);

// The parts of a web address the protocol cares about. A valid result has a
// scheme of http or https and a host; host is lower case, in its ASCII form.
struct WebAddress {
    QString scheme;     // lower case
    QString authority;  // as written, with any port
    QString host;
    QString rest;  // path, query and fragment, as written
    bool valid() const { return !host.isEmpty(); }
};
WebAddress parseWebAddress(const QString& url);
// Finds "<scheme>://<authority>" at the start of url: the scheme's length
// and where the authority ends (at the first "/", "?" or "#" after it).
// False when url does not begin with a scheme and "://".
bool splitUriPrefix(QStringView url, qsizetype* schemeLength, qsizetype* authorityEnd);

// Where the key file is read: keyLocation when one is given, else
// "<scheme>://<host>/<key>.txt" on the root URL's host. "" when the root URL
// is not a web address.
QString indexNowKeyFileUrl(const QString& rootUrl, const QString& key,
                           const QString& keyLocation = QString());

// "" when keyLocation is empty or names a file (not a folder) on the root
// URL's host by http or https; otherwise what is wrong with it.
QString keyLocationProblem(const QString& rootUrl, const QString& keyLocation);

// True when the key file at keyLocation covers pageUrl: an empty location
// (the host's root) covers every page of the host; otherwise the page must
// lie in the location's folder or below it.
bool keyLocationCovers(const QString& keyLocation, const QString& pageUrl);

// What is kept for a root URL.
struct StoredIndexNowKey {
    QString key;
    QString keyLocation;  // "" for the host's root
};

// The key stored for rootUrl (exact text), nothing when there is none.
// Throws AppError when the table cannot be read.
std::optional<StoredIndexNowKey> loadIndexNowKey(const CADODBAccess& db, const QString& rootUrl);
// Stores (or replaces) the key of rootUrl; an empty key removes it. Throws
// AppError when the statement fails.
void saveIndexNowKey(const CADODBAccess& db, const QString& rootUrl,
                     const StoredIndexNowKey& stored);

}  // namespace fd
