#pragma once
// What the audit window's two lists show: their columns and the texts of one
// page and one finding. Plain logic, so the command line writes the same
// rows the window lists.

#include <QStringList>
#include <span>

#include "AuditTypes.h"

namespace fd::audit {

struct ListColumn {
    const char* caption;
    int width;     // pixels the window gives the column
    bool numeric;  // sorted by number
};

std::span<const ListColumn> pageListColumns();
std::span<const ListColumn> findingListColumns();

// One row of the pages list and of the findings list.
QStringList pageListRow(const AuditPage& page);
QStringList findingListRow(const AuditFinding& finding);
// The findings list's column of severities, which sorts errors first, then
// warnings, then notices.
int findingSeverityColumn();

}  // namespace fd::audit
