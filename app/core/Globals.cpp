#include "Globals.h"

#include <QDir>
#include <QUrl>

namespace fd {

Globals::Globals(const QString& folder)
    : programFolder(folder),
      gConnectionString(connectionStringFor(folder)),
      gDB(std::make_unique<CADODBAccess>(gConnectionString)),
      errorLog(std::make_unique<ErrorLog>(folder)) {}

QString Globals::pathInFolder(const QString& name) const {
    return QDir(programFolder).filePath(name);
}

QString Globals::fileUrl(const QString& name) const {
    return QUrl::fromLocalFile(pathInFolder(name)).toString();
}

}  // namespace fd
