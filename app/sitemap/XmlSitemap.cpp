#include "XmlSitemap.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <QDir>
#include <QFileInfo>
#include <QHashFunctions>
#include <QLocale>
#include <QTemporaryFile>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "SiteMap.h"
#include "core/AppError.h"
#include "core/CADODBAccess.h"
#include "core/Globals.h"
#include "core/JetSql.h"

namespace fd {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool isHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// Characters a URL path or query carries as they are: the unreserved ones,
// the sub-delimiters, ":", "@", "/" and "?". Everything else is escaped.
struct UrlCharTable {
    bool plain[128] = {};
    bool unreserved[128] = {};
    constexpr UrlCharTable() {
        for (int c = 'a'; c <= 'z'; ++c) plain[c] = unreserved[c] = true;
        for (int c = 'A'; c <= 'Z'; ++c) plain[c] = unreserved[c] = true;
        for (int c = '0'; c <= '9'; ++c) plain[c] = unreserved[c] = true;
        for (char c : {'-', '.', '_', '~'}) plain[int(c)] = unreserved[int(c)] = true;
        for (char c : {'!', '$', '&', '\'', '(', ')', '*', '+', ',', ';', '=', ':', '@', '/', '?'})
            plain[int(c)] = true;
    }
};
constexpr UrlCharTable kUrlChars;

char* putPercent(char* p, unsigned char byte) {
    p[0] = '%';
    p[1] = kHex[byte >> 4];
    p[2] = kHex[byte & 0xF];
    return p + 3;
}

void appendPercent(std::string& out, unsigned char byte) {
    char text[3];
    putPercent(text, byte);
    out.append(text, 3);
}

// Appends text escaped for a URL. A "%" that starts a valid escape is kept;
// any other character outside the plain set is percent-encoded as UTF-8 (an
// unpaired surrogate as U+FFFD). With segment set, "/" and "?" are escaped
// too, for a single file name. Written through a pointer into room made
// beforehand: at most 9 bytes for each UTF-16 unit.
void appendEscaped(std::string& out, QStringView text, bool segment = false) {
    const qsizetype n = text.size();
    const char16_t* s = text.utf16();
    const std::size_t start = out.size();
    out.resize(start + std::size_t(n) * 9);
    char* const first = out.data() + start;
    char* p = first;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            if (kUrlChars.plain[c] && !(segment && (c == u'/' || c == u'?'))) {
                *p++ = char(c);
            } else if (c == u'%' && i + 2 < n && isHexDigit(s[i + 1]) && isHexDigit(s[i + 2])) {
                p[0] = '%';
                p[1] = char(s[i + 1]);
                p[2] = char(s[i + 2]);
                p += 3;
                i += 2;
            } else {
                p = putPercent(p, static_cast<unsigned char>(c));
            }
            continue;
        }
        char32_t cp = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            cp = QChar::surrogateToUcs4(c, s[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(c)) {
            cp = 0xFFFD;
        }
        if (cp < 0x800) {
            p = putPercent(p, static_cast<unsigned char>(0xC0 | (cp >> 6)));
        } else if (cp < 0x10000) {
            p = putPercent(p, static_cast<unsigned char>(0xE0 | (cp >> 12)));
            p = putPercent(p, static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F)));
        } else {
            p = putPercent(p, static_cast<unsigned char>(0xF0 | (cp >> 18)));
            p = putPercent(p, static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F)));
            p = putPercent(p, static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F)));
        }
        p = putPercent(p, static_cast<unsigned char>(0x80 | (cp & 0x3F)));
    }
    out.resize(start + std::size_t(p - first));
}

// The address as compared for duplicates: escapes in upper case, and escapes
// of unreserved characters decoded, so "a%7eb", "a%7Eb" and "a~b" agree.
// Scheme and host are already in lower case.
void normaliseEscapes(const std::string& loc, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < loc.size(); ++i) {
        if (loc[i] != '%' || i + 2 >= loc.size()) {
            out += loc[i];
            continue;
        }
        const int byte = hexValue(loc[i + 1]) * 16 + hexValue(loc[i + 2]);
        if (byte < 0x80 && kUrlChars.unreserved[byte])
            out += char(byte);
        else
            appendPercent(out, static_cast<unsigned char>(byte));
        i += 2;
    }
}

