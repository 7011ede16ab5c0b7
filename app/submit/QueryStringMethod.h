#pragma once
// The engines that take a page in their query
// string: the template filled with the page and the submitter's details,
// sent as a GET, or as a form POST when the engine's method is "post".
// Through the browser in the window (the engine's answer page is shown and
// its load is the answer); straight to the engine without one.

#include "SubmissionMethod.h"

namespace fd {

// An address as a browser sends it: what the user typed, made a URL, with
// the apostrophe escaped in the query of a web address as browsers escape it.
QString browserUrl(const QString& address);

class QueryStringMethod : public SubmissionMethod {
public:
    enum Form { Get, FormPost };
    explicit QueryStringMethod(Form form) : form_(form) {}

    QString name() const override;
    bool waits(const SendChannel& channel) const override { return !channel.throughBrowser; }
    SentPage send(const SubmissionTarget& target, const SubmissionPlan& plan,
                  const PlannedPage& page, const SendChannel& channel) const override;

private:
    Form form_;
};

}  // namespace fd
