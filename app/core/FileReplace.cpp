#include "FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
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

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The temporary file as a device: writes are gathered into a buffer and
// written whole, going on after a write that got only part of the way, so
// a failure carries the system's reason (a full disk says so). Once a write
// has failed every later one fails too.
class TemporaryDevice : public QIODevice {
public:
    explicit TemporaryDevice(int fd) : fd_(fd) {}
    bool isSequential() const override { return true; }
    int error() const { return error_; }

    // Writes out what the buffer holds; false once anything failed.
    bool flushBuffer() {
        if (!error_ && !buffer_.isEmpty()) put(buffer_.constData(), buffer_.size());
        buffer_.clear();
        return !error_;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (buffer_.size() + size > kBufferSize) flushBuffer();
        if (error_) return -1;
        // A large piece goes straight to the file, without a copy.
        if (size >= kBufferSize)
            put(data, size);
        else
            buffer_.append(data, size);
        return error_ ? -1 : size;
    }

private:
    static constexpr qint64 kBufferSize = 1 << 16;

    void put(const char* data, qint64 size) {
        while (size > 0 && !error_) {
            const ssize_t n = ::write(fd_, data, size_t(size));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error_ = n < 0 ? errno : EIO;
                setErrorString(reason(error_));
            } else {
                data += n;
                size -= n;
            }
        }
    }

    int fd_;
    int error_ = 0;
    QByteArray buffer_;
};

}  // namespace

QString linkTarget(const QString& path) {
    QString p = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40 && QFileInfo(p).isSymLink(); ++hops)
        p = QFileInfo(p).symLinkTarget();
    return p;
}

struct FileReplacement::Private {
    QString path;
    std::chrono::seconds staleAfter;
    QByteArray target;     // the file replaced, links followed
    QByteArray temporary;  // the new file until it is renamed
    int fd = -1;
    bool replacing = false;
    mode_t mode = 0;
    std::unique_ptr<TemporaryDevice> device;
    QString error;

    void fail(int e) { error = reason(e); }
    // Closes and removes the temporary file.
    void drop() {
        if (device) device->close();
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!temporary.isEmpty()) ::unlink(temporary.constData());
        temporary.clear();
    }
};

FileReplacement::FileReplacement(const QString& path, std::chrono::seconds staleAfter)
    : d(std::make_unique<Private>()) {
    d->path = path;
    d->staleAfter = staleAfter;
    // Until open() a device exists, closed: writes to it fail.
    d->device = std::make_unique<TemporaryDevice>(-1);
}

FileReplacement::~FileReplacement() {
    d->drop();
}

bool FileReplacement::open() {
    d->drop();
    d->error.clear();
    if (d->path.isEmpty()) {
        d->error = QStringLiteral("No file name specified");
        return false;
    }
    const QString target = linkTarget(d->path);
    const QFileInfo info(target);
    const QDir dir = info.absoluteDir();
    removeStaleTemporaries(dir, info.fileName(), d->staleAfter);
    d->target = QFile::encodeName(target);

    struct stat old {};
    d->replacing = ::stat(d->target.constData(), &old) == 0;
    if (d->replacing && !S_ISREG(old.st_mode)) {
        d->error = QStringLiteral("not a regular file");
        return false;
    }
    d->mode = old.st_mode & 07777;

    for (int attempt = 0; attempt < 100 && d->fd < 0; ++attempt) {
        d->temporary =
            QFile::encodeName(dir.filePath(temporaryPrefix(info.fileName()) + randomSuffix()));
        // 0666: the kernel applies the umask, as for any new file.
        d->fd = ::open(d->temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (d->fd < 0 && errno != EEXIST) break;
    }
    if (d->fd < 0) {
        d->fail(errno);
        d->temporary.clear();
        return false;
    }
    d->device = std::make_unique<TemporaryDevice>(d->fd);
    d->device->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return true;
}

QIODevice& FileReplacement::device() {
    return *d->device;
}

bool FileReplacement::commit() {
    if (d->fd < 0) {
        if (d->error.isEmpty()) d->error = QStringLiteral("The file is not open");
        return false;
    }
    int error = d->device->flushBuffer() ? 0 : d->device->error();
    if (!error && d->replacing && ::fchmod(d->fd, d->mode) != 0) error = errno;
    if (!error && ::fsync(d->fd) != 0) error = errno;
    d->device->close();
    if (::close(d->fd) != 0 && !error) error = errno;
    d->fd = -1;
    if (!error && ::rename(d->temporary.constData(), d->target.constData()) != 0) error = errno;
    if (error) {
        d->fail(error);
        d->drop();
        return false;
    }
    d->temporary.clear();
    return true;
}

void FileReplacement::cancel() {
    d->drop();
}

bool FileReplacement::replaceWith(const QByteArray& bytes) {
    return open() && device().write(bytes) == bytes.size() && commit();
}

QString FileReplacement::path() const {
    return d->path;
}

QString FileReplacement::errorString() const {
    if (d->error.isEmpty() && d->device->error()) return reason(d->device->error());
    return d->error;
}

void replaceFileContents(const QString& path, const QByteArray& bytes, const QString& source,
                         std::chrono::seconds staleAfter) {
    FileReplacement file(path, staleAfter);
    const auto failure = [&](long number) {
        return AppError(
            number,
            QStringLiteral("Cannot write ") + path + QStringLiteral(": ") + file.errorString(),
            source);
    };
    if (!file.open()) throw failure(err::kPathNotFound);
    file.device().write(bytes);
    if (!file.commit()) throw failure(err::kPermissionDenied);
}

}  // namespace fd
