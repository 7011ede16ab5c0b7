#include "PageList.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include "core/AppError.h"

namespace fd::sites {

namespace {
const QString kSource = QStringLiteral("PageList");
}

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
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        // A byte-order mark is not part of the first page.
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
        return text;
    }
    return QString::fromLatin1(bytes);
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
    QFile f(path);
    if (!QFileInfo::exists(path) || QFileInfo(path).isDir())
        throw AppError(err::kFileNotFound, QStringLiteral("File not found: ") + path, kSource);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(
            err::kPermissionDenied,
            QStringLiteral("Cannot read ") + path + QStringLiteral(": ") + f.errorString(),
            kSource);
    if (f.size() > kMaxPageListBytes)
        throw AppError(err::kInvalidProcedureCall,
                       QStringLiteral("Page list too large (%1 bytes): ").arg(f.size()) + path,
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
    qsizetype size = 2;
    for (const QString& p : pages) size += p.size() + 2;
    text.reserve(size);
    for (const QString& p : pages) {
        text += p;
        text += QLatin1String("\r\n");
    }
    text += QLatin1String("\r\n");
    return text.toUtf8();
}

void writePageListFile(const QString& path, const QStringList& pages) {
    const QByteArray bytes = formatPageList(pages);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw AppError(
            err::kPathNotFound,
            QStringLiteral("Cannot write ") + path + QStringLiteral(": ") + f.errorString(),
            kSource);
    if (f.write(bytes) != bytes.size()) {
        const QString why = f.errorString();
        f.cancelWriting();
        throw AppError(err::kPermissionDenied,
                       QStringLiteral("Cannot write ") + path + QStringLiteral(": ") + why,
                       kSource);
    }
    if (!f.commit())
        throw AppError(
            err::kPermissionDenied,
            QStringLiteral("Cannot write ") + path + QStringLiteral(": ") + f.errorString(),
            kSource);
}

QString listFileName(int siteIndex, const QString& siteName) {
    QString name = siteName;
    name.replace(u' ', u'_');
    // A "/" would name a folder that does not exist: the list could never be saved.
    name.replace(u'/', u'_');
    return QString::number(siteIndex) + name.left(25) + QStringLiteral(".wsr");
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
