#include "SitemapReader.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <zlib.h>

#include <QTimeZone>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace fd {

namespace {

constexpr std::size_t kInflateChunk = 256 * 1024;

const char* const kAtom10 = "http://www.w3.org/2005/Atom";
const char* const kAtom03 = "http://purl.org/atom/ns#";

// The elements the reader looks for, each in the root element's namespace.
enum class Name : unsigned char {
    Other,
    Url,
    Sitemap,
    Loc,
    Lastmod,
    Channel,
    Item,
    Link,
    PubDate,
    Entry,
    Updated,
    Modified,
};

Name nameOf(const char* n) {
    switch (n[0]) {
        case 'u':
            if (!std::strcmp(n, "url")) return Name::Url;
            if (!std::strcmp(n, "updated")) return Name::Updated;
            break;
        case 's':
            if (!std::strcmp(n, "sitemap")) return Name::Sitemap;
            break;
        case 'l':
            if (!std::strcmp(n, "loc")) return Name::Loc;
            if (!std::strcmp(n, "lastmod")) return Name::Lastmod;
            if (!std::strcmp(n, "link")) return Name::Link;
            break;
        case 'c':
            if (!std::strcmp(n, "channel")) return Name::Channel;
            break;
        case 'i':
            if (!std::strcmp(n, "item")) return Name::Item;
            break;
        case 'p':
            if (!std::strcmp(n, "pubDate")) return Name::PubDate;
            break;
        case 'e':
            if (!std::strcmp(n, "entry")) return Name::Entry;
            break;
        case 'm':
            if (!std::strcmp(n, "modified")) return Name::Modified;
            break;
        default:
            break;
    }
    return Name::Other;
}

bool sameNamespace(const xmlChar* a, const std::string& b) {
    if (!a) return b.empty();
    return b == reinterpret_cast<const char*>(a);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmedView(const std::string& s) {
    std::size_t from = 0, to = s.size();
    while (from < to && isBlank(s[from])) ++from;
    while (to > from && isBlank(s[to - 1])) --to;
    return std::string_view(s.data() + from, to - from);
}

void initLibxmlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

}  // namespace

QString sitemapKindText(SitemapKind kind) {
    switch (kind) {
        case SitemapKind::UrlSet:
            return QStringLiteral("sitemap");
        case SitemapKind::Index:
            return QStringLiteral("sitemap index");
        case SitemapKind::Text:
            return QStringLiteral("text sitemap");
        case SitemapKind::Rss:
            return QStringLiteral("RSS feed");
        case SitemapKind::Atom:
            return QStringLiteral("Atom feed");
        case SitemapKind::Unknown:
            break;
    }
    return QStringLiteral("unknown");
}

struct SitemapReader::State {
    enum class Stage { Start, Content, Xml, Text, Failed };

    EntryFn entry;
    qint64 maxBytes = 0;
    Stage stage = Stage::Start;
    SitemapKind kind = SitemapKind::Unknown;
    QString error;
    qint64 bytes = 0;
    qint64 entries = 0;

    // gzip
    bool gzip = false;
    bool gzipEnded = false;
    bool trailing = false;  // bytes after the last member, not read
    std::string carry;      // the start of what may be another member
    std::string head;       // the first raw bytes, until gzip can be told
    z_stream z{};
    bool zOpen = false;
    std::vector<char> zOut;

    // content
    bool bomChecked = false;
    int skippedLines = 0;  // blank lines dropped before the XML begins

    // text sitemaps
    std::string line;

    // XML
    xmlParserCtxtPtr xml = nullptr;
    xmlSAXHandler sax{};
    int depth = 0;
    std::string rootNs;
    std::vector<Name> names;  // the element names down to the current one
    int itemDepth = 0;        // depth of the item element of this kind
    bool inItem = false;
    std::string* capture = nullptr;
    int captureDepth = 0;
    std::string loc, date;
    bool haveLink = false;

    ~State() {
        if (zOpen) inflateEnd(&z);
        if (xml) xmlFreeParserCtxt(xml);
    }

    bool fail(const QString& why) {
        if (stage != Stage::Failed) {
            error = why;
            stage = Stage::Failed;
            if (xml) xmlStopParser(xml);
        }
        return false;
    }

    void emitEntry(std::string_view address, std::string_view lastModified) {
        if (address.empty()) return;
        ++entries;
        entry(address, lastModified);
    }

    // --- raw bytes: gzip or not

