#include "PageList.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStringDecoder>
#include <cerrno>
#include <cstring>

#include "core/AppError.h"
#include "core/FileReplace.h"

namespace fd::sites {

namespace {

const QString kSource = QStringLiteral("PageList");

// One line's bytes as text: UTF-8 when valid, else Latin-1 (every byte its
// own character, so nothing is lost).
// Only the file's first line may begin with the file's byte-order mark; on
// any other line a mark is the page's own.
QString decodeLine(QByteArrayView bytes, bool firstLine) {
    QStringDecoder::Flags flags = QStringDecoder::Flag::Stateless;
    if (!firstLine) flags |= QStringDecoder::Flag::ConvertInitialBom;
    QStringDecoder utf8(QStringDecoder::Utf8, flags);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

}  // namespace

const QStringList& fileTypeKeys() {
    static const QStringList keys = {
        QStringLiteral("ASP"), QStringLiteral("ROOT"), QStringLiteral("DIR"), QStringLiteral("DOC"),
        QStringLiteral("EXE"), QStringLiteral("HTM"),  QStringLiteral("IMG"), QStringLiteral("MSC"),
        QStringLiteral("PPT"), QStringLiteral("TXT"),  QStringLiteral("XLS"), QStringLiteral("VSD"),
        QStringLiteral("ZIP")};
    return keys;
}

bool isInImageList(const QString& key) {
    return fileTypeKeys().contains(key.toUpper());
}

QString fileTypeKey(const QString& page) {
    const int dot = page.lastIndexOf(u'.');
    const QString type = (dot < 0 ? page : page.mid(dot + 1)).toUpper();
    return isInImageList(type) ? type : kMiscPicture;
}

QString decodePageList(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // The decoder skips a leading byte-order mark, the file's and not part of
    // the first page; a second one is the page's own.
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        // Not UTF-8 as a whole: each line is decoded on its own, so one stray
        // byte does not turn the names on every other line into mojibake.
        text.clear();
        text.reserve(bytes.size());
        const qsizetype n = bytes.size();
        qsizetype start = 0;
        for (qsizetype i = 0; i <= n; ++i) {
            if (i < n && bytes[i] != '\r' && bytes[i] != '\n') continue;
            text += decodeLine(QByteArrayView(bytes).sliced(start, i - start), start == 0);
            if (i < n) text += QLatin1Char(bytes[i]);
            start = i + 1;
        }
    }
    return text;
}

bool looksBinary(const QByteArray& bytes) {
    return bytes.contains('\0');
}

std::optional<QStringList> splitPageList(const QString& text, const ProgressFn& progress) {
    // Progress is told after every stretch of this many characters.
    constexpr qsizetype kStretch = 1 << 20;
    QStringList pages;
    const qsizetype n = text.size();
    const QChar* p = text.constData();
    qsizetype start = 0;
    qsizetype nextReport = kStretch;
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && p[i] != u'\r' && p[i] != u'\n') continue;
        if (i > start) pages.append(text.mid(start, i - start));
        if (i < n && p[i] == u'\r' && i + 1 < n && p[i + 1] == u'\n') ++i;
        start = i + 1;
        if (progress && i >= nextReport) {
            if (!progress(i, n)) return std::nullopt;
            nextReport = i + kStretch;
        }
    }
    if (progress && !progress(n, n)) return std::nullopt;
    return pages;
}

QStringList splitPageList(const QString& text) {
    return *splitPageList(text, nullptr);
}

QStringList readPageListFile(const QString& path) {
    return *readPageListFile(path, nullptr);
}

std::optional<QStringList> readPageListFile(const QString& path, const ProgressFn& progress) {
    // Opened without waiting, so a FIFO cannot hold the window, and checked
    // on the open file: only a regular file is read (a device such as
    // /dev/zero would never end).
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw AppError(err::kFileNotFound, QStringLiteral("File not found: ") + path, kSource);
        throw AppError(err::kPermissionDenied,
                       QStringLiteral("Cannot read ") + path + QStringLiteral(": ") +
                           QString::fromLocal8Bit(std::strerror(errno)),
                       kSource);
    }
    QFile f;
    f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))
        throw AppError(err::kFileNotFound, QStringLiteral("File not found: ") + path, kSource);
    if (!S_ISREG(st.st_mode))
        throw AppError(err::kInvalidProcedureCall,
                       QStringLiteral("Not a page list (not a regular file): ") + path, kSource);
    if (st.st_size > kMaxPageListBytes)
        throw AppError(err::kInvalidProcedureCall,
                       QStringLiteral("Page list too large (%1 bytes): ").arg(st.st_size) + path,
                       kSource);
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw AppError(
            err::kPermissionDenied,
            QStringLiteral("Cannot read ") + path + QStringLiteral(": ") + f.errorString(),
            kSource);
    if (looksBinary(bytes))
        throw AppError(err::kInvalidProcedureCall,
                       QStringLiteral("Not a page list (binary file): ") + path, kSource);
    const QString text = decodePageList(bytes);
    bytes = QByteArray();  // only the text is needed from here on
    return splitPageList(text, progress);
}

QByteArray formatPageList(const QStringList& pages) {
    QString text;
    qsizetype size = 3;
    for (const QString& p : pages) size += p.size() + 2;
    text.reserve(size);
    // The reader takes a leading byte-order mark for the file's, not the
    // page's: a first page that begins with one gets a mark of its own.
    if (!pages.isEmpty() && pages.first().startsWith(QChar(0xFEFF))) text += QChar(0xFEFF);
    for (const QString& p : pages) {
        text += p;
        text += QLatin1String("\r\n");
    }
    text += QLatin1String("\r\n");
    return text.toUtf8();
}

void writePageListFile(const QString& path, const QStringList& pages) {
    replaceFileContents(path, formatPageList(pages), kSource);
}

QString listFileName(long long webSiteId, const QString& siteName) {
    QString name = siteName;
    name.replace(u' ', u'_');
    // A "/" would name a folder that does not exist: the list could never be saved.
    name.replace(u'/', u'_');
    // The site's key and a "_" come first: the key alone makes the name
    // unique, and it never changes when other sites are added.
    return QString::number(webSiteId) + u'_' + name.left(25) + QStringLiteral(".wsr");
}

QString stripQueryString(const QString& input) {
    const int q = input.indexOf(u'?');
    return q >= 1 ? input.left(q) : input;
}

QString removeQuerystring(const QString& input) {
    const int q = input.indexOf(u'?');
    return q >= 0 ? input.left(q) : input;
}

QString completeAddress(const QString& address) {
    QString a = address;
    if (!a.toLower().startsWith(QLatin1String("http://www.")))
        a.prepend(QLatin1String("http://www."));
    if (!a.toLower().endsWith(QLatin1String(".com"))) a.append(QLatin1String(".com"));
    return a;
}

}  // namespace fd::sites
