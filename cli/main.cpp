// farrowdale-cli: the program's work without a window.

#include <QCoreApplication>

#include "Cli.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The same names as the window, so the per-user data folder is the same.
    QCoreApplication::setApplicationName(QStringLiteral("Farrowdale"));
    QCoreApplication::setOrganizationName(QStringLiteral("Farrowdale"));
    return fd::cli::run(QCoreApplication::arguments().mid(1));
}
