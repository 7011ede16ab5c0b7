// Hosts the list export control beside a list of a few rows, the way a report
// window does: the list is bound once, the control carries a title.
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "listcaster/ctlRowporter.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("List export demo"));

    auto* list = new QTreeWidget(&window);
    list->setObjectName(QStringLiteral("lvwDemo"));
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setHeaderLabels({QStringLiteral("URL"), QStringLiteral("Date"), QStringLiteral("Engine"),
                           QStringLiteral("Hits")});
    list->headerItem()->setTextAlignment(3, Qt::AlignRight);
    const QStringList rows[] = {
        {"index.htm", "3.1.02", "Searchly", "12"},       {"a.htm", "1.1.02", "Findex", "3"},
        {"products/b.htm", "5.2.02", "Searchly", "140"}, {"about.htm", "7.2.02", "Lookwise", "9"},
        {"contact.htm", "9.3.02", "Findex", "27"},
    };
    for (const QStringList& r : rows) {
        auto* item = new QTreeWidgetItem(r);
        item->setTextAlignment(3, Qt::AlignRight);
        list->addTopLevelItem(item);
    }
    list->topLevelItem(2)->setForeground(0, Qt::darkRed);
    QFont bold = list->font();
    bold.setBold(true);
    list->topLevelItem(2)->setFont(0, bold);
    for (int c = 0; c < list->columnCount(); ++c) list->resizeColumnToContents(c);

    auto* control = new listcaster::ctlRowporter(&window);
    control->BindToListView(list);
    control->setTitle(QStringLiteral("Pages"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Submitted pages"), &window));
    top->addStretch(1);
    top->addWidget(control);
    auto* layout = new QVBoxLayout(&window);
    layout->addLayout(top);
    layout->addWidget(list);
    window.resize(520, 300);
    window.show();
    return app.exec();
}
