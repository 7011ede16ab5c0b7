#include "listcaster/clsLVTextExport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>
#include <QStringBuilder>
#include <cerrno>
#include <vector>

#include "TextWrite.h"
#include "listcaster/Prompter.h"

namespace listcaster {

namespace {

const QString kCaption = QStringLiteral("Export list");

}  // namespace

bool clsLVTextExport::ShowFileDialog(QWidget* parent) {
    const auto chosen =
        prompter().saveFileName(parent, QStringLiteral("Select export-destination"),
                                QStringLiteral("Textfiles (*.txt)|*.txt|All files (*.*)|*.*"),
                                QStringLiteral("*.txt"), filename_, true);
    if (!chosen || chosen->isEmpty()) return false;
    filename_ = *chosen;
    return true;
}

TextTableOptions clsLVTextExport::tableOptions() const {
    TextTableOptions options;
    options.header = header_;
    options.onlySelected = onlySelected_;
    options.writeHeader = writeHeader_;
    options.readable = readable_;
    return options;
}

std::optional<ExportFailure> clsLVTextExport::writeTo(QIODevice& out) const {
    if (!source_.isBound())
        return ExportFailure{kErrNoList, QStringLiteral("There is no list to export.")};
    return writeTextTable(source_, tableOptions(), out);
}

QString clsLVTextExport::failureText(const ExportFailure& f) {
    return QStringLiteral("Error ") % QString::number(f.number) %
           QStringLiteral(" while exporting to the textfile occured:\n\n") % f.description;
}

void clsLVTextExport::reportFailure(QWidget* parent, const ExportFailure& f) const {
    prompter().message(parent, MessageIcon::Error, kCaption, failureText(f), MessageButtons::Ok);
}

bool clsLVTextExport::exportToDevice(QIODevice& out, QWidget* parent) {
    if (const auto failure = writeTo(out)) {
        reportFailure(parent, *failure);
        return false;
    }
    return true;
}

bool clsLVTextExport::ExportListViewToTextfile(QWidget* parent) {
    // Without a list there is nothing to write; checked before the file is
    // opened so an existing file is not emptied for nothing.
    if (!source_.isBound()) {
        reportFailure(parent, {kErrNoList, QStringLiteral("There is no list to export.")});
        return false;
    }
    // A long list is written into memory first, under a progress bar, so that
    // Cancel leaves the file as it was, whether it was to be replaced or
    // appended to.
    const int rows = source_.rowCount();
    const bool prepare = rows > kProgressRows;
    QBuffer prepared;
    if (prepare) {
        prepared.open(QIODevice::WriteOnly);
        const std::unique_ptr<Progress> progress =
            prompter().progress(parent, kCaption,
                                QStringLiteral("Exporting %1 rows to %2 ...")
                                    .arg(QLocale(QLocale::English).toString(rows))
                                    .arg(QFileInfo(filename_).fileName()),
                                rows);
        TextTableOptions options = tableOptions();
        options.progress = [&progress, rows](qint64 done, qint64 total) {
            return progress->advance(int(done * rows / total));
        };
        if (const auto failure = writeTextTable(source_, options, prepared)) {
            if (failure->number != kTextCancelled) reportFailure(parent, *failure);
            return false;
        }
    }
    QFile file(filename_);
    QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    mode |= append_ ? QIODevice::Append : QIODevice::Truncate;
    errno = 0;
    if (filename_.isEmpty() || !file.open(mode)) {
        const int err = errno;
        ExportFailure f;
        if (filename_.isEmpty()) {
            f = {kErrPathFileAccess, QStringLiteral("No file name given.")};
        } else {
            int fallback = kErrPathFileAccess;
            if (!QFileInfo(filename_).absoluteDir().exists()) fallback = kErrPathNotFound;
            f = {textFailureNumber(err, fallback), file.errorString()};
        }
        reportFailure(parent, f);
        return false;
    }
    auto failure = prepare ? writeWholeText(file, prepared.data()) : writeTo(file);
    file.close();
    if (!failure && file.error() != QFileDevice::NoError)
        failure = ExportFailure{kErrDeviceIO, file.errorString()};
    if (failure) {
        reportFailure(parent, *failure);
        return false;
    }
    return true;
}

}  // namespace listcaster
