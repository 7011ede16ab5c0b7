#pragma once
// Prints the column headers and rows of a list on a printer device, columns
// placed in proportion to their widths across the printable width. It neither
// starts a page nor ends the job: the caller owns the document.

#include "PrinterDevice.h"
#include "core/AppError.h"

class QTreeWidget;

namespace fd {

// maxRows 0 (or at least the number of rows) prints every row.
void PrintListView(QTreeWidget* list, short maxRows, PrinterDevice& printer, ErrorSink& log);

}  // namespace fd
