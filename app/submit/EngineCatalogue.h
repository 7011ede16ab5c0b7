#pragma once
// The engine entries of the two engine lists, built from the rows of the
// catalogue query: which engines are listed, with which template and method.

#include <QString>
#include <vector>

#include "core/AppError.h"
#include "core/Recordset.h"

namespace fd {

class CADODBAccess;

// One entry of an engine list. The name is the entry's key (unique within a
// list) and its visible text; the template and the method travel with it.
struct EngineEntry {
    QString name;
    QString popularity;     // shown as text
    QString tips;           // column "Comments"; empty leaves it unset
    QString queryTemplate;  // submit or review template
    QString method;         // HTTPSubmitMethod (submission entries only)
};

struct EngineLists {
    std::vector<EngineEntry> review;
    std::vector<EngineEntry> submission;
};

// The catalogue query, ordered by popularity, then name.
QString engineListQuery();

// Builds both lists from the query's rows, in their order. An engine whose
// popularity text begins with "4" is in neither list; one with an empty review
// (submit) template is not in the review (submission) list. A name already in
// a list gets no second entry there: that failure is written to sink under
// "UpdateSearchEngineLists" and the next row is read.
EngineLists buildEngineLists(Recordset& rows, ErrorSink& sink);

// Runs the catalogue query and builds both lists. A query that fails is
// written to sink under "UpdateSearchEngineLists" and gives empty lists.
EngineLists loadEngineLists(const CADODBAccess& db, ErrorSink& sink);

// The error number of a second entry with the same key.
constexpr long kKeyNotUnique = 35602;

}  // namespace fd
