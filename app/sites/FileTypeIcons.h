#pragma once
// The pictures of the site directory tree, one 16x16 icon per file-type key,
// drawn once and shared by every node.

#include <QIcon>
#include <QString>

namespace fd::sites {

// The icon of a key of fileTypeKeys(); the "MSC" icon for any other key.
QIcon fileTypeIcon(const QString& key);

}  // namespace fd::sites
