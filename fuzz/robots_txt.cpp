// The robots.txt matcher of the site audit, fed a file and the paths asked
// about (after a NUL, one a line). Oracles: the file itself is always
// allowed; a path decides the same whether its unreserved characters are
// written plainly or escaped, as a server reads them the same; a file with
// no rules for anybody allows everything; a file decides the same whether its
// lines end in CR, LF or CR LF, and lists the same sitemaps.
#include <QByteArray>
#include <QList>

#include "FuzzTarget.h"
#include "audit/RobotsTxt.h"

namespace fd::fuzz {

namespace {

bool isUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Every unreserved character of path written as its escape; an escape
// already there stays as it is ("%7E" is "~", while "%%37%45" would be a
// percent sign followed by "7E").
QByteArray escapeUnreserved(const QByteArray& path) {
    QByteArray out;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '%' && i + 2 < path.size() && isHex(path[i + 1]) && isHex(path[i + 2])) {
            out += path.mid(i, 3);
            i += 2;
        } else if (isUnreserved(c)) {
            out += '%' + QByteArray(1, c).toHex().toUpper();
        } else {
            out += c;
        }
    }
    return out;
}

// The file with every line ending (CR LF, CR, LF) made LF.
QByteArray withLfEndings(const QByteArray& file) {
    QByteArray out = file;
    out.replace("\r\n", "\n");
    out.replace('\r', '\n');
    return out;
}

}  // namespace

void robotsTxt(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype cut = input.indexOf('\0');
    const QByteArray file = cut < 0 ? input : input.left(cut);
    const QList<QByteArray> paths = cut < 0 ? QList<QByteArray>{} : input.mid(cut + 1).split('\n');

    const audit::RobotsTxt robots = audit::RobotsTxt::parse(file, QStringLiteral("Farrowdale"));
    check(robots.allowed("/robots.txt"), "robots.txt itself is disallowed");
    const bool anyRule = file.toLower().contains("allow");
    // Only the first 500 KiB are read: the endings are changed within them.
    const QByteArray head = file.left(audit::RobotsTxt::kMaxFileBytes);
    const audit::RobotsTxt lf =
        audit::RobotsTxt::parse(withLfEndings(head), QStringLiteral("Farrowdale"));
    check(audit::RobotsTxt::sitemaps(head) == audit::RobotsTxt::sitemaps(withLfEndings(head)),
          "the sitemaps change with the line endings");
    for (const QByteArray& path : paths) {
        const bool allowed = robots.allowed(path);
        if (allowed != robots.allowed(escapeUnreserved(path)))
            fail("a path decides otherwise once its unreserved characters are escaped: " +
                 path.toStdString());
        if (!anyRule) check(allowed, "a file without rules disallows a path");
        check(allowed == lf.allowed(path), "a path decides otherwise with LF line endings");
        check(!audit::RobotsTxt::disallowAll().allowed(path) || path == "/robots.txt",
              "the disallow-all rules allow a path");
    }
}

}  // namespace fd::fuzz
