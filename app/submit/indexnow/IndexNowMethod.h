#pragma once
// IndexNow as a submission method: the root URL's key, the plan that keeps
// only pages the key covers, one page as a GET and a whole run in JSON POSTs
// of up to 10,000 URLs, always straight to the engine.

#include "submit/SubmissionMethod.h"

namespace fd {

class IndexNowMethod : public SubmissionMethod {
public:
    QString name() const override { return QStringLiteral("indexnow"); }
    // "indexnow" in any case, blanks around it ignored.
    bool matches(const QString& catalogueMethod) const override;
    bool waits(const SendChannel&) const override { return true; }
    // Reads the root URL's key (a failure is logged under "IndexNowKeys" and
    // leaves it empty) and plans the pages with it.
    SubmissionPlan plan(const CADODBAccess& db, ErrorSink& log, const SubmissionTarget& target,
                        const std::vector<PageToSubmit>& pages) const override;
    QString heldBack(const SubmissionPlan& plan, const QString& url) const override;
    SentPage send(const SubmissionTarget& target, const SubmissionPlan& plan,
                  const PlannedPage& page, const SendChannel& channel) const override;
    // "Engine answered 202: ..." when the engine answered, else "Engine: ...".
    QString answerText(const QString& engine, const LedgerAnswer& a) const override;

    bool sendsManyPerRequest() const override { return true; }
    SubmissionRunResult sendAll(const SubmissionTarget& target, const SubmissionPlan& plan,
                                const SendChannel& channel, const QString& databasePath,
                                const RunProgress& progress) const override;
    QString runSummary(const SubmissionRunResult& r, const SubmissionPlan& plan) const override;
};

}  // namespace fd
