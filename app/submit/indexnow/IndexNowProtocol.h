#pragma once
// The IndexNow protocol as plain functions: page addresses escaped for it,
// the GET of one page and the JSON body of many, the endpoint taken from an
// engine's submit template, what each answer means, and the plan of a run
// (which pages go, which are held back and why). No network here.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "platform/HttpClient.h"
#include "submit/SubmissionPages.h"

namespace fd {

// An engine whose HTTPSubmitMethod is "indexnow" (any case, blanks around
// it ignored) is sent by the IndexNow client, not the browser.
bool isIndexNowMethod(const QString& method);

// The most URLs one POST may carry.
constexpr int kIndexNowMaxUrlsPerPost = 10000;

// A page address as a URI: characters a URI may not hold (blanks, quotes,
// "#", "<", ">", "\", "^", "`", "{", "|", "}", controls and every non-ASCII
// character) become %XX of their UTF-8 bytes; "%XX" already there stays, a
// lone "%" becomes "%25"; a host in letters of any script takes its ASCII
// form. "#" is escaped because page names come from file names, where it is
// part of the name. Leading and trailing blanks are dropped.
QString indexNowPageUrl(const QString& url);

// text as an RFC 8259 JSON string, quotes included: '"', '\' and control
// characters escaped, everything else as UTF-8.
QByteArray jsonString(const QString& text);

// The endpoint of an IndexNow engine: its submit template up to any "?",
// trimmed. "" when that is not an http or https address.
QString indexNowEndpoint(const QString& submitTemplate);

// GET <endpoint>?url=<escaped>&key=<key>[&keyLocation=<escaped>]; every
// value escaped as an RFC 3986 query component.
QString indexNowGetUrl(const QString& endpoint, const QString& pageUrl, const QString& key,
                       const QString& keyLocation = QString());

// {"host":...,"key":...,"keyLocation":...,"urlList":[...]}, keyLocation
// left out when empty.
QByteArray indexNowJsonBody(const QString& host, const QString& key, const QString& keyLocation,
                            const QStringList& urls);
inline constexpr const char* kIndexNowJsonType = "application/json; charset=utf-8";

// When to try again, from a Retry-After value (seconds, or an HTTP date)
// received at now, never before now; nothing when the value is absent or
// unreadable.
std::optional<QDateTime> parseRetryAfter(const QString& value, const QDateTime& now);

// What an engine answered, as the program records and shows it.
struct IndexNowAnswer {
    int status = 0;                    // HTTP status; 0 when no answer arrived
    bool accepted = false;             // 200 or 202 with the whole answer read
    QString text;                      // in plain words
    long error = 0;                    // the network failure when status is 0
    std::optional<QDateTime> retryAt;  // from a 429's Retry-After
};
IndexNowAnswer interpretIndexNowAnswer(const HttpResponse& r,
                                       const QDateTime& now = QDateTime::currentDateTime());

// "try again after 14:05" (a date in front when not today), or "try again
// later" when the engine did not say.
QString retryAdvice(const std::optional<QDateTime>& retryAt,
                    const QDateTime& now = QDateTime::currentDateTime());

// Which pages of a request go out, and why the others do not.
struct IndexNowPlan {
    QString problem;  // when not empty, nothing can be sent (shown as is)
    QString endpoint;
    QString host;  // the root URL's host: the "host" of every POST
    QString key;
    QString keyLocation;  // escaped, "" for the host's root
    std::vector<PlannedPage> pages;
    qsizetype notWeb = 0;            // not an http or https address
    qsizetype otherHost = 0;         // on a host other than the root URL's
    qsizetype outsideKeyFolder = 0;  // not under the key file's folder
    qsizetype duplicates = 0;        // the same address again
    qsizetype skipped() const { return notWeb + otherHost + outsideKeyFolder + duplicates; }
};

// Checks the key, its location, the engine's endpoint and the root URL, then
// sorts the pages: every page goes out at most once, as an escaped address,
// if it is a web address on the root URL's host under the key file's folder.
IndexNowPlan planIndexNow(const QString& engineName, const QString& submitTemplate,
                          const QString& rootUrl, const QString& key, const QString& keyLocation,
                          const std::vector<PageToSubmit>& pages);

// Why a single page was held back, in plain words ("" when it goes out).
QString skippedPageMessage(const IndexNowPlan& plan, const QString& url);

}  // namespace fd