    bool raw(const char* data, std::size_t n) {
        if (stage == Stage::Failed) return false;
        if (stage == Stage::Start) {
            head.append(data, n);
            if (head.size() < 2) return true;
            stage = Stage::Content;
            gzip = static_cast<unsigned char>(head[0]) == 0x1f &&
                   static_cast<unsigned char>(head[1]) == 0x8b;
            if (gzip) {
                // 15 + 16: a gzip header and trailer around the stream.
                if (inflateInit2(&z, 15 + 16) != Z_OK)
                    return fail(QStringLiteral("cannot start decompression"));
                zOpen = true;
                zOut.resize(kInflateChunk);
            }
            std::string first;
            first.swap(head);
            return raw(first.data(), first.size());
        }
        if (!gzip) return content(data, n);
        if (!carry.empty()) {
            std::string all;
            all.swap(carry);
            all.append(data, n);
            return inflateBytes(all.data(), all.size());
        }
        return inflateBytes(data, n);
    }

    bool inflateBytes(const char* data, std::size_t n) {
        if (trailing) return true;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        z.avail_in = static_cast<uInt>(n);
        while (z.avail_in > 0 && stage != Stage::Failed) {
            if (gzipEnded) {
                // Several gzip members one after the other make one file;
                // anything else after the end is not read.
                if (z.avail_in < 2) {
                    carry.assign(reinterpret_cast<const char*>(z.next_in), z.avail_in);
                    return true;
                }
                if (z.next_in[0] != 0x1f || z.next_in[1] != 0x8b) {
                    trailing = true;
                    return true;
                }
                inflateReset(&z);
                gzipEnded = false;
            }
            z.next_out = reinterpret_cast<Bytef*>(zOut.data());
            z.avail_out = static_cast<uInt>(zOut.size());
            const int rc = inflate(&z, Z_NO_FLUSH);
            // What was inflated before a fault is read first, so the fault
            // is met at the same place however the bytes arrive.
            const std::size_t out = zOut.size() - z.avail_out;
            if (out > 0 && !content(zOut.data(), out)) return false;
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
                return fail(QStringLiteral("the compressed data is damaged (%1)")
                                .arg(QString::fromLatin1(z.msg ? z.msg : "zlib error")));
            if (rc == Z_STREAM_END) gzipEnded = true;
            if (rc == Z_BUF_ERROR && out == 0) break;
        }
        return stage != Stage::Failed;
    }

    // --- uncompressed bytes

    bool content(const char* data, std::size_t n) {
        if (stage == Stage::Failed) return false;
        bytes += qint64(n);
        if (bytes > maxBytes)
            return fail(QStringLiteral("larger than %1 uncompressed, the limit of one sitemap "
                                       "file: reading stopped")
                            .arg(sizeOf(maxBytes)));
        return route(data, n);
    }

    bool route(const char* data, std::size_t n) {
        if (stage == Stage::Text) return text(data, n);
        if (stage == Stage::Xml) return xmlChunk(data, n, false);
        // A byte-order mark and blank lines before the first character say
        // nothing yet; the first character tells XML from text.
        if (!bomChecked) {
            static const std::string kBom = "\xEF\xBB\xBF";
            head.append(data, n);
            if (head.size() < kBom.size() && kBom.compare(0, head.size(), head) == 0) return true;
            bomChecked = true;
            std::string all;
            all.swap(head);
            const std::size_t from = all.compare(0, kBom.size(), kBom) == 0 ? kBom.size() : 0;
            return route(all.data() + from, all.size() - from);
        }
        std::size_t i = 0;
        while (i < n && isBlank(data[i])) {
            if (data[i] == '\n') ++skippedLines;
            ++i;
        }
        if (i == n) return true;
        data += i;
        n -= i;
        if (data[0] == '<') {
            stage = Stage::Xml;
            return startXml(data, n);
        }
        stage = Stage::Text;
        kind = SitemapKind::Text;
        return text(data, n);
    }

    static QString sizeOf(qint64 b) {
        if (b % (1024 * 1024) == 0) return QStringLiteral("%1 MB").arg(b / (1024 * 1024));
        return QStringLiteral("%1 bytes").arg(b);
    }

    // --- text sitemaps

    bool text(const char* data, std::size_t n) {
        std::size_t start = 0;
        // Lines end at LF, CR LF or a CR alone: no address holds either.
        for (std::size_t i = 0; i < n; ++i) {
            if (data[i] != '\n' && data[i] != '\r') continue;
            line.append(data + start, i - start);
            emitEntry(trimmedView(line), {});
            line.clear();
            start = i + 1;
        }
        line.append(data + start, n - start);
        return true;
    }

