#include "PageListController.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <utility>

#include "ConfigurationTab.h"
#include "PageList.h"
#include "SiteDirectoryTree.h"
#include "SiteSelection.h"
#include "core/AppError.h"

namespace fd::sites {

namespace {

// The import's progress runs over this many steps: the first half reads the
// file, the second builds the tree.
constexpr qint64 kProgressSteps = 1000;

// A part of one progress, from first over span steps, for one stage.
ProgressFn progressPart(Progress& progress, qint64 first, qint64 span) {
    return [&progress, first, span](qint64 done, qint64 total) {
        return progress.advance(first + (total > 0 ? done * span / total : span));
    };
}

// The first local file among the dragged data, or "" when there is none.
QString firstLocalFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& u : data->urls())
        if (u.isLocalFile()) return u.toLocalFile();
    return {};
}

}  // namespace

PageListController::PageListController(const SitesServices& services, SiteDirectoryTree* tree,
                                       ConfigurationTab* config, QObject* parent)
    : QObject(parent), s_(services), tree_(tree), config_(config) {
    config_->setPageLists(this);
    connect(tree_, &SiteDirectoryTree::clicked, this, &PageListController::treeClicked);
    connect(tree_, &SiteDirectoryTree::deletePressed, this, &PageListController::treeDelete);
    connect(tree_, &SiteDirectoryTree::enterPressed, this, &PageListController::treeEnter);
    QListWidget* files = config_->filesList();
    connect(files, &QListWidget::itemClicked, this, &PageListController::filesListClicked);
    acceptFileDrops(files);
}

void PageListController::attachAddPageButton(QPushButton* button) {
    cmdAddPage_ = button;
    connect(button, &QPushButton::clicked, this, &PageListController::addPage);
}

void PageListController::attachAddressBox(QLineEdit* address) {
    address_ = address;
    connect(address, &QLineEdit::textChanged, this, &PageListController::addressChanged);
    address->installEventFilter(this);
}

void PageListController::acceptFileDrops(QWidget* target) {
    target->setAcceptDrops(true);
    target->installEventFilter(this);
    dropTargets_.append(target);
    // A list view takes drops on its viewport.
    if (auto* view = qobject_cast<QAbstractScrollArea*>(target)) {
        view->viewport()->setAcceptDrops(true);
        view->viewport()->installEventFilter(this);
        dropTargets_.append(view->viewport());
    }
}

QString PageListController::rootText() const {
    return config_->rootText();
}

// --- import and save -----------------------------------------------------

void PageListController::getReportFile(const QString& fileName) {
    leaveOnError(s_.log(), QStringLiteral("getReportFile"), [&] {
        if (!rootReadyForList()) return;
        const QString root = rootText().trimmed();
        QString file = fileName;
        if (file.isEmpty()) {
            FileDialogRequest r;
            r.initialDir = QDir(s_.g.programFolder).filePath(QStringLiteral("WebPageLists"));
            r.filter = QStringLiteral(
                "All Files (*.*)|*.*|Text Files(*.txt)|*.txt|WSR Files (*.wsr)|*.wsr");
            r.filterIndex = 3;
            const std::optional<QString> chosen = s_.dialogs.openFile(s_.window, r);
            if (!chosen || chosen->isEmpty())
                throw AppError(err::kDialogCancelled, QStringLiteral("Cancel was selected."),
                               QStringLiteral("CommonDialog"));
            file = *chosen;
        }
        if (deferring_) {
            // The window is still loading: the list is imported once it shows.
            deferredFile_ = file;
            return;
        }
        // Read and build first: a missing or unreadable file, or a cancel,
        // leaves the tree as it was.
        const auto progress = s_.dialogs.progress(
            s_.window,
            QStringLiteral("Importing the page list %1 ...").arg(QFileInfo(file).fileName()),
            kProgressSteps);
        const std::optional<QStringList> pages =
            readPageListFile(file, progressPart(*progress, 0, kProgressSteps / 2));
        if (!pages) return;
        if (!tree_->replacePages(root, *pages,
                                 progressPart(*progress, kProgressSteps / 2, kProgressSteps / 2)))
            return;
        config_->setLastReport(file);
        config_->selection().rememberListFile(file);
    });
}

