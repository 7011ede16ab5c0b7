#pragma once
// robots.txt as RFC 9309 defines it: groups of user-agent lines with their
// allow and disallow rules; the group whose agent names our product token
// (case-insensitively; every such group merged) applies, else the "*"
// groups. The longest matching rule decides, an allow winning a tie; "*" in a
// rule matches any run of characters and a final "$" anchors it at the end.
// The file itself is always allowed. Lines end in CR, LF or CR LF.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace fd::audit {

class RobotsTxt {
public:
    // Nothing disallowed (no file, or the server answered 4xx).
    static RobotsTxt allowAll();
    // Everything disallowed (the server answered 5xx or could not be reached).
    static RobotsTxt disallowAll();
    // The rules of file for the agent token; only its first 500 KiB are read.
    static RobotsTxt parse(const QByteArray& file, const QString& agentToken);
    // The values of the file's "Sitemap:" lines (the key in any case), in
    // the order written, each once; read from the same first 500 KiB.
    static QStringList sitemaps(const QByteArray& file);

    // Whether the path-and-query of an address ("/a/b?x=1"; "" counts as "/")
    // may be fetched. The address is taken as it would be sent: percent
    // escapes of unreserved characters are decoded, other escapes kept.
    bool allowed(const QByteArray& pathAndQuery) const;
    // The same for a whole absolute address.
    bool allowedUrl(const QString& url) const;

    static constexpr qsizetype kMaxFileBytes = 500 * 1024;

private:
    struct Rule {
        QByteArray pattern;  // normalised, without a final "$"
        bool anchored = false;
        bool allow = false;
        qsizetype length = 0;  // the rule's length as written, for the longest match
    };
    std::vector<Rule> rules_;
    bool disallowAll_ = false;
};

// The path and query of an absolute address as robots rules are matched
// against it ("/" when the path is empty).
QByteArray robotsPathOf(const QString& url);

}  // namespace fd::audit