    // --- XML

    bool startXml(const char* data, std::size_t n) {
        initLibxmlOnce();
        sax.initialized = XML_SAX2_MAGIC;
        sax.startElementNs = &State::onStart;
        sax.endElementNs = &State::onEnd;
        sax.characters = &State::onText;
        sax.cdataBlock = &State::onText;
        sax.internalSubset = &State::onDoctype;
        sax.externalSubset = &State::onDoctype;
        sax.entityDecl = &State::onEntity;
        sax.serror = &State::onError;
        xml = xmlCreatePushParserCtxt(&sax, this, nullptr, 0, nullptr);
        if (!xml) return fail(QStringLiteral("out of memory"));
        // No network, no entity substitution, no DTD loading: the options
        // libxml2 reads anything from outside the file with are all off.
        xmlCtxtUseOptions(xml, XML_PARSE_NONET | XML_PARSE_NOCDATA);
        return xmlChunk(data, n, false);
    }

    bool xmlChunk(const char* data, std::size_t n, bool end) {
        // libxml2 takes an int length: long pieces go in parts.
        constexpr std::size_t kPart = 1 << 24;
        do {
            const std::size_t part = std::min(n, kPart);
            const int rc = xmlParseChunk(xml, data, int(part), end && part == n);
            if (stage == Stage::Failed) return false;
            if (rc != 0 || !xml->wellFormed) return failFromParser();
            data += part;
            n -= part;
        } while (n > 0);
        return true;
    }

    bool failFromParser() {
        const xmlError* e = xmlCtxtGetLastError(xml);
        if (!e) return fail(QStringLiteral("the XML is malformed"));
        return failAt(e);
    }

    bool failAt(const xmlError* e) {
        QString message = QString::fromUtf8(e->message ? e->message : "malformed XML").trimmed();
        return fail(QStringLiteral("line %1, column %2: %3")
                        .arg(e->line + skippedLines)
                        .arg(e->int2)
                        .arg(message));
    }

    static State* self(void* ctx) { return static_cast<State*>(ctx); }

    static void onDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
        self(ctx)->fail(
            QStringLiteral("it holds a document type declaration (DOCTYPE), which sitemaps never "
                           "need and which may declare entities: refused, nothing in it read"));
    }

    static void onEntity(void* ctx, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
        self(ctx)->fail(QStringLiteral("it declares an entity: refused, nothing in it read"));
    }

    static void onError(void* ctx, xmlError* e) {
        if (!e || e->level < XML_ERR_ERROR) return;
        State* s = self(ctx);
        if (s->stage != Stage::Failed) s->failAt(e);
    }

    static void onStart(void* ctx, const xmlChar* local, const xmlChar*, const xmlChar* uri, int,
                        const xmlChar**, int attributeCount, int, const xmlChar** attributes) {
        State* s = self(ctx);
        if (s->stage == Stage::Failed) return;
        const char* name = reinterpret_cast<const char*>(local);
        ++s->depth;
        if (s->depth == 1) {
            s->rootNs = uri ? reinterpret_cast<const char*>(uri) : "";
            if (!std::strcmp(name, "urlset")) {
                s->kind = SitemapKind::UrlSet;
                s->itemDepth = 2;
            } else if (!std::strcmp(name, "sitemapindex")) {
                s->kind = SitemapKind::Index;
                s->itemDepth = 2;
            } else if (!std::strcmp(name, "rss") && s->rootNs.empty()) {
                s->kind = SitemapKind::Rss;
                s->itemDepth = 3;
            } else if (!std::strcmp(name, "feed") &&
                       (s->rootNs == kAtom10 || s->rootNs == kAtom03)) {
                s->kind = SitemapKind::Atom;
                s->itemDepth = 2;
            } else {
                s->fail(QStringLiteral("not a sitemap or a feed: its root element is <%1>")
                            .arg(QString::fromUtf8(name)));
                return;
            }
            s->names.push_back(Name::Other);
            return;
        }
        const Name n = sameNamespace(uri, s->rootNs) ? nameOf(name) : Name::Other;
        s->names.push_back(n);
        if (s->depth == s->itemDepth) {
            s->inItem = s->isItem(n);
            s->loc.clear();
            s->date.clear();
            s->haveLink = false;
            return;
        }
        if (!s->inItem || s->depth != s->itemDepth + 1 || s->capture) return;
        switch (s->kind) {
            case SitemapKind::UrlSet:
            case SitemapKind::Index:
                if (n == Name::Loc) s->startCapture(&s->loc);
                if (n == Name::Lastmod) s->startCapture(&s->date);
                break;
            case SitemapKind::Rss:
                if (n == Name::Link) s->startCapture(&s->loc);
                if (n == Name::PubDate) s->startCapture(&s->date);
                break;
            case SitemapKind::Atom:
                if (n == Name::Link && !s->haveLink) s->atomLink(attributeCount, attributes);
                if (n == Name::Updated || (n == Name::Modified && s->date.empty()))
                    s->startCapture(&s->date);
                break;
            default:
                break;
        }
    }

