#include "listcaster/TextTable.h"

#include <QIODevice>
#include <cerrno>
#include <vector>

#include "TextWrite.h"

namespace listcaster {

namespace {

// Length in characters (code points), so a character outside the basic plane
// counts once, as the reader of the file sees it.
int charCount(const QString& s) {
    int n = s.size();
    for (const QChar c : s)
        if (c.isLowSurrogate()) --n;
    return n;
}

// Rows between two questions to the progress.
constexpr qint64 kProgressStride = 256;

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
            return kTextErrDiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
            return kTextErrPermission;
        case ENOENT:
        case ENOTDIR:
            return kTextErrPathNotFound;
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
        failure_ = writeWholeText(out_, bytes);
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

std::optional<ExportFailure> writeWholeText(QIODevice& out, const QByteArray& bytes) {
    // A device may take part of the bytes; the rest is offered again until it
    // is all written or the device reports an error.
    errno = 0;
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) break;
        done += n;
    }
    if (done == bytes.size()) return std::nullopt;
    const int err = errno;
    QString desc = out.errorString();
    if (desc.isEmpty() || desc == QLatin1String("Unknown error"))
        desc = QStringLiteral("Device I/O error");
    return ExportFailure{errnoToNumber(err, kTextErrDeviceIO), desc};
}

int textFailureNumber(int err, int fallback) {
    return errnoToNumber(err, fallback);
}

std::optional<ExportFailure> writeTextTable(const TableSource& table,
                                            const TextTableOptions& options, QIODevice& out) {
    const TableSource& lv = table;
    const int n = lv.columnCount();
    const int rows = lv.rowCount();

    // Column widths over every row, selected or not, so that a file written
    // from a selection lines up with one written from the whole list. Every
    // column but the last gets one more place for the blank that separates it
    // from the next.
    std::vector<int> w(static_cast<size_t>(n), 0);
    const qint64 steps = options.readable ? 2 * qint64(rows) : rows;
    // Every so many rows the progress is asked whether to go on.
    auto goOn = [&](qint64 done) {
        return !options.progress || done % kProgressStride != 0 || options.progress(done, steps);
    };
    if (options.readable) {
        for (int k = 1; k <= n; ++k) w[k - 1] = charCount(lv.columnText(k));
        for (int i = 1; i <= rows; ++i) {
            if (!goOn(i)) return ExportFailure{kTextCancelled, QStringLiteral("Cancelled")};
            for (int k = 1; k <= n; ++k)
                w[k - 1] = std::max(w[k - 1], charCount(lv.cellText(i, k)));
        }
        for (int k = 1; k < n; ++k) ++w[k - 1];
    }

    LineWriter writer(out);
    QString line;
    // Appends one field and its separator: padding to the column's width in
    // readable mode, a tab in structured mode.
    auto addField = [&](const QString& text, int k) {
        line += text;
        if (options.readable) {
            const int pad = w[k - 1] - charCount(text);
            if (pad > 0) line.append(QString(pad, QLatin1Char(' ')));
        } else {
            line += QLatin1Char('\t');
        }
    };

    if (!options.header.isEmpty()) {
        writer.line(options.header);
        writer.line(QString(charCount(options.header), QLatin1Char('=')));
        writer.line(QString());
    }

    if (options.writeHeader) {
        line.clear();
        for (int k = 1; k <= n; ++k) addField(lv.columnText(k), k);
        writer.line(trimBlanks(line));
        // The rule is as long as the line was before its blanks were trimmed.
        writer.line(QString(charCount(line), QLatin1Char('-')));
    }

    const qint64 first = options.readable ? rows : 0;
    for (int i = 1; i <= rows && !writer.failure(); ++i) {
        if (!goOn(first + i)) return ExportFailure{kTextCancelled, QStringLiteral("Cancelled")};
        if (options.onlySelected && !lv.isSelected(i)) continue;
        line.clear();
        for (int k = 1; k <= n; ++k) addField(lv.cellText(i, k), k);
        writer.line(trimBlanks(line));
    }
    if (options.progress && !writer.failure() && !options.progress(steps, steps))
        return ExportFailure{kTextCancelled, QStringLiteral("Cancelled")};
    writer.flush();
    return writer.failure();
}

}  // namespace listcaster