// Appends a URL escaped for XML text: runs without markup characters are
// copied whole.
void appendXmlEscaped(std::string& out, const std::string& text) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* entity = nullptr;
        switch (text[i]) {
            case '&':
                entity = "&amp;";
                break;
            case '<':
                entity = "&lt;";
                break;
            case '>':
                entity = "&gt;";
                break;
            case '\'':
                entity = "&apos;";
                break;
            case '"':
                entity = "&quot;";
                break;
            default:
                continue;
        }
        out.append(text, from, i - from);
        out += entity;
        from = i + 1;
    }
    out.append(text, from, std::string::npos);
}

// Appends the day as yyyy-mm-dd.
void appendDate(std::string& out, const QDate& d) {
    int year = 0, month = 0, day = 0;
    d.getDate(&year, &month, &day);
    if (year < 0 || year > 9999) year = 0;
    const char text[10] = {char('0' + year / 1000),
                           char('0' + year / 100 % 10),
                           char('0' + year / 10 % 10),
                           char('0' + year % 10),
                           '-',
                           char('0' + month / 10),
                           char('0' + month % 10),
                           '-',
                           char('0' + day / 10),
                           char('0' + day % 10)};
    out.append(text, 10);
}

// One line of a sitemap or an index: <tag><loc>...</loc>, the day when it is
// known, </tag>.
void appendEntry(std::string& out, const char* tag, const std::string& loc, const QDate& day) {
    out += '<';
    out += tag;
    out += "><loc>";
    appendXmlEscaped(out, loc);
    out += "</loc>";
    if (day.isValid()) {
        out += "<lastmod>";
        appendDate(out, day);
        out += "</lastmod>";
    }
    out += "</";
    out += tag;
    out += ">\n";
}

// "http://" or "https://" at the start, in any case: the scheme's length.
qsizetype webSchemeLength(QStringView s) {
    if (s.startsWith(u"http://", Qt::CaseInsensitive)) return 4;
    if (s.startsWith(u"https://", Qt::CaseInsensitive)) return 5;
    return 0;
}

// Host and port in lower case, a default port dropped, a host outside ASCII
// in its ASCII form. Nothing when the host is empty or holds characters no
// host has.
std::optional<std::string> normalisedAuthority(QStringView authority, const std::string& scheme) {
    QString a = authority.toString().toLower();
    for (const QChar ch : a) {
        const char16_t c = ch.unicode();
        if (c < 0x80 && !kUrlChars.unreserved[c] && !QStringView(u"!$&'()*+,;=:@[]%").contains(ch))
            return std::nullopt;
    }
    const qsizetype at = a.lastIndexOf(u'@');
    const qsizetype colon = a.lastIndexOf(u':');
    QString host = a;
    QString port;
    if (colon > at && !a.endsWith(u']')) {
        host = a.left(colon);
        port = a.mid(colon + 1);
    }
    if (port == (scheme == "https" ? u"443" : u"80")) port.clear();
    bool ascii = true;
    for (const QChar ch : host) ascii = ascii && ch.unicode() < 0x80;
    if (!ascii) host = QString::fromLatin1(QUrl::toAce(host)).toLower();
    if (host.isEmpty() || host.endsWith(u'@')) return std::nullopt;
    std::string out = host.toStdString();
    if (!port.isEmpty()) out += ':' + port.toStdString();
    return out;
}

// Where the authority of an address ends: at the first "/", "?" or "#".
qsizetype authorityEnd(QStringView s, qsizetype from) {
    qsizetype i = from;
    while (i < s.size() && s[i] != u'/' && s[i] != u'?' && s[i] != u'#') ++i;
    return i;
}

// The main file name's extension: ".xml.gz" or ".gz" style double
// extensions count whole.
qsizetype extensionStart(const QString& name) {
    QString stem = name;
    qsizetype cut = stem.size();
    if (stem.endsWith(QStringLiteral(".gz"), Qt::CaseInsensitive)) cut -= 3;
    const qsizetype dot = stem.left(cut).lastIndexOf(u'.');
    return dot > 0 ? dot : cut;
}

}  // namespace

