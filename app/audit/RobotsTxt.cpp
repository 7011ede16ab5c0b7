#include "RobotsTxt.h"

#include <QSet>
#include <QUrl>

namespace fd::audit {

namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Brings a path or a rule into one form, so "%7E", "~" and a raw non-ASCII
// byte compare as they should: escapes of unreserved characters decoded,
// other escapes upper-cased, bytes outside printable ASCII escaped. A "*"
// or "$" of a path is escaped too, so it meets a rule's "%2A" or "%24" and
// never a rule's wildcard; in a rule "*" stays the wildcard ("$" at its end
// has been taken off before).
QByteArray normalise(const QByteArray& in, bool rule) {
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(in.size());
    const auto escape = [&out](unsigned char c) {
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    };
    for (qsizetype i = 0; i < in.size(); ++i) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (c == '%' && i + 2 < in.size() && hexValue(in[i + 1]) >= 0 && hexValue(in[i + 2]) >= 0) {
            const auto v =
                static_cast<unsigned char>(hexValue(in[i + 1]) * 16 + hexValue(in[i + 2]));
            if (isUnreserved(v))
                out += static_cast<char>(v);
            else
                escape(v);
            i += 2;
        } else if (c <= 0x20 || c >= 0x7f || c == '$' || (c == '*' && !rule)) {
            escape(c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Whether pattern ("*" any run) matches the start of text, or all of it
// when anchored. Iterative with one backtrack point per "*", so no pattern
// can make it exponential.
bool matches(const QByteArray& pattern, bool anchored, const QByteArray& text) {
    qsizetype p = 0, t = 0;
    qsizetype starP = -1, starT = 0;
    const qsizetype pn = pattern.size(), tn = text.size();
    while (true) {
        if (p == pn) {
            if (!anchored || t == tn) return true;
        } else if (pattern[p] == '*') {
            starP = p++;
            starT = t;
            continue;
        } else if (t < tn && pattern[p] == text[t]) {
            ++p;
            ++t;
            continue;
        }
        // Mismatch (or an anchored pattern ended early): let the last "*"
        // swallow one more character.
        if (starP < 0 || starT >= tn) return false;
        p = starP + 1;
        t = ++starT;
    }
}

// The product token at the start of a user-agent value: letters, "_" and "-".
QByteArray agentToken(const QByteArray& value) {
    qsizetype n = 0;
    while (n < value.size()) {
        const char c = value[n];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '-')) break;
        ++n;
    }
    return value.left(n).toLower();
}

// Calls record(key, value) for every "key: value" line of the file's first
// 500 KiB: lines end in CR, LF or CR LF, a "#" starts a comment, the key is
// lower-cased and both are trimmed. Lines without a key are skipped.
template <typename Record>
void forEachRecord(const QByteArray& fileIn, Record record) {
    QByteArray file = fileIn.left(RobotsTxt::kMaxFileBytes);
    if (file.startsWith("\xEF\xBB\xBF")) file.remove(0, 3);
    const qsizetype n = file.size();
    for (qsizetype start = 0; start < n;) {
        qsizetype end = start;
        while (end < n && file[end] != '\r' && file[end] != '\n') ++end;
        QByteArray line = file.mid(start, end - start);
        start = end + 1;
        if (end + 1 < n && file[end] == '\r' && file[end + 1] == '\n') ++start;
        if (const qsizetype hash = line.indexOf('#'); hash >= 0) line.truncate(hash);
        const qsizetype colon = line.indexOf(':');
        if (colon < 0) continue;
        const QByteArray key = line.left(colon).trimmed().toLower();
        if (key.isEmpty()) continue;
        record(key, line.mid(colon + 1).trimmed());
    }
}

}  // namespace

RobotsTxt RobotsTxt::allowAll() {
    return {};
}

RobotsTxt RobotsTxt::disallowAll() {
    RobotsTxt r;
    r.disallowAll_ = true;
    return r;
}

RobotsTxt RobotsTxt::parse(const QByteArray& file, const QString& agent) {
    const QByteArray me = agent.toLatin1().toLower();

    struct Group {
        bool forMe = false;
        bool forAll = false;
        std::vector<Rule> rules;
    };
    std::vector<Group> groups;
    bool inAgents = false;  // the last record was a user-agent line
    forEachRecord(file, [&](const QByteArray& key, const QByteArray& value) {
        if (key == "user-agent") {
            if (!inAgents) groups.emplace_back();
            inAgents = true;
            if (value == "*")
                groups.back().forAll = true;
            else if (!me.isEmpty() && agentToken(value) == me)
                groups.back().forMe = true;
        } else if (key == "allow" || key == "disallow") {
            inAgents = false;
            // Rules before the first user-agent line belong to no group;
            // an empty rule matches nothing.
            if (groups.empty() || value.isEmpty()) return;
            Rule rule;
            rule.allow = key == "allow";
            rule.length = value.size();
            QByteArray pattern = value;
            if (pattern.endsWith('$')) {
                rule.anchored = true;
                pattern.chop(1);
            }
            rule.pattern = normalise(pattern, true);
            groups.back().rules.push_back(std::move(rule));
        }
        // Other records (sitemap, crawl-delay, ...) neither start nor end a group.
    });

    RobotsTxt r;
    bool mine = false;
    for (const Group& g : groups) mine = mine || g.forMe;
    for (Group& g : groups) {
        if (mine ? g.forMe : g.forAll)
            r.rules_.insert(r.rules_.end(), g.rules.begin(), g.rules.end());
    }
    return r;
}

QStringList RobotsTxt::sitemaps(const QByteArray& file) {
    QStringList out;
    QSet<QString> seen;
    forEachRecord(file, [&](const QByteArray& key, const QByteArray& value) {
        if (key != "sitemap" || value.isEmpty()) return;
        const QString url = QString::fromUtf8(value);
        if (!seen.contains(url)) {
            seen.insert(url);
            out << url;
        }
    });
    return out;
}

bool RobotsTxt::allowed(const QByteArray& pathAndQuery) const {
    // The file itself is always allowed, however its name is escaped.
    const QByteArray path =
        normalise(pathAndQuery.isEmpty() ? QByteArray("/") : pathAndQuery, false);
    if (path == "/robots.txt") return true;
    if (disallowAll_) return false;
    const Rule* best = nullptr;
    for (const Rule& rule : rules_) {
        if (!matches(rule.pattern, rule.anchored, path)) continue;
        if (!best || rule.length > best->length || (rule.length == best->length && rule.allow))
            best = &rule;
    }
    return !best || best->allow;
}

bool RobotsTxt::allowedUrl(const QString& url) const {
    return allowed(robotsPathOf(url));
}

QByteArray robotsPathOf(const QString& url) {
    const QUrl u(url);
    QByteArray path = u.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty()) path = "/";
    if (u.hasQuery()) path += '?' + u.query(QUrl::FullyEncoded).toLatin1();
    return path;
}

}  // namespace fd::audit
