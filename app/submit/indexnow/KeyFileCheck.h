#pragma once
// "Check Key File": fetches the key file from the root URL's host (or the
// key location) and says exactly what is wrong with it, if anything.

#include <QString>

#include "platform/HttpClient.h"

namespace fd {

// A key file holds the key alone (at most 128 characters); anything larger
// is not read past this size.
constexpr qint64 kKeyFileMaxBytes = 4096;

enum class KeyFileVerdict {
    Good,             // the file holds the key
    BadSetup,         // the key or an address is not usable: nothing fetched
    NotFound,         // 404 or 410
    NotPlainText,     // served as another type, or not UTF-8 text
    ContentDiffers,   // a text other than the key
    TooLarge,         // larger than a key file can be
    HostUnreachable,  // no connection, or no answer in time
    HttpError,        // any other status
};

struct KeyFileCheck {
    KeyFileVerdict verdict = KeyFileVerdict::BadSetup;
    QString url;      // what was fetched ("" for BadSetup)
    QString message;  // what the user is told
};

// What the answer r to a request for url says about the key file of key.
KeyFileCheck judgeKeyFile(const QString& url, const QString& key, const HttpResponse& r);

// Checks the key and the key location, then fetches and judges the file.
// Blocks for up to the request's time limits: call it off the window's
// thread.
KeyFileCheck checkKeyFile(HttpClient& http, const QString& rootUrl, const QString& key,
                          const QString& keyLocation, const std::atomic<bool>* cancel = nullptr);

}  // namespace fd
