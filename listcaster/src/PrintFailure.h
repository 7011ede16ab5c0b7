#pragma once
// How a failed printout ends: the document is aborted so nothing more reaches
// the printer, the system beeps, and the user is told the error number and
// description.

#include <QString>

#include "listcaster/PrinterDevice.h"
#include "listcaster/Prompter.h"

namespace listcaster {

inline void reportPrintFailure(PrinterDevice& printer, int number, const QString& description) {
    try {
        printer.abortDoc();
    } catch (...) {
        // The document is given up either way.
    }
    prompter().beep();
    prompter().message(nullptr, MessageIcon::Warning, QStringLiteral(LISTCASTER_PRODUCT_NAME),
                       QString::number(number) + QLatin1Char(' ') + description);
}

}  // namespace listcaster
