#include "ExportList.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace fd::test {

namespace {

// The application object of a child wants a private runtime folder; this
// one is made when the test program starts, before any child, and goes with
// the program.
struct RuntimeFolder {
    QTemporaryDir dir;
    RuntimeFolder() {
        if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    }
} runtimeFolder;

}  // namespace

QTreeWidget* makeExportList(int rows) {
    static int argc = 1;
    static char name[] = "crash";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    auto* list = new QTreeWidget;
    list->setColumnCount(6);
    list->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Engine"), QStringLiteral("Page"),
                           QStringLiteral("Title"), QStringLiteral("Description"),
                           QStringLiteral("Keywords")});
    for (int i = 0; i < rows; ++i)
        new QTreeWidgetItem(
            list, {QStringLiteral("12/8/2026"), QStringLiteral("Engine"),
                   QStringLiteral("/page-%1.htm").arg(i), QStringLiteral("Title %1").arg(i),
                   QStringLiteral("A page of the shop"), QStringLiteral("shop, goods")});
    return list;
}

}  // namespace fd::test
