// The control as a host uses it: its fixed size, its buttons before and after
// binding, the export menu, and re-binding to another list.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

#include "FakePrompter.h"
#include "ListFixtures.h"
#include "ModalHelper.h"
#include "listcaster/ListViewSource.h"
#include "listcaster/ctlRowporter.h"

using namespace listcaster;
using listcaster::test::FakePrompter;

namespace {

QSize expectedSize() {
    const int bw = qRound(315 / ListViewSource::twipsPerPixelX());
    const int bh = qRound(315 / ListViewSource::twipsPerPixelY());
    return {2 * bw, bh};
}

}  // namespace

TEST(Control, alwaysSnapsBackToTheSizeOfItsTwoButtons) {
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    auto* ctl = new ctlRowporter(&host);
    layout->addWidget(ctl);
    host.resize(600, 400);
    host.show();
    EXPECT_EQ(ctl->size(), expectedSize());
    ctl->resize(300, 200);
    EXPECT_EQ(ctl->size(), expectedSize());
    ctl->resize(5, 5);
    EXPECT_EQ(ctl->size(), expectedSize());

    auto* print = ctl->findChild<QToolButton*>("btnPrint");
    auto* exp = ctl->findChild<QToolButton*>("btnExport");
    ASSERT_TRUE(print && exp);
    EXPECT_EQ(print->geometry(), QRect(0, 0, expectedSize().width() / 2, expectedSize().height()));
    EXPECT_EQ(exp->x(), print->width());
    EXPECT_EQ(print->toolTip(), "Print list");
    EXPECT_EQ(exp->toolTip(), "Export list");
    EXPECT_EQ(print->iconSize(), QSize(16, 16));
    EXPECT_FALSE(print->icon().isNull());
    EXPECT_FALSE(exp->icon().isNull());
}

TEST(Control, buttonsAreDisabledUntilBoundAndAfterTheListIsGone) {
    ctlRowporter ctl;
    auto* print = ctl.findChild<QToolButton*>("btnPrint");
    auto* exp = ctl.findChild<QToolButton*>("btnExport");
    EXPECT_FALSE(print->isEnabled());
    EXPECT_FALSE(exp->isEnabled());

    auto list = test::makeList({"A"}, {{"x"}});
    ctl.BindToListView(list.get());
    EXPECT_TRUE(print->isEnabled());
    EXPECT_TRUE(exp->isEnabled());

    list.reset();
    EXPECT_FALSE(print->isEnabled());
    EXPECT_FALSE(exp->isEnabled());
}

TEST(Control, exportButtonOpensTheMenuBelowItself) {
    QWidget host;
    auto* ctl = new ctlRowporter(&host);
    ctl->move(40, 30);
    auto list = test::makeList({"A"}, {{"x"}});
    ctl->BindToListView(list.get());
    host.show();

    auto* menu = ctl->findChild<QMenu*>("mnPopupExport");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), "PopupExport");
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->objectName(), "mnPopupExportTextfile");
    EXPECT_EQ(actions[0]->text(), "Export to &textfile...");
    EXPECT_EQ(actions[1]->objectName(), "mnPopupExportExcel");
    EXPECT_EQ(actions[1]->text(), "Export to Microsoft E&xcel...");

    auto* exp = ctl->findChild<QToolButton*>("btnExport");
    exp->click();
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), ctl->mapToGlobal(QPoint(exp->x(), exp->y() + exp->height())));
    menu->hide();
}

TEST(Control, secondBindingReplacesTheFirstForTheNextDialog) {
    FakePrompter fake;
    FakePrompter::Scope scope(fake);
    auto first = test::makeList({"A"}, {{"x"}});
    auto second = test::makeList({"B"}, {{"y"}, {"z"}});
    test::selectRows(*second, {0, 1});

    ctlRowporter ctl;
    ctl.BindToListView(first.get());
    ctl.BindToListView(second.get());
    ctl.setTitle("Second");

    QString count, title;
    test::whenModalShown([&](QDialog* d) {
        count = d->findChild<QLabel*>("lblSelectedItemCount")->text();
        title = d->findChild<QLineEdit*>("txtTitle")->text();
    });
    ctl.findChild<QAction*>("mnPopupExportTextfile")->trigger();
    EXPECT_EQ(count, "2 entries selected");
    EXPECT_EQ(title, "Second");
    EXPECT_TRUE(fake.messages.empty());
}
