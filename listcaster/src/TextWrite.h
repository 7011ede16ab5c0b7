#pragma once
// The library's own helper for writing text files whole.

#include <QByteArray>
#include <optional>

#include "listcaster/TextTable.h"

class QIODevice;

namespace listcaster {

// Writes bytes to out, offering the rest again when the device takes only
// part of them; the failure, described by its error number, if any.
std::optional<ExportFailure> writeWholeText(QIODevice& out, const QByteArray& bytes);

}  // namespace listcaster