bool PageListController::rootReadyForList() {
    if (!rootText().trimmed().isEmpty()) return true;
    if (config_->siteText().trimmed().isEmpty()) {
        s_.message(
            QStringLiteral("Please Create a web site name and root URL before importing a list."));
        config_->focusSiteBox();
    } else {
        s_.message(
            QStringLiteral("Please enter the root URL of this web site before importing a list."));
        config_->focusRootBox();
    }
    return false;
}

bool PageListController::takeList(const QStringList& pages, const QString& routine) {
    bool taken = false;
    leaveOnError(s_.log(), routine, [&] {
        const QString root = rootText().trimmed();
        if (root.isEmpty()) return;
        // Without a selected site the list would have no owner and no name:
        // the tree is not touched (this throws).
        config_->selection().listFilePath();
        const auto progress = s_.dialogs.progress(
            s_.window, QStringLiteral("Building the page list ..."), kProgressSteps);
        if (!tree_->replacePages(root, pages, progressPart(*progress, 0, kProgressSteps))) return;
        savePageList();
        config_->setLastReport(listFilePath());
        taken = true;
    });
    return taken;
}

void PageListController::deferImports() {
    deferring_ = true;
    deferredFile_.clear();
}

void PageListController::importDeferred() {
    deferring_ = false;
    const QString file = std::exchange(deferredFile_, QString());
    if (!file.isEmpty()) getReportFile(file);
}

QString PageListController::listFilePath() const {
    return config_->selection().listFilePath();
}

void PageListController::savePageList() {
    if (tree_->nodeCount() <= 1) return;
    // The file is written whole and the site's row remembers it; either
    // failing reaches the caller's log.
    config_->selection().savePageList(tree_->pages());
}

// --- the tree ------------------------------------------------------------

void PageListController::cmdClearFilesList_Click() {
    deferredFile_.clear();  // a list still to import would refill it
    ResumeTrap trap(s_.log(), QStringLiteral("cmdClearFilesList_Click"));
    trap.step([&] {
        const QString root = rootText();
        tree_->resetToRoot(root.isEmpty() ? kPlaceholderRoot : root);
    });
}

void PageListController::setRootNodeText(const QString& text) {
    QTreeWidgetItem* root = tree_->rootNode();
    if (!root)
        throw AppError(35601, QStringLiteral("Element not found"), QStringLiteral("TreeView"));
    root->setText(0, text);
}

void PageListController::UpdateRootURLinFilesWindow() {
    ResumeTrap trap(s_.log(), QStringLiteral("UpdateRootURLinFilesWindow"));
    trap.step([&] {
        if (tree_->nodeCount() == 0) tree_->resetToRoot(kPlaceholderRoot);
    });
    trap.step([&] { setRootNodeText(rootText()); });
}

void PageListController::expandFirstNode() {
    if (tree_->topLevelItemCount() > 0) tree_->expandItem(tree_->topLevelItem(0));
}

void PageListController::importList() {
    getReportFile(QString());
}

void PageListController::clearList() {
    const MsgAnswer a = s_.dialogs.message(
        s_.window,
        QStringLiteral("Are you sure you want to clear the file list? You will not be able to "
                       "recover these entries."),
        kProductName, MsgButtons::YesNoCancel, MsgIcon::Question);
    if (a == MsgAnswer::Yes) cmdClearFilesList_Click();
}