    bool isItem(Name n) const {
        switch (kind) {
            case SitemapKind::UrlSet:
                return n == Name::Url;
            case SitemapKind::Index:
                return n == Name::Sitemap;
            case SitemapKind::Rss:
                return n == Name::Item && names.size() >= 2 && names[1] == Name::Channel;
            case SitemapKind::Atom:
                return n == Name::Entry;
            default:
                return false;
        }
    }

    void startCapture(std::string* into) {
        into->clear();
        capture = into;
        captureDepth = depth;
    }

    // An Atom entry's address: its first link without a rel, or with
    // rel="alternate".
    void atomLink(int count, const xmlChar** attributes) {
        std::string rel, href;
        bool hasHref = false;
        for (int i = 0; i < count; ++i) {
            const xmlChar** a = attributes + 5 * i;
            if (a[2]) continue;  // an attribute in a namespace
            const std::string name = reinterpret_cast<const char*>(a[0]);
            const std::string value(reinterpret_cast<const char*>(a[3]),
                                    reinterpret_cast<const char*>(a[4]));
            if (name == "rel") rel = value;
            if (name == "href") {
                href = value;
                hasHref = true;
            }
        }
        if (!hasHref || !(rel.empty() || rel == "alternate")) return;
        loc = href;
        haveLink = true;
    }

    static void onEnd(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
        State* s = self(ctx);
        if (s->stage == Stage::Failed) return;
        if (s->capture && s->depth == s->captureDepth) s->capture = nullptr;
        if (s->depth == s->itemDepth && s->inItem) {
            s->inItem = false;
            s->emitEntry(trimmedView(s->loc), trimmedView(s->date));
        }
        if (!s->names.empty()) s->names.pop_back();
        --s->depth;
    }

    static void onText(void* ctx, const xmlChar* text, int len) {
        State* s = self(ctx);
        if (s->capture) s->capture->append(reinterpret_cast<const char*>(text), std::size_t(len));
    }

    // --- the end

    bool finish() {
        if (stage == Stage::Failed) return false;
        if (stage == Stage::Start && !head.empty()) {
            // One byte alone: no gzip, and not enough to be anything.
            std::string first;
            first.swap(head);
            stage = Stage::Content;
            if (!content(first.data(), first.size())) return false;
        }
        if (stage == Stage::Content && !bomChecked && !head.empty()) {
            // Fewer bytes than a byte-order mark, all of them its start.
            bomChecked = true;
            head.clear();
        }
        if (gzip && !gzipEnded) return fail(QStringLiteral("the compressed data ends early"));
        switch (stage) {
            case Stage::Text:
                if (!line.empty()) emitEntry(trimmedView(line), {});
                line.clear();
                return true;
            case Stage::Xml:
                if (!xmlChunk(nullptr, 0, true)) return false;
                if (kind == SitemapKind::Unknown)
                    return fail(QStringLiteral("no root element: not a sitemap"));
                return true;
            default:
                return fail(QStringLiteral("the file is empty"));
        }
    }
};

SitemapReader::SitemapReader(EntryFn entry, qint64 maxBytes) : s_(std::make_unique<State>()) {
    s_->entry = std::move(entry);
    s_->maxBytes = maxBytes;
}

SitemapReader::~SitemapReader() = default;

bool SitemapReader::feed(const char* data, qsizetype size) {
    if (size <= 0) return s_->stage != State::Stage::Failed;
    return s_->raw(data, std::size_t(size));
}

bool SitemapReader::finish() {
    return s_->finish();
}

SitemapKind SitemapReader::kind() const {
    return s_->kind;
}

bool SitemapReader::compressed() const {
    return s_->gzip;
}

qint64 SitemapReader::bytes() const {
    return s_->bytes;
}

qint64 SitemapReader::entries() const {
    return s_->entries;
}

const QString& SitemapReader::error() const {
    return s_->error;
}

// --- dates -----------------------------------------------------------------

