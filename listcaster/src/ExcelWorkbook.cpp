#include "listcaster/ExcelWorkbook.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

namespace listcaster {

namespace {

constexpr int kUnset = -1;  // no colour of its own: Excel's automatic colour

// Everything that tells one cell format from another.
struct CellStyle {
    int fontColour = kUnset;
    bool bold = false;
    bool header = false;  // header row: font two points larger
    int fill = kUnset;
    uint8_t top = LXW_BORDER_NONE, bottom = LXW_BORDER_NONE;
    uint8_t left = LXW_BORDER_NONE, right = LXW_BORDER_NONE;
    int leftColour = kUnset;
    uint8_t align = LXW_ALIGN_LEFT;
    auto key() const {
        return std::tie(fontColour, bold, header, fill, top, bottom, left, right, leftColour,
                        align);
    }
    bool operator<(const CellStyle& o) const { return key() < o.key(); }
};

// libxlsxwriter reads colour 0 as "no colour"; black has its own value.
lxw_color_t toLxw(int rgb) {
    return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : static_cast<lxw_color_t>(rgb);
}

uint8_t toLxwAlign(Alignment a) {
    switch (a) {
        case Alignment::Right:
            return LXW_ALIGN_RIGHT;
        case Alignment::Centre:
            return LXW_ALIGN_CENTER;
        case Alignment::Left:
            break;
    }
    return LXW_ALIGN_LEFT;
}

class FormatCache {
public:
    FormatCache(lxw_workbook* wb, const FontSpec& font) : wb_(wb), font_(font) {}

    lxw_format* get(const CellStyle& s) {
        auto it = formats_.find(s);
        if (it != formats_.end()) return it->second;
        lxw_format* f = workbook_add_format(wb_);
        format_set_font_name(f, font_.name.toUtf8().constData());
        format_set_font_size(f, font_.size + (s.header ? 2 : 0));
        if (s.bold) format_set_bold(f);
        if (font_.italic) format_set_italic(f);
        if (font_.strikethrough) format_set_font_strikeout(f);
        if (s.fontColour != kUnset) format_set_font_color(f, toLxw(s.fontColour));
        format_set_num_format(f, "@");
        if (s.fill != kUnset) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, toLxw(s.fill));
        }
        if (s.top) format_set_top(f, s.top);
        if (s.bottom) format_set_bottom(f, s.bottom);
        if (s.left) format_set_left(f, s.left);
        if (s.leftColour != kUnset) format_set_left_color(f, toLxw(s.leftColour));
        if (s.right) format_set_right(f, s.right);
        format_set_align(f, s.align);
        formats_.emplace(s, f);
        return f;
    }

private:
    lxw_workbook* wb_;
    FontSpec font_;
    std::map<CellStyle, lxw_format*> formats_;
};

void check(lxw_error e) {
    if (e != LXW_NO_ERROR)
        throw WorkbookError{static_cast<int>(e), QString::fromUtf8(lxw_strerror(e))};
}

// Excel's header and footer text: "&" stands for itself only when doubled, and
// the whole section text is limited to 255 characters.
QByteArray headerText(const QString& title) {
    const QByteArray tail = "&R&D, &T";
    QString escaped = title;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    QByteArray out = "&L" + escaped.toUtf8();
    while (out.size() + tail.size() > 255 && !escaped.isEmpty()) {
        escaped.chop(1);
        if (escaped.endsWith(QLatin1Char('&')) && !escaped.endsWith(QLatin1String("&&")))
            escaped.chop(1);
        out = "&L" + escaped.toUtf8();
    }
    return out + tail;
}

}  // namespace

QString workbookWriterVersion() {
    return QStringLiteral("libxlsxwriter ") + QString::fromLatin1(LXW_VERSION);
}

