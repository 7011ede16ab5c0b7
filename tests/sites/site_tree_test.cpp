// The site directory tree and its page lists driven offscreen: import, save,
// Add Page, Clear, the tree's click and keys, the address box and dropped
// files.
#include <QDir>
#include <QListWidget>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "SitesFixture.h"
#include "sites/PageList.h"

using namespace fd;
using namespace fd::test;

namespace {

class SiteTreeTest : public SitesFixture {
protected:
    // Three sites, the third "My Web Site" selected with one root URL.
    void makeSites() {
        folder.exec(
            QStringLiteral("insert into WebSites (WebSiteGenericName) values "
                           "('Alpha'), ('Beta'), ('My Web Site')"));
        folder.exec(
            QStringLiteral("insert into WebSiteNames (WebSiteID, WebSiteBaseURL) values "
                           "(3, 'http://my.example/')"));
        config->UpdateWebSiteNameList(QStringLiteral("My Web Site"));
        ASSERT_EQ(config->siteIndex(), 2);
    }
    void import(const QByteArray& bytes) {
        pages->getReportFile(writeList(QStringLiteral("import.wsr"), bytes));
    }
    QTreeWidgetItem* page(int i) { return tree->rootNode()->child(i); }
    QString picture(int i) {
        return page(i)->data(0, sites::SiteDirectoryTree::kPictureRole).toString();
    }
};

TEST_F(SiteTreeTest, import_pagesPicturesAndLastListFile) {
    makeSites();
    const QByteArray list = "index.htm\r\n\r\nLOGO.GIF\r\nshop/cart.asp\r\ncontact\r\nlast.doc";
    import(list);
    EXPECT_EQ(tree->pages(),
              (QStringList{"index.htm", "LOGO.GIF", "shop/cart.asp", "contact", "last.doc"}));
    EXPECT_EQ(tree->rootNode()->text(0), QStringLiteral("http://my.example/"));
    EXPECT_TRUE(tree->rootNode()->isExpanded());
    EXPECT_EQ(picture(0), QStringLiteral("HTM"));
    EXPECT_EQ(picture(1), QStringLiteral("MSC"));
    EXPECT_EQ(picture(2), QStringLiteral("ASP"));
    EXPECT_EQ(picture(3), QStringLiteral("MSC"));
    EXPECT_EQ(picture(4), QStringLiteral("DOC"));
    EXPECT_FALSE(page(0)->icon(0).isNull());
    const QString path = folder.file(QStringLiteral("import.wsr"));
    EXPECT_EQ(config->lastReport(), path);
    EXPECT_EQ(sql("select LastListFile from WebSites where WebSiteID = 3"), path);

    // Collapsing the root opens it again; labels cannot be edited.
    tree->collapseItem(tree->rootNode());
    EXPECT_TRUE(tree->rootNode()->isExpanded());
    EXPECT_FALSE(page(0)->flags() & Qt::ItemIsEditable);
}

TEST_F(SiteTreeTest, import_failureLeavesTreeAsItWas) {
    makeSites();
    import("a.htm\r\nb.htm\r\n");
    pages->getReportFile(folder.file(QStringLiteral("gone.wsr")));
    EXPECT_EQ(tree->pages(), (QStringList{"a.htm", "b.htm"}));
    EXPECT_EQ(config->lastReport(), folder.file(QStringLiteral("import.wsr")));
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral(",getReportFile,53,")));

    pages->getReportFile(writeList(QStringLiteral("pic.wsr"), QByteArray("GIF89a\0\0\x01", 9)));
    EXPECT_EQ(tree->pages(), (QStringList{"a.htm", "b.htm"}));

    // The dialog cancelled: logged, nothing changed.
    pages->importList();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].filterIndex, 3);
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, folder.file(QStringLiteral("WebPageLists")));
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral(",getReportFile,32755,")));
    EXPECT_EQ(tree->pages(), (QStringList{"a.htm", "b.htm"}));

    // A list that is not UTF-8 is read as Latin-1.
    import("caf\xe9.htm\r\n");
    EXPECT_EQ(tree->pages(), QStringList{QStringLiteral("café.htm")});
}

