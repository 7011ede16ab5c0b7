#include "HtmlText.h"

namespace fd {

namespace {

bool isAsciiWhitespace(QChar c) {
    const char16_t u = c.unicode();
    return u == u'\t' || u == u'\n' || u == u'\f' || u == u'\r' || u == u' ';
}

}  // namespace

QString collapseAsciiWhitespace(const QString& text) {
    QString out;
    out.reserve(text.size());
    bool pending = false;  // white space seen since the last other character
    for (QChar c : text) {
        if (isAsciiWhitespace(c)) {
            pending = !out.isEmpty();
            continue;
        }
        if (pending) out += u' ';
        pending = false;
        out += c;
    }
    return out;
}

QString urlFromAttribute(const QString& value) {
    qsizetype from = 0, to = value.size();
    while (from < to && value[from].unicode() <= 0x20) ++from;
    while (to > from && value[to - 1].unicode() <= 0x20) --to;
    QString out;
    out.reserve(to - from);
    for (qsizetype i = from; i < to; ++i) {
        const char16_t u = value[i].unicode();
        if (u != u'\t' && u != u'\n' && u != u'\r') out += value[i];
    }
    return out;
}

}  // namespace fd
