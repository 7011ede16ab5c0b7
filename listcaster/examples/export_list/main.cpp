// A host of the list export control: it fills a list of pages, binds the list
// to the control, then exports the list as a readable text file to the path
// given on the command line (default: pages.txt) and prints where it went.
// With a second argument "--show" the window stays open so the control's
// print and export buttons can be tried by hand.
#include <listcaster/clsLVTextExport.h>
#include <listcaster/ctlRowporter.h>

#include <QApplication>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("pages.txt");

    QWidget window;
    auto* list = new QTreeWidget(&window);
    list->setRootIsDecorated(false);
    list->setHeaderLabels(
        {QStringLiteral("Page"), QStringLiteral("Engine"), QStringLiteral("Hits")});
    const QStringList rows[] = {
        {QStringLiteral("index.htm"), QStringLiteral("Searchly"), QStringLiteral("12")},
        {QStringLiteral("about.htm"), QStringLiteral("Findex"), QStringLiteral("3")},
        {QStringLiteral("shop/cart.htm"), QStringLiteral("Lookwise"), QStringLiteral("140")}};
    for (const QStringList& r : rows) list->addTopLevelItem(new QTreeWidgetItem(r));

    // The control next to the list: its buttons print and export the list.
    auto* control = new listcaster::ctlRowporter(&window);
    control->BindToListView(list);
    control->setTitle(QStringLiteral("Submitted pages"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(control);
    layout->addWidget(list);

    // The same export the control's "Export to textfile" runs, without its
    // dialog.
    listcaster::clsLVTextExport exporter;
    exporter.setListView(list);
    exporter.setFilename(path);
    exporter.setHeader(QStringLiteral("Submitted pages"));
    if (!exporter.ExportListViewToTextfile(&window)) return 1;
    std::printf("exported %d rows to %s\n", list->topLevelItemCount(), qPrintable(path));

    if (argc > 2 && QString::fromLocal8Bit(argv[2]) == QLatin1String("--show")) {
        window.show();
        return app.exec();
    }
    return 0;
}
