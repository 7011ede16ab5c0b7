#include "HtmlNesting.h"

#include <QLocale>
#include <algorithm>
#include <string_view>

namespace fd::audit {

namespace {

bool isAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isTagSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool oneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements that never stay open: void elements, and those whose end tag may
// be left out (the parser closes them by itself), and <a>, which a new <a>
// closes.
bool nests(std::string_view name) {
    return !oneOf(
        name, {"area",  "base",   "basefont", "bgsound", "br",    "col",      "embed",   "frame",
               "hr",    "img",    "input",    "keygen",  "link",  "meta",     "param",   "source",
               "track", "wbr",    "html",     "head",    "body",  "p",        "li",      "dt",
               "dd",    "option", "optgroup", "rb",      "rt",    "rtc",      "rp",      "tr",
               "td",    "th",     "thead",    "tbody",   "tfoot", "colgroup", "caption", "a"});
}

// Elements whose content is text up to their own end tag.
bool rawText(std::string_view name) {
    return oneOf(name,
                 {"script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes"});
}

// The index just past the first occurrence of what (which begins with
// "<" or "-") at or after from, in any case, or size when there is none.
qsizetype skipPast(const QByteArray& s, qsizetype from, const QByteArray& what) {
    for (qsizetype at = s.indexOf(what[0], from); at >= 0; at = s.indexOf(what[0], at + 1)) {
        if (s.size() - at >= what.size() &&
            qstrnicmp(s.constData() + at, what.constData(), what.size()) == 0)
            return at + what.size();
    }
    return s.size();
}

// The end of a tag begun before i: past its ">", quoted attribute values
// skipped. Sets selfClosing when it ends in "/>".
qsizetype tagEnd(const QByteArray& s, qsizetype i, bool* selfClosing) {
    char quote = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            *selfClosing = i > 0 && s[i - 1] == '/';
            return i + 1;
        }
    }
    return s.size();
}

}  // namespace

QString nestingTooDeep(const QByteArray& bodyIn) {
    QByteArray stripped;
    if (bodyIn.contains('\0')) stripped = QByteArray(bodyIn).replace('\0', QByteArray());
    const QByteArray& body = stripped.isNull() ? bodyIn : stripped;
    const char* const s = body.constData();
    const qsizetype n = body.size();
    qint64 depth = 0, work = 0;
    int foreign = 0;  // open <svg> and <math>: inside them "/>" closes a tag
    char lowered[16];
    for (qsizetype i = body.indexOf('<'); i >= 0 && i < n; i = body.indexOf('<', i)) {
        if (qstrncmp(s + i, "<!--", 4) == 0) {
            i = skipPast(body, i + 4, "-->");
            continue;
        }
        const bool end = i + 1 < n && s[i + 1] == '/';
        qsizetype j = i + (end ? 2 : 1);
        if (j >= n || !isAsciiAlpha(s[j])) {
            // "<!DOCTYPE", "<?xml", a lone "<": up to the next ">".
            const qsizetype close = body.indexOf('>', i + 1);
            i = close < 0 ? n : close + 1;
            continue;
        }
        const qsizetype nameStart = j;
        while (j < n && !isTagSpace(s[j]) && s[j] != '/' && s[j] != '>') ++j;
        // Names too long for the buffer are none of the few that matter.
        const qsizetype length = j - nameStart;
        std::string_view name;
        if (length < qsizetype(sizeof lowered)) {
            for (qsizetype k = 0; k < length; ++k) {
                const char c = s[nameStart + k];
                lowered[k] = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
            }
            name = std::string_view(lowered, std::size_t(length));
        }
        bool selfClosing = false;
        i = tagEnd(body, j, &selfClosing);
        const bool counted = nests(name);
        const bool svgOrMath = name == "svg" || name == "math";
        if (end) {
            if (counted && depth > 0) --depth;
            if (svgOrMath && foreign > 0) --foreign;
            continue;
        }
        work += depth;
        if (selfClosing && foreign > 0) continue;
        if (rawText(name)) {
            i = skipPast(body, i, "</" + QByteArray(name.data(), qsizetype(name.size())));
            continue;
        }
        if (name == "plaintext") break;
        if (svgOrMath) ++foreign;
        if (counted) ++depth;
        if (depth > kMaxNestingDepth)
            return QStringLiteral("Elements nested more than %1 deep; the page was not read")
                .arg(QLocale(QLocale::English).toString(kMaxNestingDepth));
        if (work > kMaxNestingWork)
            return QStringLiteral(
                       "Too many elements nested too deep to read in time (%1 levels at byte "
                       "%2); the page was not read")
                .arg(depth)
                .arg(i);
    }
    return {};
}

}  // namespace fd::audit
