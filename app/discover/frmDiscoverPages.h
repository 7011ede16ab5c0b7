#pragma once
// File > "Discover Pages from Site...": the discovery's options and Start;
// while it runs, the sources as they are read (robots.txt, each sitemap with
// its state), the addresses so far, a progress bar and Cancel; then the
// result (pages found, new against the current list, no longer listed, left
// out by reason) with "Replace List", "Add to List" and "Cancel". Only
// Replace or Add hands the list on (listChosen); the window changes the tree.

#include <QDialog>

#include "discover/PageDiscovery.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace fd::discover {

class frmDiscoverPages : public QDialog {
    Q_OBJECT
public:
    // rootUrl: the site's root URL; current: the tree's pages, which the
    // result is compared with.
    frmDiscoverPages(const QString& rootUrl, const QStringList& current, QWidget* parent = nullptr);
    ~frmDiscoverPages() override;

    // The options a discovery starts with; tests shorten the timeouts.
    DiscoveryOptions& options() { return options_; }

    // Starts the discovery with the options shown (cmdStart).
    void startDiscovery();
    bool running() const;
    // The finished discovery (empty until then).
    const DiscoveryResult& result() const { return result_; }

    QTreeWidget* sourcesList() const { return lvwSources_; }

    // Cancel (and Escape): a running discovery stops; nothing is changed.
    void reject() override;

signals:
    // The discovery has ended and its result is shown.
    void discoveryFinished();
    // "Replace List" or "Add to List" was pressed; the dialog then closes.
    void listChosen(fd::discover::ListChange change);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void showProgress(const DiscoveryProgress& p);
    void showSources(const QList<SourceFile>& sources);
    void finish(const DiscoveryResult& result);
    void choose(ListChange change);

    QString rootUrl_;
    QStringList current_;
    DiscoveryOptions options_;
    DiscoveryResult result_;
    PageDiscovery* discovery_ = nullptr;

    QLabel* lblSite_ = nullptr;
    QCheckBox* chkCrawl_ = nullptr;
    QSpinBox* spnPageLimit_ = nullptr;
    QPushButton* cmdStart_ = nullptr;
    QTreeWidget* lvwSources_ = nullptr;
    QProgressBar* prgDiscover_ = nullptr;
    QLabel* lblProgress_ = nullptr;
    QLabel* lblResult_ = nullptr;
    QPushButton* cmdReplace_ = nullptr;
    QPushButton* cmdAdd_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace fd::discover