std::optional<SitemapSite> SitemapSite::fromRootUrl(const QString& rootUrl) {
    const QString root = rootUrl.trimmed();
    const qsizetype schemeLength = webSchemeLength(root);
    if (schemeLength == 0) return std::nullopt;
    SitemapSite site;
    site.scheme_ = root.left(schemeLength).toLower().toStdString();
    const qsizetype hostStart = schemeLength + 3;
    const qsizetype hostEnd = authorityEnd(root, hostStart);
    const auto authority =
        normalisedAuthority(QStringView(root).mid(hostStart, hostEnd - hostStart), site.scheme_);
    if (!authority) return std::nullopt;
    // Every address of the sitemap starts with this host and port: they must
    // be ones a browser or a search engine can reach (no "&" in a host name,
    // a port that is a number).
    QUrl origin;
    origin.setScheme(QString::fromStdString(site.scheme_));
    origin.setAuthority(QString::fromStdString(*authority), QUrl::StrictMode);
    if (!origin.isValid() || origin.host().isEmpty()) return std::nullopt;
    site.authority_ = *authority;
    site.base_ = site.scheme_ + "://" + site.authority_;
    qsizetype pathEnd = hostEnd;
    while (pathEnd < root.size() && root[pathEnd] != u'?' && root[pathEnd] != u'#') ++pathEnd;
    appendEscaped(site.base_, QStringView(root).mid(hostEnd, pathEnd - hostEnd));
    if (site.base_.back() != '/') site.base_ += '/';
    return site;
}

SitemapSite::Fit SitemapSite::locate(QStringView entry, std::string& loc) const {
    QStringView e = entry.trimmed();
    const qsizetype hash = e.indexOf(u'#');
    if (hash >= 0) e = e.left(hash);

    const qsizetype schemeLength = webSchemeLength(e);
    if (schemeLength > 0) {
        // A whole address: it must be on this site; its path starts at the
        // host's root.
        const qsizetype hostStart = schemeLength + 3;
        const qsizetype hostEnd = authorityEnd(e, hostStart);
        const auto authority = normalisedAuthority(e.mid(hostStart, hostEnd - hostStart), scheme_);
        if (e.left(schemeLength).compare(QLatin1StringView(scheme_), Qt::CaseInsensitive) != 0 ||
            !authority || *authority != authority_)
            return Fit::OtherHost;
        loc.assign(base_, 0, scheme_.size() + 3 + authority_.size());
        e = e.mid(hostEnd);
        if (!e.startsWith(u'/')) loc += '/';
    } else {
        // A page under the root: one "/" between the two, whether the entry
        // starts with one or not.
        loc.assign(base_);
        if (e.startsWith(u'/')) e = e.mid(1);
    }
    appendEscaped(loc, e);
    return loc.size() > std::size_t(kMaxSitemapUrlLength) ? Fit::TooLong : Fit::Listed;
}

std::size_t SitemapSite::plainTail(std::string_view address) const {
    if (address.size() <= base_.size() || address.compare(0, base_.size(), base_) != 0 ||
        base_.find('%') != std::string::npos)
        return 0;
    for (std::size_t i = base_.size(); i < address.size(); ++i) {
        const auto c = static_cast<unsigned char>(address[i]);
        if (c >= 0x80 || !kUrlChars.plain[c]) return 0;
    }
    return address.size() - base_.size();
}

QString SitemapSite::fileUrl(const QString& fileName) const {
    std::string url = base_;
    appendEscaped(url, fileName, true);
    return QString::fromStdString(url);
}

QString numberedSitemapPath(const QString& mainPath, int number) {
    const QFileInfo info(mainPath);
    const QString name = info.fileName();
    const qsizetype ext = extensionStart(name);
    const QString numbered = name.left(ext) + u'-' + QString::number(number) + name.mid(ext);
    return info.dir().filePath(numbered);
}