void PageListController::addPage() {
    ResumeTrap trap(s_.log(), QStringLiteral("cmdAddPage_Click"));
    const QString root = rootText();
    if (root.isEmpty()) {
        s_.message(QStringLiteral(
            "Please enter the information on the \"Configuration\" tab before trying to add to "
            "your web site list."));
        return;
    }
    QString page = s_.hub.addressText();
    page.replace(root, QString());
    page = page.trimmed();
    if (page.contains(u'?')) {
        const MsgAnswer a = s_.dialogs.message(
            s_.window,
            QStringLiteral(
                "Would you like to remove the querystring before adding it to the list?"),
            kProductName, MsgButtons::YesNo, MsgIcon::Question);
        if (a == MsgAnswer::Yes) page = removeQuerystring(page);
    }
    if (!page.isEmpty()) {
        if (tree_->containsNode(page)) {
            trap.step([&] { s_.hub.setStatusMessage(QStringLiteral("Already in the List.")); });
        } else {
            trap.step([&] {
                if (!tree_->rootNode()) setRootNodeText(root);  // raises: no root node
                tree_->addPage(page);
            });
        }
    }
    if (cmdAddPage_) cmdAddPage_->setEnabled(false);
}

void PageListController::openNode(const QString& url) {
    s_.hub.setPageToSubmit(url);
    s_.hub.setAddressText(url);
    s_.hub.goToAddress();
}

void PageListController::treeClicked() {
    ResumeTrap trap(s_.log(), QStringLiteral("tvwWebSiteDirectory_Click"));
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    if (selected.isEmpty()) {
        s_.message(QStringLiteral(
            "You must first import a list of files. See your administrator for more information"));
        return;
    }
    QTreeWidgetItem* item = selected.first();
    const QString url = tree_->isRoot(item) ? item->text(0) : rootText() + item->text(0);
    trap.step([&] { openNode(url); });
}

void PageListController::treeDelete() {
    ResumeTrap trap(s_.log(), QStringLiteral("tvwWebSiteDirectory_KeyUp"));
    trap.step([&] {
        const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
        if (selected.isEmpty() || tree_->isRoot(selected.first())) return;
        delete selected.first();
    });
}

void PageListController::treeEnter() {
    treeClicked();
}

// --- the address box -----------------------------------------------------

void PageListController::addressChanged() {
    if (!address_ || rewritingAddress_) return;
    ResumeTrap trap(s_.log(), QStringLiteral("txtSubmitURL_Change"));
    trap.step([&] {
        const QString text = address_->text();
        if (text.contains(u'\\')) {
            const int pos = address_->cursorPosition();
            rewritingAddress_ = true;
            address_->setText(QString(text).replace(u'\\', u'/'));
            address_->setCursorPosition(pos);
            rewritingAddress_ = false;
        }
    });
    trap.step([&] {
        if (cmdAddPage_)
            cmdAddPage_->setEnabled(address_->text().toLower().contains(rootText().toLower()));
    });
}

void PageListController::addressEnter(bool ctrl) {
    if (!address_) return;
    if (ctrl) address_->setText(completeAddress(address_->text()));
    s_.hub.goToAddress();
}

// --- dropped files and the hidden list -----------------------------------

void PageListController::dropFile(const QString& path) {
    QListWidget* files = config_->filesList();
    files->clear();
    leaveOnError(s_.log(), QStringLiteral("lstFiles_OLEDragDrop"),
                 [&] { files->addItems(readPageListFile(path)); });
}

void PageListController::filesListClicked(QListWidgetItem* item) {
    if (!item) return;
    s_.hub.setAddressText(rootText() + item->text());
    s_.hub.goToAddress();
}

bool PageListController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == address_ && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            const auto mods = k->modifiers() & ~Qt::KeypadModifier;
            addressEnter(mods == Qt::ControlModifier);
            return true;  // Enter is handled here alone: one navigation per press
        }
        return false;
    }
    if (!dropTargets_.contains(watched)) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* d = static_cast<QDragMoveEvent*>(event);
            if (!firstLocalFile(d->mimeData()).isEmpty()) {
                d->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto* d = static_cast<QDropEvent*>(event);
            const QString file = firstLocalFile(d->mimeData());
            if (!file.isEmpty()) {
                dropFile(file);
                d->acceptProposedAction();
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace fd::sites
