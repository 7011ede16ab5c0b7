#pragma once
// The page list of the selected site: importing a list file into the site
// directory tree, saving the tree per site, adding the page in the browser,
// clearing, and what clicks and keys on the tree, the address box and the
// hidden file list do.

#include <QList>
#include <QObject>
#include <QString>

#include "SitesServices.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QWidget;

namespace fd::sites {

class ConfigurationTab;
class SiteDirectoryTree;

class PageListController : public QObject {
    Q_OBJECT
public:
    PageListController(const SitesServices& services, SiteDirectoryTree* tree,
                       ConfigurationTab* config, QObject* parent = nullptr);

    // The button "&Add Page to List" and the browser's address box.
    void attachAddPageButton(QPushButton* button);
    void attachAddressBox(QLineEdit* address);
    // Files dropped on this widget fill the hidden file list.
    void acceptFileDrops(QWidget* target);

    // Imports a page-list file into the tree; asks for one when the name is
    // empty. A long list shows its progress and can be cancelled. Failures
    // are logged; the tree is left as it was unless the file was read whole.
    void getReportFile(const QString& fileName = QString());
    // While the main window loads: a list to import is only noted (the last
    // one noted wins; clearing the tree drops it), so the window shows before
    // a long list is read.
    void deferImports();
    // Imports the list noted while deferring, and imports at once again.
    void importDeferred();
    // True when the root URL box holds a root URL, which a list is kept
    // under; otherwise says what is missing, as an import does, and puts the
    // focus where it is needed.
    bool rootReadyForList();
    // Makes pages the tree's list under the root URL and saves it, the site
    // then remembering the saved file as it remembers an imported one. A long
    // list shows its progress and can be cancelled (the tree is then as it
    // was). False when the tree was left as it was or the list could not be
    // saved (logged under routine).
    bool takeList(const QStringList& pages, const QString& routine);
    // Writes the tree to the site's list file and remembers it in the site's
    // row. Throws AppError when either fails or no site is selected (the
    // caller's trap logs it).
    void savePageList();
    // The tree emptied down to its root node.
    void cmdClearFilesList_Click();
    // Makes sure the root node exists and shows the root URL box's text.
    void UpdateRootURLinFilesWindow();
    void setRootNodeText(const QString& text);
    void expandFirstNode();

    // Menu items and buttons.
    void importList();  // "&Import Webpage List"
    void clearList();   // "&Clear Webpage List": asks first
    void addPage();     // "&Add Page to List"

    // The tree's click, Delete and Enter.
    void treeClicked();
    void treeDelete();
    void treeEnter();

    // The address box: its change, and Enter (Ctrl+Enter completes it first).
    void addressChanged();
    void addressEnter(bool ctrl);

    // A file dropped on the window or the file list; a click on the list.
    void dropFile(const QString& path);
    void filesListClicked(QListWidgetItem* item);

    // The path of the list file of the selected site. Throws AppError when
    // none is selected.
    QString listFilePath() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString rootText() const;
    void openNode(const QString& url);

    SitesServices s_;
    SiteDirectoryTree* tree_;
    ConfigurationTab* config_;
    QPushButton* cmdAddPage_ = nullptr;
    QLineEdit* address_ = nullptr;
    QList<QObject*> dropTargets_;
    bool rewritingAddress_ = false;
    bool deferring_ = false;
    QString deferredFile_;
};

}  // namespace fd::sites