namespace {

const std::string kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const std::string kUrlsetStart =
    kXmlDeclaration + "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
const std::string kUrlsetEnd = "</urlset>\n";
const std::string kIndexStart =
    kXmlDeclaration + "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
const std::string kIndexEnd = "</sitemapindex>\n";

// One file being written: a temporary file beside the main file, fed through
// a buffer (and gzip when asked), synced to disk when finished and renamed
// onto its target by commit(). Until then the target is untouched; the
// temporary file is removed when the object goes without a commit.
class PendingFile {
public:
    PendingFile(const QString& mainPath, bool gzip)
        : mainPath_(mainPath),
          file_(QFileInfo(mainPath).absoluteDir().filePath(
              QStringLiteral(".") + QFileInfo(mainPath).fileName() + QStringLiteral(".XXXXXX"))),
          gzip_(gzip) {
        if (!file_.open()) throw siteMapWriteError(mainPath_, file_.errorString());
        buffer_.reserve(kBufferSize + 4096);
        if (gzip_) {
            // windowBits 15 + 16: a gzip header and trailer around the stream.
            if (deflateInit2(&z_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8,
                             Z_DEFAULT_STRATEGY) != Z_OK)
                throw siteMapWriteError(mainPath_, QStringLiteral("cannot start compression"));
            zOut_.resize(kBufferSize);
        }
    }
    ~PendingFile() {
        if (gzip_) deflateEnd(&z_);
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    std::string& buffer() { return buffer_; }
    // Uncompressed bytes so far, the buffer included.
    qint64 size() const { return written_ + qint64(buffer_.size()); }
    void flushIfFull() {
        if (buffer_.size() >= kBufferSize) drain(Z_NO_FLUSH);
    }

    // Writes out the rest; the disk starts taking it at once, while the next
    // file is built.
    void finish() {
        drain(Z_FINISH);
        startWriteback();
    }

    // Gives the file the permissions it will have as target and waits until
    // it is on disk. A sitemap is there to be published: a new one is
    // readable by everybody (a temporary file is private); one that replaces
    // an earlier file keeps that file's permissions.
    void makeDurable(const QString& target) {
        const QFileInfo earlier(target);
        const QFile::Permissions permissions =
            earlier.exists() ? earlier.permissions()
                             : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                   QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;
        if (!file_.setPermissions(permissions))
            throw siteMapWriteError(target, file_.errorString());
        if (::fdatasync(file_.handle()) != 0)
            throw siteMapWriteError(mainPath_, QString::fromLocal8Bit(std::strerror(errno)));
        file_.close();
    }

    // Replaces target with the durable file.
    void commit(const QString& target) {
        const QByteArray from = QFile::encodeName(file_.fileName());
        const QByteArray to = QFile::encodeName(target);
        if (std::rename(from.constData(), to.constData()) != 0)
            throw siteMapWriteError(target, QString::fromLocal8Bit(std::strerror(errno)));
        file_.setAutoRemove(false);
    }

private:
    static constexpr std::size_t kBufferSize = 1 << 18;
    static constexpr qint64 kWritebackStep = 8 << 20;

    // Written straight to the file: the buffer above is the only one, and a
    // write that fails (a full disk) says why.
    void put(const char* data, std::size_t n) {
        while (n > 0) {
            const ssize_t done = ::write(file_.handle(), data, n);
            if (done < 0 && errno == EINTR) continue;
            if (done <= 0)
                throw siteMapWriteError(
                    mainPath_, QString::fromLocal8Bit(std::strerror(done < 0 ? errno : EIO)));
            data += done;
            n -= std::size_t(done);
            position_ += done;
        }
        if (position_ - writebackFrom_ >= kWritebackStep) startWriteback();
    }

    // Asks the system to begin writing what is in its cache, without
    // waiting, so the final sync finds little left to do.
    void startWriteback() {
#ifdef __linux__
        const qint64 end = position_;
        ::sync_file_range(file_.handle(), writebackFrom_, end - writebackFrom_,
                          SYNC_FILE_RANGE_WRITE);
        writebackFrom_ = end;
#endif
    }

    void drain(int flush) {
        written_ += qint64(buffer_.size());
        if (!gzip_) {
            put(buffer_.data(), buffer_.size());
            buffer_.clear();
            return;
        }
        z_.next_in = reinterpret_cast<Bytef*>(buffer_.data());
        z_.avail_in = uInt(buffer_.size());
        int status = Z_OK;
        do {
            z_.next_out = reinterpret_cast<Bytef*>(zOut_.data());
            z_.avail_out = uInt(zOut_.size());
            status = deflate(&z_, flush);
            if (status == Z_STREAM_ERROR)
                throw siteMapWriteError(mainPath_, QStringLiteral("compression failed"));
            put(zOut_.data(), zOut_.size() - z_.avail_out);
        } while (z_.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
        buffer_.clear();
    }

    QString mainPath_;
    QTemporaryFile file_;
    bool gzip_;
    std::string buffer_;
    qint64 written_ = 0;
    qint64 position_ = 0;  // bytes in the file
    qint64 writebackFrom_ = 0;
    z_stream z_{};
    std::vector<char> zOut_;
};

}  // namespace

const std::string& sitemapAddressKey(const std::string& loc, std::string& scratch) {
    if (loc.find('%') == std::string::npos) return loc;
    normaliseEscapes(loc, scratch);
    return scratch;
}

SeenSitemapAddresses::SeenSitemapAddresses(qsizetype expected, KeyOf keyOf)
    : keyOf_(std::move(keyOf)) {
    std::size_t capacity = 16;
    while (capacity < std::size_t(expected) * 2) capacity *= 2;
    slots_.resize(capacity);
}

std::uint64_t SeenSitemapAddresses::hashOf(std::string_view key) {
    return qHashBits(key.data(), key.size(), 0);
}

bool SeenSitemapAddresses::seen(std::uint64_t hash, qsizetype index) {
    // The low bits pick the slot, the high ones are kept to tell keys apart
    // cheaply: eight bytes a slot keep the table small and warm. A table
    // filled beyond its half grows.
    if (std::size_t(index) * 2 >= slots_.size()) {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.resize(old.size() * 2);
        // The full hash is gone: the keys are asked for again.
        for (const Slot& slot : old)
            if (slot.indexPlusOne != 0) {
                const std::uint64_t h = hashOf(keyOf_(slot.indexPlusOne - 1));
                const std::size_t mask = slots_.size() - 1;
                std::size_t i = h & mask;
                while (slots_[i].indexPlusOne != 0) i = (i + 1) & mask;
                slots_[i] = slot;
            }
    }
    const auto check = std::uint32_t(hash >> 32);
    const std::size_t mask = slots_.size() - 1;
    std::string key;
    bool haveKey = false;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.indexPlusOne == 0) {
            slot = {check, std::uint32_t(index + 1)};
            return false;
        }
        if (slot.check != check) continue;
        if (!haveKey) {
            key = keyOf_(index);
            haveKey = true;
        }
        if (keyOf_(slot.indexPlusOne - 1) == key) return true;
    }
}

