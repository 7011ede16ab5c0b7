#pragma once
// Addresses as the audit compares them, and the addresses of the listed pages.

#include <QString>
#include <QStringList>
#include <QUrl>

namespace fd::audit {

// The one form of an http(s) address the audit keys pages by: scheme and
// host in lower case, no default port, no fragment, "/" for an empty path,
// dot segments removed, percent-encoded. Empty for any other scheme or an
// address without a host.
QString auditUrl(const QUrl& url);
QString auditUrl(const QString& url);

// "scheme://host:port": robots.txt, the per-host limits and the delay apply
// per origin.
QString originOf(const QUrl& url);

// The addresses of the site directory tree: the root URL, then each page. A
// page's address is the root URL followed by the page's text, as the tree
// builds it; a page given as a full http(s) address stays as it is, and a
// "/" is put between a root URL without a path and a page that lacks one.
QStringList pageUrls(const QString& rootUrl, const QStringList& pages);

}  // namespace fd::audit
