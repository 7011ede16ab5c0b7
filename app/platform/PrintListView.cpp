#include "PrintListView.h"

#include <QTreeWidget>
#include <cmath>
#include <vector>

namespace fd {

void PrintListView(QTreeWidget* list, short maxRows, PrinterDevice& printer, ErrorSink& log) {
    leaveOnError(log, QStringLiteral("modCommonFunctions_PrintListView"), [&] {
        if (!list)
            throw AppError(91, QStringLiteral("Object variable not set"),
                           QStringLiteral("PrintListView"));
        const int cols = list->columnCount();
        long long total = 0;
        for (int c = 0; c < cols; ++c) total += list->columnWidth(c);
        if (total <= 0) total = 1;
        // Start of column i (1-based, i >= 1): the rounded running sum of the
        // widths of columns 1..i-1 across the printable width.
        std::vector<double> start(static_cast<std::size_t>(cols) + 1, 0.0);
        double running = 0;
        for (int c = 0; c < cols; ++c) {
            running +=
                std::round(printer.pageWidth() * list->columnWidth(c) / static_cast<double>(total));
            start[static_cast<std::size_t>(c) + 1] = running;
        }
        for (int c = 0; c < cols; ++c) {
            printer.print(list->headerItem()->text(c), false);
            printer.setCurrentX(start[static_cast<std::size_t>(c) + 1]);
        }
        printer.newLine();
        const int items = list->topLevelItemCount();
        const int rows = (maxRows != 0 && maxRows < items) ? maxRows : items;
        for (int r = 0; r < rows; ++r) {
            const QTreeWidgetItem* it = list->topLevelItem(r);
            printer.print(it->text(0), false);
            for (int c = 1; c < cols; ++c) {
                printer.setCurrentX(start[static_cast<std::size_t>(c)]);
                printer.print(it->text(c), false);
            }
            printer.newLine();
        }
    });
}

}  // namespace fd