XmlSitemapSummary writeXmlSitemaps(const QString& rootUrl, const QList<SitemapPage>& pages,
                                   const QString& mainPath, const XmlSitemapOptions& options) {
    const std::optional<SitemapSite> site = SitemapSite::fromRootUrl(rootUrl);
    if (!site)
        throw AppError(err::kInvalidProcedureCall,
                       QStringLiteral("The root URL '%1' is not a web address.").arg(rootUrl),
                       kProductName);
    const bool gzip =
        options.gzip.value_or(mainPath.endsWith(QStringLiteral(".gz"), Qt::CaseInsensitive));

    XmlSitemapSummary summary;
    summary.sitemapUrl = site->fileUrl(QFileInfo(mainPath).fileName());
    std::vector<std::unique_ptr<PendingFile>> files;  // the numbered files, in order
    qint64 urlsInFile = 0;
    std::string loc, scratch, entry;
    SeenSitemapAddresses seen(pages.size(), [&](qsizetype index) {
        std::string at, atScratch;
        site->locate(pages[index].entry, at);
        return sitemapAddressKey(at, atScratch);
    });

    auto startFile = [&] {
        files.push_back(std::make_unique<PendingFile>(mainPath, gzip));
        files.back()->buffer() += kUrlsetStart;
        urlsInFile = 0;
    };
    auto endFile = [&] {
        files.back()->buffer() += kUrlsetEnd;
        files.back()->finish();
    };

    // A stopped build drops its temporary files with them.
    auto stopped = [&](qint64 done) { return !options.progress(done, pages.size()); };
    auto cancelled = [] {
        XmlSitemapSummary none;
        none.cancelled = true;
        return none;
    };

    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (options.progress && i > 0 && i % kSiteMapProgressStride == 0 && stopped(i))
            return cancelled();
        const SitemapPage& page = pages[i];
        if (leftOutOfSiteMap(page.entry)) {
            ++summary.notListed;
            continue;
        }
        switch (site->locate(page.entry, loc)) {
            case SitemapSite::Fit::OtherHost:
                ++summary.otherHost;
                continue;
            case SitemapSite::Fit::TooLong:
                ++summary.tooLong;
                continue;
            case SitemapSite::Fit::Listed:
                break;
        }
        if (seen.seen(SeenSitemapAddresses::hashOf(sitemapAddressKey(loc, scratch)), i)) {
            ++summary.duplicates;
            continue;
        }

        entry.clear();
        appendEntry(entry, "url", loc, page.lastModified);

        if (files.empty()) {
            startFile();
        } else if (urlsInFile >= options.maxUrlsPerFile ||
                   files.back()->size() + qint64(entry.size() + kUrlsetEnd.size()) >
                       options.maxBytesPerFile) {
            endFile();
            startFile();
        }
        files.back()->buffer() += entry;
        files.back()->flushIfFull();
        ++urlsInFile;
        ++summary.urls;
    }
    if (files.empty()) return summary;
    endFile();

    std::unique_ptr<PendingFile> index;
    if (files.size() > 1) {
        // An index may list 50,000 files, as a file may list 50,000 URLs.
        if (files.size() > 50000)
            throw AppError(err::kInvalidProcedureCall,
                           QStringLiteral("Too many sitemap files for one index."), kProductName);
        index = std::make_unique<PendingFile>(mainPath, gzip);
        std::string& out = index->buffer();
        out += kIndexStart;
        for (std::size_t n = 0; n < files.size(); ++n) {
            const QString name = QFileInfo(numberedSitemapPath(mainPath, int(n) + 1)).fileName();
            appendEntry(out, "sitemap", site->fileUrl(name).toStdString(), options.written);
        }
        out += kIndexEnd;
        index->finish();
        summary.indexed = true;
    }
    if (options.progress && stopped(pages.size())) return cancelled();

    // Only when every file is on disk do they take their places: the numbered
    // files before the index that lists them; a single file goes straight to
    // the main name.
    if (!index) {
        files.front()->makeDurable(mainPath);
    } else {
        for (std::size_t n = 0; n < files.size(); ++n)
            files[n]->makeDurable(numberedSitemapPath(mainPath, int(n) + 1));
        index->makeDurable(mainPath);
    }
    if (!index) {
        files.front()->commit(mainPath);
        summary.files << mainPath;
        return summary;
    }
    summary.files << mainPath;
    for (std::size_t n = 0; n < files.size(); ++n) {
        const QString target = numberedSitemapPath(mainPath, int(n) + 1);
        files[n]->commit(target);
        summary.files << target;
    }
    index->commit(mainPath);
    return summary;
}