// A long import shows progress; Cancel, while reading or while building the
// tree, leaves the tree, the site's list file and the last list as they were.
TEST_F(SiteTreeTest, import_cancelledLeavesEverythingAsItWas) {
    makeSites();
    import("a.htm\r\nb.htm\r\n");
    ASSERT_EQ(dialogs.progresses.size(), 1u);
    EXPECT_EQ(dialogs.progresses[0].furthest, dialogs.progresses[0].maximum);
    EXPECT_TRUE(dialogs.progresses[0].text.contains(QStringLiteral("import.wsr")));

    const qint64 half = dialogs.progresses[0].maximum / 2;
    for (const qint64 cancelAt : {qint64(1), half + 1}) {
        dialogs.cancelProgressAt = cancelAt;
        pages->getReportFile(writeList(QStringLiteral("other.wsr"), "x.htm\r\ny.htm\r\nz.htm"));
        EXPECT_EQ(tree->pages(), (QStringList{"a.htm", "b.htm"})) << cancelAt;
        EXPECT_EQ(config->lastReport(), folder.file(QStringLiteral("import.wsr")));
        EXPECT_EQ(sql("select LastListFile from WebSites where WebSiteID = 3"),
                  folder.file(QStringLiteral("import.wsr")));
    }
    EXPECT_EQ(folder.errorLog(), QString());  // a cancel is no failure
}

// Pages keep their text, picture and flags through the compact nodes: a
// renamed node reads back renamed, with the picture of its new type.
TEST_F(SiteTreeTest, pageNodes_readAndRenameAsPlainNodes) {
    makeSites();
    import("a.htm\r\n");
    page(0)->setText(0, QStringLiteral("b.zip"));
    EXPECT_EQ(tree->pages(), QStringList{"b.zip"});
    EXPECT_EQ(picture(0), QStringLiteral("ZIP"));
    EXPECT_TRUE(tree->containsNode(QStringLiteral("b.zip")));
    std::unique_ptr<QTreeWidgetItem> copy(page(0)->clone());
    EXPECT_EQ(copy->text(0), QStringLiteral("b.zip"));
    EXPECT_EQ(copy->flags(), page(0)->flags());
}

TEST_F(SiteTreeTest, import_needsSiteAndRoot) {
    pages->importList();
    EXPECT_EQ(
        dialogs.lastText(),
        QStringLiteral("Please Create a web site name and root URL before importing a list."));
    typeInto(siteBox(), QStringLiteral("New"));
    pages->importList();
    EXPECT_EQ(
        dialogs.lastText(),
        QStringLiteral("Please enter the root URL of this web site before importing a list."));
    EXPECT_TRUE(dialogs.fileRequests.empty());
}

TEST_F(SiteTreeTest, save_namedByKeyAndName_rootAloneWritesNothing) {
    makeSites();
    pages->cmdClearFilesList_Click();
    config->UpdateWebSiteConfiguration();
    const QString file = folder.file(QStringLiteral("3_My_Web_Site.wsr"));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(sql("select LastListFile from WebSites where WebSiteID = 3"), QString());

    tree->addPages({"index.htm", "it's \"quoted\".htm"});
    config->UpdateWebSiteConfiguration();
    EXPECT_EQ(readFile(file), QByteArray("index.htm\r\nit's \"quoted\".htm\r\n\r\n"));
    EXPECT_EQ(sql("select LastListFile from WebSites where WebSiteID = 3"),
              QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(folder.errorLog(), QString());
}

// A list that cannot be written (here its name is taken by a folder) is
// logged; the site keeps the list file it had.
TEST_F(SiteTreeTest, save_failureIsLoggedAndLastListFileKept) {
    makeSites();
    import("a.htm\r\n");
    QDir(folder.path()).mkdir(QStringLiteral("3_My_Web_Site.wsr"));
    config->UpdateWebSiteConfiguration();
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral(",UpdateWebSiteConfiguration,")));
    EXPECT_EQ(sql("select LastListFile from WebSites where WebSiteID = 3"),
              folder.file(QStringLiteral("import.wsr")));
    EXPECT_EQ(tree->pages(), QStringList{"a.htm"});
}

TEST_F(SiteTreeTest, clearAsksFirst) {
    makeSites();
    import("a.htm\r\n");
    dialogs.answers = {MsgAnswer::No, MsgAnswer::Cancel, MsgAnswer::Yes};
    pages->clearList();
    pages->clearList();
    EXPECT_EQ(tree->nodeCount(), 2);
    pages->clearList();
    EXPECT_EQ(tree->nodeCount(), 1);
    EXPECT_EQ(dialogs.messages.back().buttons, MsgButtons::YesNoCancel);
}

