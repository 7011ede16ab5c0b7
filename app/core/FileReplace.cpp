#include "FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

#include "AppError.h"

namespace fd {

namespace {

const QString kPartMark = QStringLiteral(".part-");
constexpr int kSuffixLength = 6;

QString temporaryPrefix(const QString& fileName) {
    return u'.' + fileName + kPartMark;
}

QString randomSuffix() {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString s;
    for (int i = 0; i < kSuffixLength; ++i)
        s += QLatin1Char(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))]);
    return s;
}

void removeStaleTemporaries(const QDir& dir, const QString& fileName,
                            std::chrono::seconds staleAfter) {
    const QString prefix = temporaryPrefix(fileName);
    const QDateTime cutoff = QDateTime::currentDateTime().addSecs(-staleAfter.count());
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo& e : entries) {
        const QString name = e.fileName();
        if (name.size() == prefix.size() + kSuffixLength && name.startsWith(prefix) &&
            e.lastModified() < cutoff)
            QFile::remove(e.absoluteFilePath());
    }
}

AppError writeError(long number, const QString& path, int error, const QString& source) {
    return AppError(number,
                    QStringLiteral("Cannot write ") + path + QStringLiteral(": ") +
                        QString::fromLocal8Bit(std::strerror(error)),
                    source);
}

}  // namespace

QString linkTarget(const QString& path) {
    QString p = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40 && QFileInfo(p).isSymLink(); ++hops)
        p = QFileInfo(p).symLinkTarget();
    return p;
}

void replaceFileContents(const QString& path, const QByteArray& bytes, const QString& source,
                         std::chrono::seconds staleAfter) {
    const QString target = linkTarget(path);
    const QFileInfo info(target);
    const QDir dir = info.absoluteDir();
    removeStaleTemporaries(dir, info.fileName(), staleAfter);

    struct stat old {};
    const bool replacing = ::stat(QFile::encodeName(target).constData(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode))
        throw AppError(
            err::kPathNotFound,
            QStringLiteral("Cannot write ") + path + QStringLiteral(": not a regular file"),
            source);

    QByteArray tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = QFile::encodeName(dir.filePath(temporaryPrefix(info.fileName()) + randomSuffix()));
        // 0666: the kernel applies the umask, as for any new file.
        fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) throw writeError(err::kPathNotFound, path, errno, source);

    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && !error;) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            error = n < 0 ? errno : EIO;
        else
            done += n;
    }
    if (!error && replacing && ::fchmod(fd, old.st_mode & 07777) != 0) error = errno;
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && ::rename(tmp.constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(tmp.constData());
        throw writeError(err::kPermissionDenied, path, error, source);
    }
}

}  // namespace fd