namespace {

QString counted(qint64 n, const char* one, const char* many) {
    return QLocale(QLocale::English).toString(n) + u' ' + QLatin1StringView(n == 1 ? one : many);
}

}  // namespace

QString xmlSitemapMessage(const XmlSitemapSummary& s) {
    QStringList lines;
    if (s.files.isEmpty()) {
        lines << QStringLiteral("No XML sitemap was written: none of the pages can be listed.");
    } else if (!s.indexed) {
        lines << QStringLiteral("The XML sitemap lists %1 in one file, %2.")
                     .arg(counted(s.urls, "URL", "URLs"), QFileInfo(s.files.first()).fileName());
    } else {
        lines << QStringLiteral(
                     "The XML sitemap lists %1 in %2 files, %3 to %4, under the index %5.")
                     .arg(counted(s.urls, "URL", "URLs"))
                     .arg(s.files.size() - 1)
                     .arg(QFileInfo(s.files[1]).fileName(), QFileInfo(s.files.last()).fileName(),
                          QFileInfo(s.files.first()).fileName());
    }

    QStringList leftOut;
    if (s.otherHost)
        leftOut << counted(s.otherHost, "page", "pages") + QStringLiteral(" on another host");
    if (s.tooLong)
        leftOut << counted(s.tooLong, "page", "pages") +
                       QStringLiteral(" longer than %1 characters")
                           .arg(QLocale(QLocale::English).toString(kMaxSitemapUrlLength));
    if (s.duplicates)
        leftOut << counted(s.duplicates, "page", "pages") +
                       QStringLiteral(" with the same address as an earlier page");
    if (!leftOut.isEmpty())
        lines << QStringLiteral("Left out: ") + leftOut.join(QStringLiteral(", ")) + u'.';
    if (s.notListed)
        lines << QStringLiteral(
                     "Not listed, as in the HTML site map: %1 (robots.txt, logs, icons "
                     "and server files).")
                     .arg(counted(s.notListed, "entry", "entries"));

    if (!s.files.isEmpty())
        lines << QString() << QStringLiteral("Add this line to the site's robots.txt:")
              << QStringLiteral("Sitemap: ") + s.sitemapUrl;
    return lines.join(QStringLiteral("\r\n"));
}

QHash<QString, QDate> pageUpdateDates(const CADODBAccess& db, const QString& siteName) {
    QHash<QString, QDate> dates;
    const RecordsetPtr rs = db.fnSQL_RS(
        QStringLiteral("Select PageURL, UpdatedDate from WebSitePages where WebSiteID in "
                       "(Select WebSiteID from WebSites where WebSiteGenericName = ") +
        dq(siteName) + u')');
    if (!rs) return dates;
    for (; !rs->eof(); rs->moveNext()) {
        const std::optional<QDateTime> when = parseJetDate(rs->field(1));
        if (!when) continue;
        QDate& day = dates[rs->field(0)];
        if (!day.isValid() || when->date() > day) day = when->date();
    }
    return dates;
}

}  // namespace fd
