#include "frmDiscoverPages.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace fd::discover {

namespace {

QString viaText(const SourceFile& s) {
    switch (s.via) {
        case SourceFile::Via::Robots:
            return QStringLiteral("robots.txt");
        case SourceFile::Via::Named:
            return QStringLiteral("named in robots.txt");
        case SourceFile::Via::Fallback:
            return QStringLiteral("tried at the usual place");
        case SourceFile::Via::Index:
            return QStringLiteral("named by an index (level %1)").arg(s.level);
    }
    return {};
}

}  // namespace

frmDiscoverPages::frmDiscoverPages(const QString& rootUrl, const QStringList& current,
                                   QWidget* parent)
    : QDialog(parent), rootUrl_(rootUrl.trimmed()), current_(current) {
    setObjectName(QStringLiteral("frmDiscoverPages"));
    setWindowTitle(QStringLiteral("Discover Pages from Site"));
    setSizeGripEnabled(true);
    resize(900, 560);

    discovery_ = new PageDiscovery(this);
    connect(discovery_, &PageDiscovery::progress, this, &frmDiscoverPages::showProgress);
    connect(discovery_, &PageDiscovery::finished, this, &frmDiscoverPages::finish);

    auto* v = new QVBoxLayout(this);
    lblSite_ = new QLabel(
        QStringLiteral("Pages of %1, from its robots.txt and sitemaps.").arg(rootUrl_), this);
    lblSite_->setObjectName(QStringLiteral("lblDiscoverSite"));
    lblSite_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    v->addWidget(lblSite_);

    auto* options = new QHBoxLayout;
    chkCrawl_ = new QCheckBox(QStringLiteral("Also &crawl the site's links"), this);
    chkCrawl_->setObjectName(QStringLiteral("chkCrawl"));
    options->addWidget(chkCrawl_);
    spnPageLimit_ = new QSpinBox(this);
    spnPageLimit_->setObjectName(QStringLiteral("spnPageLimit"));
    spnPageLimit_->setRange(1, 1000000);
    spnPageLimit_->setValue(options_.pageLimit);
    spnPageLimit_->setGroupSeparatorShown(true);
    spnPageLimit_->setEnabled(false);
    auto* limitLabel = new QLabel(QStringLiteral("Crawl page &limit:"), this);
    limitLabel->setBuddy(spnPageLimit_);
    connect(chkCrawl_, &QCheckBox::toggled, spnPageLimit_, &QWidget::setEnabled);
    options->addSpacing(12);
    options->addWidget(limitLabel);
    options->addWidget(spnPageLimit_);
    options->addStretch();
    cmdStart_ = new QPushButton(QStringLiteral("&Start"), this);
    cmdStart_->setObjectName(QStringLiteral("cmdStart"));
    cmdStart_->setDefault(true);
    connect(cmdStart_, &QPushButton::clicked, this, &frmDiscoverPages::startDiscovery);
    options->addWidget(cmdStart_);
    v->addLayout(options);

    auto* sourcesLabel = new QLabel(QStringLiteral("S&ources:"), this);
    v->addWidget(sourcesLabel);
    lvwSources_ = new QTreeWidget(this);
    lvwSources_->setObjectName(QStringLiteral("lvwDiscoverSources"));
    lvwSources_->setRootIsDecorated(false);
    lvwSources_->setUniformRowHeights(true);
    lvwSources_->setAllColumnsShowFocus(true);
    lvwSources_->setHeaderLabels(
        {QStringLiteral("Source"), QStringLiteral("Found as"), QStringLiteral("State")});
    lvwSources_->setColumnWidth(0, 420);
    lvwSources_->setColumnWidth(1, 190);
    lvwSources_->header()->setStretchLastSection(true);
    sourcesLabel->setBuddy(lvwSources_);
    v->addWidget(lvwSources_, 1);

    auto* progress = new QHBoxLayout;
    prgDiscover_ = new QProgressBar(this);
    prgDiscover_->setObjectName(QStringLiteral("prgDiscover"));
    prgDiscover_->setAccessibleName(QStringLiteral("Discovery progress"));
    prgDiscover_->setRange(0, 1);
    prgDiscover_->setValue(0);
    prgDiscover_->setFormat(QStringLiteral("%v / %m"));
    progress->addWidget(prgDiscover_, 1);
    lblProgress_ = new QLabel(this);
    lblProgress_->setObjectName(QStringLiteral("lblDiscoverProgress"));
    progress->addWidget(lblProgress_, 1);
    v->addLayout(progress);

    lblResult_ = new QLabel(this);
    lblResult_->setObjectName(QStringLiteral("lblDiscoverResult"));
    lblResult_->setAccessibleName(QStringLiteral("Result"));
    lblResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblResult_->setWordWrap(true);
    v->addWidget(lblResult_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdReplace_ = new QPushButton(QStringLiteral("Replace List"), this);
    cmdReplace_->setObjectName(QStringLiteral("cmdReplaceList"));
    cmdAdd_ = new QPushButton(QStringLiteral("Add to List"), this);
    cmdAdd_->setObjectName(QStringLiteral("cmdAddToList"));
    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    for (QPushButton* b : {cmdReplace_, cmdAdd_, cmdCancel_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    cmdReplace_->setEnabled(false);
    cmdAdd_->setEnabled(false);
    connect(cmdReplace_, &QPushButton::clicked, this, [this] { choose(ListChange::Replace); });
    connect(cmdAdd_, &QPushButton::clicked, this, [this] { choose(ListChange::Add); });
    connect(cmdCancel_, &QPushButton::clicked, this, &frmDiscoverPages::reject);
    v->addLayout(buttons);

    setTabOrder(chkCrawl_, spnPageLimit_);
    setTabOrder(spnPageLimit_, cmdStart_);
    setTabOrder(cmdStart_, lvwSources_);
    setTabOrder(lvwSources_, cmdReplace_);
    setTabOrder(cmdReplace_, cmdAdd_);
    setTabOrder(cmdAdd_, cmdCancel_);
}

frmDiscoverPages::~frmDiscoverPages() = default;

bool frmDiscoverPages::running() const {
    return discovery_->running();
}

void frmDiscoverPages::startDiscovery() {
    if (running()) return;
    options_.crawl = chkCrawl_->isChecked();
    options_.pageLimit = spnPageLimit_->value();
    result_ = DiscoveryResult();
    lvwSources_->clear();
    lblResult_->clear();
    cmdReplace_->setEnabled(false);
    cmdAdd_->setEnabled(false);
    if (!discovery_->start(rootUrl_, current_, options_)) return;
    for (QWidget* w : {static_cast<QWidget*>(chkCrawl_), static_cast<QWidget*>(spnPageLimit_),
                       static_cast<QWidget*>(cmdStart_)})
        w->setEnabled(false);
    lblProgress_->setText(QStringLiteral("Reading robots.txt ..."));
    lvwSources_->setFocus();
}

void frmDiscoverPages::showSources(const QList<SourceFile>& sources) {
    for (qsizetype i = 0; i < sources.size(); ++i) {
        const SourceFile& s = sources[i];
        QTreeWidgetItem* item = lvwSources_->topLevelItem(int(i));
        if (!item) item = new QTreeWidgetItem(lvwSources_);
        const QString state = sourceStateText(s);
        if (item->text(2) == state && item->text(0) == s.url) continue;
        item->setText(0, s.url);
        item->setText(1, viaText(s));
        item->setText(2, state);
        item->setToolTip(2, state);
    }
}

void frmDiscoverPages::showProgress(const DiscoveryProgress& p) {
    showSources(p.sources);
    if (p.crawling) {
        prgDiscover_->setRange(0, qMax(1, p.crawlFound));
        prgDiscover_->setValue(p.crawlDone);
        lblProgress_->setText(QStringLiteral("Crawling: %1 of %2 pages fetched")
                                  .arg(countText(p.crawlDone), countText(p.crawlFound)));
        return;
    }
    prgDiscover_->setRange(0, qMax(1, p.filesKnown));
    prgDiscover_->setValue(p.filesDone);
    lblProgress_->setText(
        QStringLiteral("Sitemap files read: %1 of %2; addresses so far: %3")
            .arg(countText(p.filesDone), countText(p.filesKnown), countText(p.addresses)));
}

void frmDiscoverPages::finish(const DiscoveryResult& result) {
    result_ = result;
    showSources(result.sources);
    // Every file done: the bar full, with the count of files.
    const int files = qMax(1, int(result.sources.size()) - 1);
    prgDiscover_->setRange(0, files);
    prgDiscover_->setValue(files);
    lblProgress_->setText(result.cancelled ? QStringLiteral("Cancelled.")
                                           : QStringLiteral("Finished."));
    QStringList lines;
    if (!result.error.isEmpty()) {
        lines << result.error;
    } else if (result.foundNothing()) {
        lines << QStringLiteral("No pages were found; the list stays as it is.");
    } else {
        lines << QStringLiteral("Pages found: %1").arg(countText(result.pages.size()))
              << QStringLiteral("New against the current list: %1")
                     .arg(countText(result.comparison.fresh))
              << QStringLiteral("No longer listed: %1").arg(countText(result.comparison.gone));
    }
    // The summary's first line says what the lines above say.
    lines << result.summaryLines().mid(1);
    lblResult_->setText(lines.join(u'\n'));
    const bool usable = result.error.isEmpty() && !result.cancelled && !result.foundNothing();
    cmdReplace_->setEnabled(usable);
    cmdAdd_->setEnabled(usable && result.comparison.fresh > 0);
    chkCrawl_->setEnabled(true);
    spnPageLimit_->setEnabled(chkCrawl_->isChecked());
    cmdStart_->setEnabled(true);
    if (usable) cmdReplace_->setFocus();
    emit discoveryFinished();
}

void frmDiscoverPages::choose(ListChange change) {
    if (running() || result_.foundNothing()) return;
    emit listChosen(change);
    accept();
}

void frmDiscoverPages::reject() {
    // Cancel while a discovery runs stops it; nothing is changed either way.
    discovery_->cancel();
    QDialog::reject();
}

void frmDiscoverPages::closeEvent(QCloseEvent* e) {
    discovery_->cancel();
    QDialog::closeEvent(e);
}

}  // namespace fd::discover