namespace {

// Reads count digits at text[i]; false when they are not all digits.
bool digits(std::string_view text, std::size_t& i, int count, int* value) {
    if (i + std::size_t(count) > text.size()) return false;
    int v = 0;
    for (int k = 0; k < count; ++k) {
        const char c = text[i + std::size_t(k)];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    i += std::size_t(count);
    *value = v;
    return true;
}

bool at(std::string_view text, std::size_t i, char c) {
    return i < text.size() && text[i] == c;
}

// Days from 1970-01-01 to a valid date of the proleptic Gregorian calendar.
qint64 daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool validDate(int y, int m, int d) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1) return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

// The W3C Datetime forms, as seconds since 1970 in UTC.
std::optional<qint64> w3cDatetime(std::string_view t) {
    std::size_t i = 0;
    int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    if (!digits(t, i, 4, &year)) return std::nullopt;
    if (at(t, i, '-')) {
        ++i;
        if (!digits(t, i, 2, &month)) return std::nullopt;
        if (at(t, i, '-')) {
            ++i;
            if (!digits(t, i, 2, &day)) return std::nullopt;
        }
    }
    if (!validDate(year, month, day)) return std::nullopt;
    int offsetSecs = 0;
    if (i < t.size() && (t[i] == 'T' || t[i] == 't' || t[i] == ' ')) {
        ++i;
        if (!digits(t, i, 2, &hour) || !at(t, i, ':')) return std::nullopt;
        ++i;
        if (!digits(t, i, 2, &minute)) return std::nullopt;
        if (at(t, i, ':')) {
            ++i;
            if (!digits(t, i, 2, &second)) return std::nullopt;
            if (at(t, i, '.') || at(t, i, ',')) {
                ++i;
                if (i >= t.size() || t[i] < '0' || t[i] > '9') return std::nullopt;
                while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;  // fractions: not kept
            }
        }
        if (at(t, i, 'Z') || at(t, i, 'z')) {
            ++i;
        } else if (at(t, i, '+') || at(t, i, '-')) {
            const int sign = t[i] == '-' ? -1 : 1;
            ++i;
            int oh = 0, om = 0;
            if (!digits(t, i, 2, &oh)) return std::nullopt;
            if (at(t, i, ':')) ++i;
            if (!digits(t, i, 2, &om) || oh > 23 || om > 59) return std::nullopt;
            offsetSecs = sign * (oh * 3600 + om * 60);
        }
    }
    // A leap second is the last second of its minute.
    if (i != t.size() || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + qMin(second, 59) -
           offsetSecs;
}

}  // namespace

std::optional<qint64> lastModifiedSecs(std::string_view textIn) {
    std::string_view text = textIn;
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    if (text[0] >= '0' && text[0] <= '9') {
        if (const auto secs = w3cDatetime(text)) return secs;
    }
    if (const auto rfc = parseLastModified(QString::fromUtf8(text.data(), qsizetype(text.size()))))
        return rfc->toSecsSinceEpoch();
    return std::nullopt;
}

std::optional<QDateTime> parseLastModified(QStringView textIn) {
    const QStringView text = textIn.trimmed();
    if (text.isEmpty()) return std::nullopt;
    if (text[0].isDigit()) {
        const QByteArray bytes = text.toUtf8();
        if (const auto secs = w3cDatetime(std::string_view(bytes.constData(), bytes.size())))
            return QDateTime::fromSecsSinceEpoch(*secs, Qt::UTC);
    }
    // RSS dates: RFC 822, whose zone may be a name that Qt's reader lacks.
    QString rfcText = text.toString();
    static const struct {
        const char* name;
        const char* offset;
    } kZones[] = {{"GMT", "+0000"}, {"UTC", "+0000"}, {"UT", "+0000"},  {"Z", "+0000"},
                  {"EST", "-0500"}, {"EDT", "-0400"}, {"CST", "-0600"}, {"CDT", "-0500"},
                  {"MST", "-0700"}, {"MDT", "-0600"}, {"PST", "-0800"}, {"PDT", "-0700"}};
    for (const auto& zone : kZones) {
        const QString suffix = u' ' + QLatin1StringView(zone.name);
        if (rfcText.endsWith(suffix, Qt::CaseInsensitive)) {
            rfcText.chop(suffix.size());
            rfcText += u' ' + QLatin1StringView(zone.offset);
            break;
        }
    }
    const QDateTime rfc = QDateTime::fromString(rfcText, Qt::RFC2822Date);
    if (rfc.isValid()) return rfc.toUTC();
    return std::nullopt;
}

}  // namespace fd
