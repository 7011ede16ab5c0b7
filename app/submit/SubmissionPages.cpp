#include "SubmissionPages.h"

#include "indexnow/IndexNowKey.h"

namespace fd {

std::vector<PageToSubmit> treePagesToSubmit(const QString& rootUrl, const QStringList& nodes) {
    std::vector<PageToSubmit> pages;
    pages.reserve(static_cast<std::size_t>(nodes.size()));
    for (const QString& p : nodes)
        pages.push_back({parseWebAddress(p).valid() ? p : rootUrl + p, p});
    return pages;
}

}  // namespace fd
