#include "listcaster/clsLVTextExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringBuilder>
#include <cerrno>
#include <vector>

#include "listcaster/Prompter.h"

namespace listcaster {

namespace {

const QString kCaption = QStringLiteral("Export list");

// Length in characters (code points), so a character outside the basic plane
// counts once, as the reader of the file sees it.
int charCount(const QString& s) {
    int n = s.size();
    for (const QChar c : s)
        if (c.isLowSurrogate()) --n;
    return n;
}

// Removes leading and trailing blanks only; tabs stay.
QStringView trimBlanks(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == QLatin1Char(' ')) ++b;
    while (e > b && s[e - 1] == QLatin1Char(' ')) --e;
    return s.mid(b, e - b);
}

int errnoToNumber(int err, int fallback) {
    switch (err) {
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return clsLVTextExport::kErrDiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
            return clsLVTextExport::kErrPermission;
        case ENOENT:
        case ENOTDIR:
            return clsLVTextExport::kErrPathNotFound;
        default:
            return fallback;
    }
}

// Collects lines as text and hands them to the device as UTF-8 in large
// chunks; the first failing write is kept and everything after it dropped.
class LineWriter {
public:
    explicit LineWriter(QIODevice& out) : out_(out) { pending_.reserve(kChunk + 4096); }

    void line(QStringView text) {
        pending_.append(text);
        pending_.append(QLatin1String("\r\n"));
        if (pending_.size() >= kChunk) flush();
    }
    bool flush() {
        if (failure_ || pending_.isEmpty()) return !failure_;
        // The file is 8-bit text; on this platform the system code page is
        // UTF-8, so the text is written as UTF-8.
        const QByteArray bytes = pending_.toUtf8();
        pending_.clear();
        // A device may take part of a chunk; the rest is offered again until
        // it is all written or the device reports an error.
        errno = 0;
        qint64 done = 0;
        while (done < bytes.size()) {
            const qint64 n = out_.write(bytes.constData() + done, bytes.size() - done);
            if (n <= 0) break;
            done += n;
        }
        if (done != bytes.size()) {
            const int err = errno;
            QString desc = out_.errorString();
            if (desc.isEmpty() || desc == QLatin1String("Unknown error"))
                desc = QStringLiteral("Device I/O error");
            failure_ = ExportFailure{errnoToNumber(err, clsLVTextExport::kErrDeviceIO), desc};
        }
        return !failure_;
    }
    const std::optional<ExportFailure>& failure() const { return failure_; }

private:
    static constexpr qsizetype kChunk = 1 << 16;
    QIODevice& out_;
    QString pending_;
    std::optional<ExportFailure> failure_;
};

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

std::optional<ExportFailure> clsLVTextExport::writeTo(QIODevice& out) const {
    if (!source_.isBound())
        return ExportFailure{kErrNoList, QStringLiteral("There is no list to export.")};

    const ListViewSource& lv = source_;
    const int n = lv.columnCount();
    const int rows = lv.rowCount();

    // Column widths over every row, selected or not, so that a file written
    // from a selection lines up with one written from the whole list. Every
    // column but the last gets one more place for the blank that separates it
    // from the next.
    std::vector<int> w(static_cast<size_t>(n), 0);
    if (readable_) {
        for (int k = 1; k <= n; ++k) w[k - 1] = charCount(lv.columnText(k));
        for (int i = 1; i <= rows; ++i)
            for (int k = 1; k <= n; ++k)
                w[k - 1] = std::max(w[k - 1], charCount(lv.cellText(i, k)));
        for (int k = 1; k < n; ++k) ++w[k - 1];
    }

    LineWriter writer(out);
    QString line;
    // Appends one field and its separator: padding to the column's width in
    // readable mode, a tab in structured mode.
    auto addField = [&](const QString& text, int k) {
        line += text;
        if (readable_) {
            const int pad = w[k - 1] - charCount(text);
            if (pad > 0) line.append(QString(pad, QLatin1Char(' ')));
        } else {
            line += QLatin1Char('\t');
        }
    };

    if (!header_.isEmpty()) {
        writer.line(header_);
        writer.line(QString(charCount(header_), QLatin1Char('=')));
        writer.line(QString());
    }

    if (writeHeader_) {
        line.clear();
        for (int k = 1; k <= n; ++k) addField(lv.columnText(k), k);
        writer.line(trimBlanks(line));
        // The rule is as long as the line was before its blanks were trimmed.
        writer.line(QString(charCount(line), QLatin1Char('-')));
    }

    for (int i = 1; i <= rows && !writer.failure(); ++i) {
        if (onlySelected_ && !lv.isSelected(i)) continue;
        line.clear();
        for (int k = 1; k <= n; ++k) addField(lv.cellText(i, k), k);
        writer.line(trimBlanks(line));
    }
    writer.flush();
    return writer.failure();
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
            f = {errnoToNumber(err, fallback), file.errorString()};
        }
        reportFailure(parent, f);
        return false;
    }
    auto failure = writeTo(file);
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
