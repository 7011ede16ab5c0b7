#include "HtmlEncoding.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>
#include <cstring>
#include <optional>

namespace fd {

namespace {

// The Encoding standard's labels, by the encoding they name.
const char* const kLabels[][2] = {
    {"utf-8", "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8"},
    {"ibm866", "866 cp866 csibm866 ibm866"},
    {"iso-8859-2",
     "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 latin2"},
    {"iso-8859-3",
     "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 latin3"},
    {"iso-8859-4",
     "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 latin4"},
    {"iso-8859-5",
     "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 "
     "iso_8859-5:1988"},
    {"iso-8859-6",
     "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 iso-8859-6-e "
     "iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987"},
    {"iso-8859-7",
     "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 "
     "iso_8859-7 iso_8859-7:1987 sun_eu_greek"},
    {"iso-8859-8",
     "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 iso88598 "
     "iso_8859-8 iso_8859-8:1988 visual"},
    {"iso-8859-8-i", "csiso88598i iso-8859-8-i logical"},
    {"iso-8859-10", "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6"},
    {"iso-8859-13", "iso-8859-13 iso8859-13 iso885913"},
    {"iso-8859-14", "iso-8859-14 iso8859-14 iso885914"},
    {"iso-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9"},
    {"iso-8859-16", "iso-8859-16"},
    {"koi8-r", "cskoi8r koi koi8 koi8-r koi8_r"},
    {"koi8-u", "koi8-ru koi8-u"},
    {"macintosh", "csmacintosh mac macintosh x-mac-roman"},
    {"windows-874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874"},
    {"windows-1250", "cp1250 windows-1250 x-cp1250"},
    {"windows-1251", "cp1251 windows-1251 x-cp1251"},
    {"windows-1252",
     "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 "
     "iso88591 iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252"},
    {"windows-1253", "cp1253 windows-1253 x-cp1253"},
    {"windows-1254",
     "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 l5 "
     "latin5 windows-1254 x-cp1254"},
    {"windows-1255", "cp1255 windows-1255 x-cp1255"},
    {"windows-1256", "cp1256 windows-1256 x-cp1256"},
    {"windows-1257", "cp1257 windows-1257 x-cp1257"},
    {"windows-1258", "cp1258 windows-1258 x-cp1258"},
    {"x-mac-cyrillic", "x-mac-cyrillic x-mac-ukrainian"},
    {"gbk", "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk"},
    {"gb18030", "gb18030"},
    {"big5", "big5 big5-hkscs cn-big5 csbig5 x-x-big5"},
    {"euc-jp", "cseucpkdfmtjapanese euc-jp x-euc-jp"},
    {"iso-2022-jp", "csiso2022jp iso-2022-jp"},
    {"shift_jis", "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis"},
    {"euc-kr",
     "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 "
     "ksc_5601 windows-949"},
    {"replacement", "csiso2022kr hz-gb-2312 iso-2022-cn iso-2022-cn-ext iso-2022-kr replacement"},
    {"utf-16be", "unicodefffe utf-16be"},
    {"utf-16le", "csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le"},
    {"x-user-defined", "x-user-defined"},
};

// The decoder that reads an encoding: its own name, except where the
// system's converters know it by a wider one.
QByteArray decoderName(const QString& encoding) {
    if (encoding == u"euc-kr") return "windows-949";
    if (encoding == u"iso-8859-8-i") return "iso-8859-8";
    return encoding.toLatin1();
}

// Encodings the decoders of this file handle themselves.
bool decodedHere(const QString& encoding) {
    return encoding == u"utf-8" || encoding == u"replacement" || encoding == u"x-user-defined";
}

// Every label, by its lower-case form, with the encoding it names; labels
// of encodings no decoder here reads are left out.
const QHash<QByteArray, QString>& labels() {
    static const QHash<QByteArray, QString> table = [] {
        QHash<QByteArray, QString> t;
        for (const auto& [encoding, names] : kLabels) {
            const QString e = QString::fromLatin1(encoding);
            if (!decodedHere(e) && !QStringDecoder(decoderName(e).constData()).isValid()) continue;
            for (const QByteArray& label : QByteArray(names).split(' ')) t.insert(label, e);
        }
        return t;
    }();
    return table;
}

bool isSpace(char c) {
    return c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D || c == 0x20;
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

QByteArray trimmedLower(QByteArrayView s) {
    qsizetype from = 0, to = s.size();
    while (from < to && isSpace(s[from])) ++from;
    while (to > from && isSpace(s[to - 1])) --to;
    QByteArray out(s.sliced(from, to - from).toByteArray());
    for (char& c : out) c = lower(c);
    return out;
}

QString encodingForBytes(QByteArrayView label) {
    return labels().value(trimmedLower(label));
}

// The charset a meta element's content attribute names, by the HTML
// standard's algorithm for extracting a character encoding from it.
QString charsetFromMetaContent(const QByteArray& s) {
    const qsizetype n = s.size();
    qsizetype pos = 0;
    for (;;) {
        const qsizetype found = QByteArrayView(s).sliced(pos).indexOf("charset");
        if (found < 0) return {};
        pos += found + 7;
        while (pos < n && isSpace(s[pos])) ++pos;
        if (pos >= n || s[pos] != '=') continue;
        ++pos;
        while (pos < n && isSpace(s[pos])) ++pos;
        if (pos >= n) return {};
        const char c = s[pos];
        if (c == '"' || c == '\'') {
            const qsizetype end = s.indexOf(c, pos + 1);
            return end < 0 ? QString() : encodingForBytes(s.mid(pos + 1, end - pos - 1));
        }
        qsizetype end = pos;
        while (end < n && !isSpace(s[end]) && s[end] != ';') ++end;
        return encodingForBytes(s.mid(pos, end - pos));
    }
}

// The prescan of the HTML standard ("prescan a byte stream to determine its
// encoding") over a document's bytes.
class Prescan {
public:
    explicit Prescan(const QByteArray& bytes) : p_(bytes.constData()), n_(bytes.size()) {}

    QString run() {
        for (;; ++pos_) {
            // The standard looks at the first 1024 bytes; the browser
            // engine goes on past them until the head has ended.
            if (pos_ >= n_ || (pos_ >= kUnconditionalBytes && !inHead_)) return {};
            if (at("<!--")) {
                const qsizetype end = find("-->", pos_ + 2);
                if (end < 0) return {};
                pos_ = end + 2;
            } else if (atLower("<meta") && pos_ + 5 < n_ &&
                       (isSpace(p_[pos_ + 5]) || p_[pos_ + 5] == '/')) {
                pos_ += 6;
                const QString charset = meta();
                if (!charset.isEmpty()) return charset;
            } else if (p_[pos_] == '<' &&
                       ((pos_ + 1 < n_ && isLetter(p_[pos_ + 1])) ||
                        (pos_ + 2 < n_ && p_[pos_ + 1] == '/' && isLetter(p_[pos_ + 2])))) {
                tag();
            } else if (at("<!") || at("</") || at("<?")) {
                const qsizetype end = find(">", pos_ + 1);
                if (end < 0) return {};
                pos_ = end;
            }
        }
    }

private:
    static constexpr qsizetype kUnconditionalBytes = 1024;

    struct Attribute {
        QByteArray name, value;
    };

    bool at(const char* s) const {
        const qsizetype len = qsizetype(std::strlen(s));
        return pos_ + len <= n_ && std::memcmp(p_ + pos_, s, size_t(len)) == 0;
    }
    bool atLower(const char* s) const {
        const qsizetype len = qsizetype(std::strlen(s));
        if (pos_ + len > n_) return false;
        for (qsizetype i = 0; i < len; ++i)
            if (lower(p_[pos_ + i]) != s[i]) return false;
        return true;
    }
    qsizetype find(const char* s, qsizetype from) const {
        return QByteArrayView(p_, n_).indexOf(s, from);
    }

    // A start or end tag other than a meta: its attributes are read past.
    void tag() {
        const bool end = p_[pos_ + 1] == '/';
        const qsizetype nameFrom = pos_ + (end ? 2 : 1);
        pos_ = nameFrom;
        while (pos_ < n_ && !isSpace(p_[pos_]) && p_[pos_] != '>') ++pos_;
        QByteArray name = trimmedLower(QByteArrayView(p_ + nameFrom, pos_ - nameFrom));
        if (const qsizetype slash = name.indexOf('/'); slash >= 0) name.truncate(slash);
        noteTag(name, end);
        Attribute a;
        while (attribute(a)) {
        }
    }

    // The head lasts while only what a head holds is met; the first other
    // element, or any end tag but theirs, ends it.
    void noteTag(const QByteArray& name, bool end) {
        static const QSet<QByteArray> kHead = {"script", "noscript", "style", "link",
                                               "meta",   "object",   "title", "base"};
        if (!kHead.contains(name) && (end || (name != "html" && name != "head"))) inHead_ = false;
    }

    QString meta() {
        QSet<QByteArray> seen;
        bool gotPragma = false;
        std::optional<bool> needPragma;
        std::optional<QString> charset;
        Attribute a;
        while (attribute(a)) {
            if (seen.contains(a.name)) continue;
            seen.insert(a.name);
            if (a.name == "http-equiv") {
                if (a.value == "content-type") gotPragma = true;
            } else if (a.name == "content") {
                const QString found = charsetFromMetaContent(a.value);
                if (!found.isEmpty() && !charset) {
                    charset = found;
                    needPragma = true;
                }
            } else if (a.name == "charset") {
                charset = encodingForBytes(a.value);
                needPragma = false;
            }
        }
        if (truncated_ || !needPragma || (*needPragma && !gotPragma) || !charset ||
            charset->isEmpty())
            return {};
        if (*charset == u"utf-16le" || *charset == u"utf-16be") return QStringLiteral("utf-8");
        if (*charset == u"x-user-defined") return QStringLiteral("windows-1252");
        return *charset;
    }

    // The standard's "get an attribute": false when there is none (at the
    // tag's ">", or at the end of the bytes).
    bool attribute(Attribute& a) {
        a.name.clear();
        a.value.clear();
        while (pos_ < n_ && (isSpace(p_[pos_]) || p_[pos_] == '/')) ++pos_;
        if (pos_ >= n_) return ended();
        if (p_[pos_] == '>') return false;
        for (;; ++pos_) {
            if (pos_ >= n_) return ended();
            const char c = p_[pos_];
            if (c == '=' && !a.name.isEmpty()) break;
            if (isSpace(c)) {
                while (pos_ < n_ && isSpace(p_[pos_])) ++pos_;
                if (pos_ >= n_) return ended();
                if (p_[pos_] != '=') return true;
                break;
            }
            if (c == '/' || c == '>') return true;
            a.name += lower(c);
        }
        ++pos_;  // past the "="
        while (pos_ < n_ && isSpace(p_[pos_])) ++pos_;
        if (pos_ >= n_) return ended();
        const char first = p_[pos_];
        if (first == '"' || first == '\'') {
            for (++pos_;; ++pos_) {
                if (pos_ >= n_) return ended();
                if (p_[pos_] == first) {
                    ++pos_;
                    return true;
                }
                a.value += lower(p_[pos_]);
            }
        }
        if (first == '>') return true;
        for (;; ++pos_) {
            if (pos_ >= n_) return ended();
            const char c = p_[pos_];
            if (isSpace(c) || c == '>') return true;
            a.value += lower(c);
        }
    }
    bool ended() {
        truncated_ = true;
        return false;
    }

    const char* p_;
    qsizetype n_;
    qsizetype pos_ = 0;
    bool inHead_ = true;
    bool truncated_ = false;  // the bytes ended inside a tag
};

// Whether bytes are well-formed UTF-8.
bool validUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int n;
        unsigned cp;
        if ((*p & 0xE0) == 0xC0) {
            n = 1;
            cp = *p & 0x1F;
        } else if ((*p & 0xF0) == 0xE0) {
            n = 2;
            cp = *p & 0x0F;
        } else if ((*p & 0xF8) == 0xF0) {
            n = 3;
            cp = *p & 0x07;
        } else {
            return false;
        }
        if (end - p <= n) return false;
        for (int i = 1; i <= n; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += n + 1;
    }
    return true;
}

}  // namespace

QString encodingForLabel(const QString& label) {
    return encodingForBytes(label.toLatin1());
}

QString contentTypeCharset(const QString& contentType) {
    const QStringList params = contentType.split(u';');
    for (qsizetype i = 1; i < params.size(); ++i) {
        const QString p = params[i].trimmed();
        const qsizetype eq = p.indexOf(u'=');
        if (eq < 0 || p.left(eq).trimmed().compare(u"charset", Qt::CaseInsensitive) != 0) continue;
        QString v = p.mid(eq + 1).trimmed();
        if (v.size() >= 2 && (v.startsWith(u'"') || v.startsWith(u'\'')) && v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        return v.trimmed();
    }
    return {};
}

QString prescanCharset(const QByteArray& bytes) {
    return Prescan(bytes).run();
}

HtmlCharset htmlCharset(const QByteArray& body, const QString& contentType) {
    if (body.startsWith("\xEF\xBB\xBF")) return {QStringLiteral("utf-8"), 3};
    if (body.startsWith("\xFE\xFF")) return {QStringLiteral("utf-16be"), 2};
    if (body.startsWith("\xFF\xFE")) return {QStringLiteral("utf-16le"), 2};
    if (QString e = encodingForLabel(contentTypeCharset(contentType)); !e.isEmpty()) return {e, 0};
    if (QString e = prescanCharset(body); !e.isEmpty()) return {e, 0};
    return {validUtf8(body) ? QStringLiteral("utf-8") : QStringLiteral("windows-1252"), 0};
}

QByteArray htmlAsUtf8(const QByteArray& body, const HtmlCharset& charset) {
    const QByteArrayView bytes = QByteArrayView(body).sliced(qMin(charset.bomLength, body.size()));
    if (charset.encoding == u"utf-8" || charset.encoding.isEmpty())
        return charset.bomLength > 0 ? bytes.toByteArray() : body;
    if (charset.encoding == u"replacement")
        return bytes.isEmpty() ? QByteArray() : QByteArray("\xEF\xBF\xBD");
    if (charset.encoding == u"x-user-defined") {
        QString text;
        text.reserve(bytes.size());
        for (const char c : bytes)
            text += QChar(static_cast<unsigned char>(c) < 0x80 ? char16_t(c)
                                                               : char16_t(0xF700 + uchar(c)));
        return text.toUtf8();
    }
    // The mark is gone already: a second one is the text's own.
    QStringDecoder decoder(decoderName(charset.encoding).constData(),
                           QStringConverter::Flag::ConvertInitialBom);
    return QString(decoder.decode(bytes)).toUtf8();
}

QByteArray encodeHtmlForCharset(const QString& html, const QString& charset) {
    const QByteArray name = charset.trimmed().toLatin1();
    if (name.isEmpty()) return html.toUtf8();
    QStringEncoder encoder(name.constData());
    if (!encoder.isValid()) return html.toUtf8();
    QByteArray bytes = encoder.encode(html);
    // Most pages hold only what their charset can write: then the bytes
    // read back to the same text.
    QStringDecoder decoder(name.constData());
    if (!encoder.hasError() && decoder.isValid() && QString(decoder.decode(bytes)) == html)
        return bytes;
    bytes.clear();
    for (qsizetype i = 0; i < html.size();) {
        const qsizetype len = html[i].isHighSurrogate() && i + 1 < html.size() ? 2 : 1;
        const QStringView ch = QStringView(html).mid(i, len);
        QStringEncoder one(name.constData());
        QStringDecoder back(name.constData());
        const QByteArray b = one.encode(ch);
        if (!one.hasError() && QString(back.decode(b)) == ch)
            bytes += b;
        else
            bytes += "&#" +
                     QByteArray::number(len == 2 ? QChar::surrogateToUcs4(html[i], html[i + 1])
                                                 : char32_t(html[i].unicode())) +
                     ';';
        i += len;
    }
    return bytes;
}

}  // namespace fd
