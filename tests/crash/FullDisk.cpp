#include "FullDisk.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "KillLoop.h"

namespace fd::test {

namespace {

constexpr rlim_t kSizeLimit = 4096;

// True when this process may mount a tmpfs of its own.
bool mountInNamespace(const QString& folder) {
    if (::unshare(CLONE_NEWNS) != 0) return false;
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    return ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                   "size=512k,nr_inodes=64") == 0;
}

// Fills the file system, then frees 16 KB again: a write that needs more
// gets part of the way before the disk is full, as writes usually do.
void fillFolder(const QString& folder) {
    const QString path = QDir(folder).filePath(QStringLiteral(".filler"));
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT, 0600);
    if (fd < 0) return;
    const QByteArray block(4096, 'f');
    off_t size = 0;
    for (ssize_t n; (n = ::write(fd, block.constData(), std::size_t(block.size()))) > 0;) size += n;
    ::ftruncate(fd, std::max<off_t>(0, size - 16384));
    ::close(fd);
}

}  // namespace

std::string fullDiskKind() {
    static const std::string kind = [] {
        QTemporaryDir dir;
        return runInChild([&] {
            return mountInNamespace(dir.path())
                       ? std::string("a 512 KB tmpfs in a private mount namespace")
                       : std::string("a 4 KB file-size limit (no mount allowed here)");
        });
    }();
    return kind;
}

std::string onFullDisk(const std::function<std::string(const FullDisk&)>& fn) {
    QTemporaryDir dir;
    return runInChild([&] {
        FullDisk disk{dir.path(), {}};
        if (mountInNamespace(dir.path())) {
            disk.fill = [path = dir.path()] { fillFolder(path); };
        } else {
            disk.fill = [] {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{kSizeLimit, kSizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            };
        }
        return fn(disk);
    });
}

}  // namespace fd::test
