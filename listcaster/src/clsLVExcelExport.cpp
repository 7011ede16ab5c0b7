#include "listcaster/clsLVExcelExport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QPalette>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#include "listcaster/ExcelWorkbook.h"
#include "listcaster/Prompter.h"

namespace listcaster {

namespace {

struct ExportError {
    int number;
    QString description;
};

int rgbOf(const QColor& c) {
    return static_cast<int>(c.rgb() & 0xFFFFFF);
}

// The file a write to path lands in: path, or the file its chain of links
// finally names.
QString finalLinkTarget(const QString& path) {
    QString p = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40 && QFileInfo(p).isSymLink(); ++hops)
        p = QFileInfo(p).symLinkTarget();
    return p;
}

// Creates an empty, uniquely named hidden file beside target for the
// workbook to be written into. It is created with mode 0666 less the umask,
// as the workbook itself would be.
QString createSiblingFile(const QString& target) {
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate =
            info.absolutePath() + QStringLiteral("/.") + info.fileName() +
            QStringLiteral(".%1").arg(QRandomGenerator::global()->bounded(0x1000000), 6, 16,
                                      QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST) break;
    }
    throw ExportError{75, QStringLiteral("Path/File access error: ") +
                              QString::fromLocal8Bit(std::strerror(errno))};
}

// Waits until the file's bytes are on disk.
void syncToDisk(const QByteArray& name) {
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (!synced) throw ExportError{error, QString::fromLocal8Bit(std::strerror(error))};
}

}  // namespace

QString clsLVExcelExport::ExcelVersion() {
    return workbookWriterVersion();
}

bool clsLVExcelExport::ShowFileDialog(QWidget* parent) {
    const auto chosen = prompter().saveFileName(parent, QStringLiteral("Select export-destination"),
                                                QString::fromLatin1(kFilter),
                                                QStringLiteral("xlsx"), Filename, true);
    if (!chosen) return false;
    Filename = *chosen;
    return true;
}

bool clsLVExcelExport::ExportListViewToExcel(QWidget* parent) {
    QString tmpPath;
    try {
        // The workbook is written beside the target under a temporary name and
        // moved over it when complete, so a failure never leaves a broken or
        // half-replaced file behind.
        // A link is followed: its target is what gets replaced.
        if (Filename.isEmpty())
            throw ExportError{75, QStringLiteral("Path/File access error: no file name")};
        const QString targetPath = finalLinkTarget(Filename);
        tmpPath = createSiblingFile(targetPath);
        const QByteArray tmpName = QFile::encodeName(tmpPath);
        const QPalette pal = QGuiApplication::palette();
        WorkbookOptions options;
        options.header = Header;
        options.mark = Mark;
        options.bordersAndBackground = BordersAndBackground;
        options.onlySelected = OnlySelected;
        options.twipsPerPixelX =
            twipsPerPixelX > 0 ? twipsPerPixelX : ListViewSource::twipsPerPixelX();
        options.highlight = rgbOf(pal.color(QPalette::Highlight));
        options.highlightText = rgbOf(pal.color(QPalette::HighlightedText));
        // A long list shows its progress; Cancel drops the new workbook and
        // leaves the file as it was.
        std::unique_ptr<Progress> progress;
        const int rows = list_.rowCount();
        if (rows > kProgressRows) {
            progress = prompter().progress(parent, QStringLiteral("Export list"),
                                           QStringLiteral("Exporting %1 rows to %2 ...")
                                               .arg(QLocale(QLocale::English).toString(rows))
                                               .arg(QFileInfo(Filename).fileName()),
                                           rows);
            // Only the selected rows may be written: the bar still runs to
            // its end.
            options.progress = [&progress, rows](int done, int total) {
                return progress->advance(total > 0 ? int(qint64(done) * rows / total) : rows);
            };
        }
        try {
            writeWorkbook(tmpName, list_, options);
        } catch (const WorkbookError& e) {
            if (e.number == kWorkbookCancelled) {
                QFile::remove(tmpPath);
                return false;
            }
            throw ExportError{e.number, e.description};
        }
        // A replaced workbook keeps its permissions; a new one has the
        // umask's usual mode from its creation. The workbook is on disk
        // before it takes the old one's place, so a power cut leaves one of
        // the two, whole.
        const QByteArray finalName = QFile::encodeName(targetPath);
        struct stat old {};
        if (::stat(finalName.constData(), &old) == 0 &&
            ::chmod(tmpName.constData(), old.st_mode & 07777) != 0)
            throw ExportError{errno, QString::fromLocal8Bit(std::strerror(errno))};
        syncToDisk(tmpName);
        if (std::rename(tmpName.constData(), finalName.constData()) != 0)
            throw ExportError{errno, QString::fromLocal8Bit(std::strerror(errno))};
        return true;
    } catch (const ExportError& e) {
        if (!tmpPath.isEmpty()) QFile::remove(tmpPath);
        prompter().message(parent, MessageIcon::Error, QStringLiteral("Export list"),
                           QStringLiteral("Error ") + QString::number(e.number) +
                               QStringLiteral(" while exporting to Excel occured:\n\n") +
                               e.description);
        return false;
    }
}

}  // namespace listcaster
