#pragma once
// A page's address from the site's root URL and the text of its node in the
// site directory tree: the one rule every room uses (the browser on a click,
// submission and check, the site maps, the audit, the command line, the
// discovery of pages), and its inverse.

#include <QString>

namespace fd::sites {

enum class Fragment { Drop, Keep };

// The page's address. Blanks around the root URL and the node text are
// trimmed. A text that is itself an absolute address ("<scheme>://...")
// stands as it is; an empty text is the root URL itself; a text beginning
// with "?" is a query of the root URL; any other text follows the root URL
// with exactly one "/" between them (one is added when neither has it, one of
// two is dropped). A fragment ("#" and what follows it) is dropped unless
// asked for: an address that is submitted, listed in a sitemap or audited
// never carries one, while the browser may open the page at it.
QString pageAddress(const QString& rootUrl, const QString& nodeText,
                    Fragment fragment = Fragment::Drop);

// The length of "<scheme>" when text begins with "<scheme>://" (a letter,
// then letters, digits, "+", "-" or "."), else 0.
qsizetype absoluteSchemeLength(QStringView text);

// The node text that gives back address under rootUrl through pageAddress:
// the part after the root URL when the address lies under it (scheme and
// host compared without regard to case, the path exactly), else the address
// itself. The address is taken without a fragment.
QString nodeTextFor(const QString& rootUrl, const QString& address);

}  // namespace fd::sites
