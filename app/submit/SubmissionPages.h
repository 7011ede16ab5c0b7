#pragma once
// The pages of a submission: as the user asks for them, and as they go out.

#include <QString>
#include <QStringList>
#include <vector>

namespace fd {

// One page the user asks to submit: its address as the tree or the URL box
// gives it, and the page path a submission records for it ("" when the
// address was typed, not taken from the tree).
struct PageToSubmit {
    QString url;
    QString path;
};

// A page that will go out: its address as it is sent beside what is
// recorded.
struct PlannedPage {
    QString url;
    QString path;
};

// Every page of the site directory tree as a click on its node gives it:
// the root URL followed by the node's text, or the text alone when it is a
// full address of its own; the node's text is the page path.
std::vector<PageToSubmit> treePagesToSubmit(const QString& rootUrl, const QStringList& nodes);

}  // namespace fd
