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
// other escapes upper-cased, bytes outside printable ASCII escaped.
QByteArray normalise(const QByteArray& in) {
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (c == '%' && i + 2 < in.size() && hexValue(in[i + 1]) >= 0 && hexValue(in[i + 2]) >= 0) {
            const auto v =
                static_cast<unsigned char>(hexValue(in[i + 1]) * 16 + hexValue(in[i + 2]));
            if (isUnreserved(v)) {
                out += static_cast<char>(v);
            } else {
                out += '%';
                out += kHex[v >> 4];
                out += kHex[v & 15];
            }
            i += 2;
        } else if (c <= 0x20 || c >= 0x7f) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
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

// The file's lines without their comments and surrounding blanks, split at
// LF, CR LF or a CR alone; a leading byte-order mark dropped.
QList<QByteArray> robotsLines(const QByteArray& fileIn) {
    QByteArray file = fileIn.left(RobotsTxt::kMaxFileBytes);
    if (file.startsWith("\xEF\xBB\xBF")) file.remove(0, 3);
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = file.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && file[i] != '\n' && file[i] != '\r') continue;
        QByteArray line = file.mid(start, i - start);
        if (const qsizetype hash = line.indexOf('#'); hash >= 0) line.truncate(hash);
        lines.append(line.trimmed());
        if (i + 1 < n && file[i] == '\r' && file[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return lines;
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
    for (const QByteArray& line : robotsLines(file)) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) continue;
        const QByteArray key = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
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
            if (groups.empty() || value.isEmpty()) continue;
            Rule rule;
            rule.allow = key == "allow";
            rule.length = value.size();
            QByteArray pattern = value;
            if (pattern.endsWith('$')) {
                rule.anchored = true;
                pattern.chop(1);
            }
            rule.pattern = normalise(pattern);
            groups.back().rules.push_back(std::move(rule));
        }
        // Other records (sitemap, crawl-delay, ...) neither start nor end a group.
    }

    RobotsTxt r;
    bool mine = false;
    for (const Group& g : groups) mine = mine || g.forMe;
    for (Group& g : groups) {
        if (mine ? g.forMe : g.forAll)
            r.rules_.insert(r.rules_.end(), g.rules.begin(), g.rules.end());
    }
    return r;
}

RobotsTxt RobotsTxt::fromAnswer(int status, bool unreachable, const QByteArray& body,
                                const QString& agentToken) {
    if (unreachable || status >= 500) return disallowAll();
    if (status >= 200 && status < 300) return parse(body, agentToken);
    return allowAll();
}

bool RobotsTxt::allowed(const QByteArray& pathAndQuery) const {
    // The file itself is always allowed, however its name is escaped.
    const QByteArray path = normalise(pathAndQuery.isEmpty() ? QByteArray("/") : pathAndQuery);
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

QStringList robotsSitemaps(const QByteArray& file, const QString& robotsUrl) {
    const QUrl base(robotsUrl);
    QStringList out;
    QSet<QString> seen;
    for (const QByteArray& line : robotsLines(file)) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || line.left(colon).trimmed().toLower() != "sitemap") continue;
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (value.isEmpty()) continue;
        const QUrl named(QString::fromUtf8(value));
        const QString url = (named.isRelative() ? base.resolved(named) : named).toString();
        if (!url.isEmpty() && !seen.contains(url)) {
            seen.insert(url);
            out << url;
        }
    }
    return out;
}

QByteArray robotsPathOf(const QString& url) {
    const QUrl u(url);
    QByteArray path = u.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty()) path = "/";
    if (u.hasQuery()) path += '?' + u.query(QUrl::FullyEncoded).toLatin1();
    return path;
}

}  // namespace fd::audit
