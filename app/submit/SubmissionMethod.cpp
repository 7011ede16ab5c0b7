#include "SubmissionMethod.h"

#include "QueryStringMethod.h"
#include "core/AppError.h"
#include "indexnow/IndexNowMethod.h"

namespace fd {

void SubmissionRunResult::count(const LedgerAnswer& a, qsizetype n) {
    ++requests;
    sent += n;
    if (a.status == 0) {
        unanswered += n;
        unansweredText = a.text;
    } else if (a.accepted) {
        accepted[a.status] += n;
    } else {
        refused[a.status] += n;
    }
}

qsizetype SubmissionRunResult::acceptedCount() const {
    qsizetype n = 0;
    for (const auto& [status, pages] : accepted) n += pages;
    return n;
}

bool SubmissionRunResult::succeeded() const {
    return planned > 0 && sent == planned && acceptedCount() == sent && !cancelled &&
           stopText.isEmpty() && recordError.isEmpty();
}

bool SubmissionMethod::matches(const QString& catalogueMethod) const {
    return catalogueMethod == name();
}

SubmissionPlan SubmissionMethod::plan(const CADODBAccess&, ErrorSink&, const SubmissionTarget&,
                                      const std::vector<PageToSubmit>& pages) const {
    SubmissionPlan plan;
    plan.pages.reserve(pages.size());
    for (const PageToSubmit& p : pages) plan.pages.push_back({p.url, p.path});
    return plan;
}

QString SubmissionMethod::heldBack(const SubmissionPlan&, const QString&) const {
    return {};
}

QString SubmissionMethod::answerText(const QString& engine, const LedgerAnswer& a) const {
    return engine + QStringLiteral(": ") + a.text + u'.';
}

SubmissionRunResult SubmissionMethod::sendAll(const SubmissionTarget&, const SubmissionPlan&,
                                              const SendChannel&, const QString&,
                                              const RunProgress&) const {
    throw AppError(err::kInvalidProcedureCall,
                   QStringLiteral("The method \"%1\" sends one page per request.").arg(name()),
                   QStringLiteral("SubmissionMethod"));
}

QString SubmissionMethod::runSummary(const SubmissionRunResult& r, const SubmissionPlan&) const {
    if (r.cancelled) return QStringLiteral("stopped; the pages before were submitted");
    const qsizetype notAccepted = r.sent - r.acceptedCount();
    if (notAccepted > 0)
        return QStringLiteral("%1 of %2 submissions were not accepted")
            .arg(notAccepted)
            .arg(r.sent);
    return QStringLiteral("%1 submissions accepted").arg(r.sent);
}

void SubmissionMethods::add(std::unique_ptr<SubmissionMethod> method) {
    methods_.push_back(std::move(method));
}

const SubmissionMethod* SubmissionMethods::find(const QString& catalogueMethod) const {
    for (const auto& m : methods_)
        if (m->matches(catalogueMethod)) return m.get();
    return nullptr;
}

const SubmissionMethod& SubmissionMethods::forEngine(const QString& catalogueMethod) const {
    if (const SubmissionMethod* m = find(catalogueMethod)) return *m;
    if (const SubmissionMethod* get = find(QStringLiteral("get"))) return *get;
    throw AppError(err::kInvalidProcedureCall,
                   QStringLiteral("No submission method \"get\" is registered."),
                   QStringLiteral("SubmissionMethods"));
}

QStringList SubmissionMethods::names() const {
    QStringList out;
    for (const auto& m : methods_) out << m->name();
    return out;
}

const SubmissionMethods& standardSubmissionMethods() {
    static const SubmissionMethods methods = [] {
        SubmissionMethods m;
        m.add(std::make_unique<QueryStringMethod>(QueryStringMethod::Get));
        m.add(std::make_unique<QueryStringMethod>(QueryStringMethod::FormPost));
        m.add(std::make_unique<IndexNowMethod>());
        return m;
    }();
    return methods;
}

}  // namespace fd