TEST_F(SiteTreeTest, addPage_rootRemovedQueryAskedDuplicatesReported) {
    hub.address.setText(QStringLiteral("http://my.example/x.htm"));
    addPage->click();
    EXPECT_TRUE(dialogs.lastText().contains(QStringLiteral("\"Configuration\" tab")));

    makeSites();
    hub.address.setText(QStringLiteral("http://my.example/"));
    addPage->click();
    EXPECT_EQ(tree->nodeCount(), 1);  // the root itself: an empty page
    EXPECT_FALSE(addPage->isEnabled());

    hub.address.setText(QStringLiteral("http://my.example/shop.asp?id=4"));
    EXPECT_TRUE(addPage->isEnabled());
    dialogs.answers = {MsgAnswer::Yes};
    addPage->click();
    EXPECT_EQ(tree->pages(), QStringList{"shop.asp"});
    EXPECT_EQ(picture(0), QStringLiteral("ASP"));

    hub.address.setText(QStringLiteral("http://my.example/shop.asp"));
    addPage->click();
    EXPECT_EQ(hub.status, QStringLiteral("Already in the List."));
    EXPECT_EQ(tree->pages(), QStringList{"shop.asp"});

    dialogs.answers = {MsgAnswer::No};
    hub.address.setText(QStringLiteral("http://my.example/shop.asp?id=5"));
    addPage->click();
    EXPECT_EQ(tree->pages(), (QStringList{"shop.asp", "shop.asp?id=5"}));
}

TEST_F(SiteTreeTest, addressBox_backslashesAndEnabling) {
    makeSites();
    hub.address.setText(QStringLiteral("HTTP:\\\\MY.example\\a\\b.htm"));
    EXPECT_EQ(hub.address.text(), QStringLiteral("HTTP://MY.example/a/b.htm"));
    EXPECT_TRUE(addPage->isEnabled());
    hub.address.setText(QStringLiteral("http://other.example/"));
    EXPECT_FALSE(addPage->isEnabled());
}

TEST_F(SiteTreeTest, addressBox_enterAndCtrlEnter) {
    hub.address.setText(QStringLiteral("example"));
    QTest::keyClick(&hub.address, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(hub.address.text(), QStringLiteral("http://www.example.com"));
    QTest::keyClick(&hub.address, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(hub.address.text(), QStringLiteral("http://www.example.com"));
    hub.address.setText(QStringLiteral("plain"));
    QTest::keyClick(&hub.address, Qt::Key_Return);
    EXPECT_EQ(hub.wentTo,
              (QStringList{"http://www.example.com", "http://www.example.com", "plain"}));
}

TEST_F(SiteTreeTest, treeClickDeleteAndEnter) {
    makeSites();
    import("a.htm\r\nb.htm\r\n");
    tree->clearSelection();
    tree->setCurrentItem(nullptr);
    pages->treeClicked();
    EXPECT_EQ(
        dialogs.lastText(),
        QStringLiteral(
            "You must first import a list of files. See your administrator for more information"));

    tree->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tree.get()));
    const QRect r = tree->visualItemRect(page(1));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(hub.pagesToSubmit, QStringList{"http://my.example/b.htm"});
    EXPECT_EQ(hub.wentTo, QStringList{"http://my.example/b.htm"});

    // Delete on the root does nothing; on a page it removes the page.
    tree->setCurrentItem(tree->rootNode());
    QTest::keyClick(tree.get(), Qt::Key_Delete);
    EXPECT_EQ(tree->nodeCount(), 3);
    tree->setCurrentItem(page(0));
    QTest::keyClick(tree.get(), Qt::Key_Delete);
    EXPECT_EQ(tree->pages(), QStringList{"b.htm"});

    // Enter opens the selected node; on the root its own text.
    tree->setCurrentItem(tree->rootNode());
    QTest::keyClick(tree.get(), Qt::Key_Return);
    EXPECT_EQ(hub.wentTo.last(), QStringLiteral("http://my.example/"));
}

TEST_F(SiteTreeTest, droppedFile_fillsFileListAndClickOpens) {
    makeSites();
    const QString path = writeList(QStringLiteral("drop.txt"), "one.htm\ntwo.htm\r\n\r\n");
    QListWidget* files = config->filesList();
    files->addItem(QStringLiteral("old"));

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    // A drop goes to the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(files->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(files->viewport(), &drop);
    ASSERT_EQ(files->count(), 2);
    EXPECT_EQ(files->item(1)->text(), QStringLiteral("two.htm"));

    emit files->itemClicked(files->item(1));
    EXPECT_EQ(hub.wentTo, QStringList{"http://my.example/two.htm"});

    pages->dropFile(folder.file(QStringLiteral("nothing.txt")));
    EXPECT_EQ(files->count(), 0);
    EXPECT_TRUE(folder.errorLog().contains(QStringLiteral("lstFiles_OLEDragDrop")));
}

}  // namespace