void writeWorkbook(const QByteArray& fileName, const TableSource& list,
                   const WorkbookOptions& options) {
    lxw_workbook* wb = nullptr;
    try {
        lxw_workbook_options xlsx{};
        xlsx.constant_memory = LXW_TRUE;
        wb = workbook_new_opt(fileName.constData(), &xlsx);
        if (!wb) check(LXW_ERROR_CREATING_TMPFILE);
        lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
        if (!ws) check(LXW_ERROR_MEMORY_MALLOC_FAILED);

        const FontSpec sheetFont = list.font();
        FormatCache formats(wb, sheetFont);
        const int n = list.columnCount();
        std::vector<int> rows;
        for (int i = 1; i <= list.rowCount(); ++i)
            if (!options.onlySelected || list.isSelected(i)) rows.push_back(i);
        const int k = static_cast<int>(rows.size());

        std::vector<uint8_t> aligns(n);
        const double tpp = options.twipsPerPixelX > 0 ? options.twipsPerPixelX : 15.0;
        for (int m = 1; m <= n; ++m) {
            aligns[m - 1] = toLxwAlign(list.columnAlignment(m));
            const double width = list.columnWidthTwips(m) / tpp / 7.37;
            check(worksheet_set_column(ws, m - 1, m - 1, width, nullptr));
        }

        const bool bb = options.bordersAndBackground;
        // The outer frame drawn round the whole table.
        auto frame = [&](CellStyle& s, int row, int col) {
            if (!bb) return;
            if (row == 0) s.top = LXW_BORDER_MEDIUM;
            if (row == k) s.bottom = LXW_BORDER_MEDIUM;
            if (col == 0) {
                s.left = LXW_BORDER_MEDIUM;
                s.leftColour = kUnset;
            }
            if (col == n - 1) s.right = LXW_BORDER_MEDIUM;
        };

        // Header row: captions, bold and two points larger, grey with a white
        // left edge.
        for (int m = 0; m < n; ++m) {
            CellStyle s;
            s.header = true;
            s.bold = true;
            s.align = aligns[m];
            if (bb) {
                s.fill = 0xC0C0C0;
                s.left = LXW_BORDER_THIN;
                s.leftColour = 0xFFFFFF;
                s.bottom = LXW_BORDER_THIN;
            }
            frame(s, 0, m);
            check(worksheet_write_string(ws, 0, m, list.columnText(m + 1).toUtf8().constData(),
                                         formats.get(s)));
        }

        const int highlight = options.highlight;
        const int highlightText = options.highlightText;
        for (int r = 1; r <= k; ++r) {
            if (options.progress && r % 256 == 0 && !options.progress(r, k))
                throw WorkbookError{kWorkbookCancelled, QStringLiteral("Cancelled")};
            const int i = rows[r - 1];
            const bool marked = bb && options.mark && list.isSelected(i);
            for (int j = 1; j <= n; ++j) {
                // Column 1 is the row itself; a row may have fewer sub-items
                // than there are columns, and such cells stay empty.
                const bool hasSource = j == 1 || list.hasSubItem(i, j - 1);
                CellStyle s;
                s.align = aligns[j - 1];
                s.bold = sheetFont.bold;
                if (hasSource) {
                    s.fontColour = list.cellForeRgb(i, j);
                    s.bold = list.cellBold(i, j);
                }
                if (bb) {
                    if (marked) {
                        s.fill = highlight;
                        s.fontColour = highlightText;
                    }
                    s.bottom = LXW_BORDER_HAIR;
                }
                frame(s, r, j - 1);
                lxw_format* f = formats.get(s);
                if (hasSource)
                    check(worksheet_write_string(ws, r, j - 1,
                                                 list.cellText(i, j).toUtf8().constData(), f));
                else
                    check(worksheet_write_blank(ws, r, j - 1, f));
            }
        }

        if (options.progress && !options.progress(k, k))
            throw WorkbookError{kWorkbookCancelled, QStringLiteral("Cancelled")};
        check(worksheet_set_header(ws, headerText(options.header).constData()));
        check(worksheet_set_footer(ws, "&CSeite &P von &N"));

        errno = 0;
        const lxw_error closed = workbook_close(wb);
        const int closeErrno = errno;
        wb = nullptr;
        if (closed != LXW_NO_ERROR) {
            // The workbook's parts are written out here: the system's reason
            // (a full disk, a lost device) says more than the library's code.
            QString why = QString::fromUtf8(lxw_strerror(closed));
            if (closeErrno != 0)
                why +=
                    QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(closeErrno)) + u')';
            throw WorkbookError{static_cast<int>(closed), why};
        }
    } catch (const WorkbookError&) {
        if (wb) workbook_close(wb);  // frees it; the caller removes the file
        throw;
    }
}

}  // namespace listcaster
