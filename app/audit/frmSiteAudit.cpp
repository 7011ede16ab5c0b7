#include "frmSiteAudit.h"

#include <listcaster/ctlRowporter.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "audit/AuditLists.h"
#include "audit/SiteAudit.h"

namespace fd::audit {

namespace {

const QString kRoutine = QStringLiteral("frmSiteAudit");

// A row that sorts its numeric columns by number and the others by text.
class Row : public QTreeWidgetItem {
public:
    Row(const QStringList& texts, std::span<const ListColumn> columns)
        : QTreeWidgetItem(texts), columns_(columns) {}
    bool operator<(const QTreeWidgetItem& other) const override {
        const int c = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (c >= 0 && c < static_cast<int>(columns_.size()) && columns_[c].numeric)
            return text(c).toLongLong() < other.text(c).toLongLong();
        // A column with a sort key of its own (the findings' severity).
        const QVariant key = data(c, Qt::UserRole), otherKey = other.data(c, Qt::UserRole);
        if (key.isValid() && otherKey.isValid()) return key.toInt() < otherKey.toInt();
        return QTreeWidgetItem::operator<(other);
    }

private:
    std::span<const ListColumn> columns_;
};

QTreeWidget* makeList(const char* name, std::span<const ListColumn> columns, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QStringList captions;
    for (const ListColumn& c : columns) captions << QString::fromLatin1(c.caption);
    list->setColumnCount(static_cast<int>(columns.size()));
    list->setHeaderLabels(captions);
    // The export control reads the column widths for printouts and
    // workbooks, so the last column keeps its width.
    list->header()->setStretchLastSection(false);
    for (std::size_t i = 0; i < columns.size(); ++i)
        list->setColumnWidth(static_cast<int>(i), columns[i].width);
    list->setSortingEnabled(true);
    list->sortByColumn(-1, Qt::AscendingOrder);  // found order until a header is clicked
    return list;
}

// A caption over a list, with the list's export control at its right.
QWidget* listPanel(const QString& caption, QTreeWidget* list, listcaster::ctlRowporter* control,
                   QWidget* parent) {
    auto* panel = new QWidget(parent);
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);
    auto* top = new QHBoxLayout;
    auto* label = new QLabel(caption, panel);
    label->setBuddy(list);
    top->addWidget(label);
    top->addStretch();
    top->addWidget(control);
    v->addLayout(top);
    v->addWidget(list);
    return panel;
}

}  // namespace

frmSiteAudit::frmSiteAudit(SiteAuditServices services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)) {
    setObjectName(QStringLiteral("frmSiteAudit"));
    setWindowTitle(QStringLiteral("Audit Site"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    resize(1100, 700);

    audit_ = new SiteAudit(this);
    connect(audit_, &SiteAudit::pagesDone, this, &frmSiteAudit::addPages);
    connect(audit_, &SiteAudit::progress, this, &frmSiteAudit::showProgress);
    connect(audit_, &SiteAudit::finished, this, &frmSiteAudit::finish);

    auto* v = new QVBoxLayout(this);
    lblSite_ = new QLabel(this);
    lblSite_->setObjectName(QStringLiteral("lblAuditSite"));
    lblSite_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    v->addWidget(lblSite_);

    // Options and Start.
    const AuditOptions defaults;
    auto* options = new QHBoxLayout;
    chkFollowLinks_ = new QCheckBox(QStringLiteral("&Follow links on the same site"), this);
    chkFollowLinks_->setObjectName(QStringLiteral("chkFollowLinks"));
    chkFollowLinks_->setToolTip(
        QStringLiteral("Also audit the pages the listed ones link to on the root URL's scheme, "
                       "host and port"));
    options->addWidget(chkFollowLinks_);
    QHBoxLayout* row = options;
    auto spin = [&](const char* name, const char* caption, int min, int max, int value) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(min, max);
        box->setValue(value);
        box->setGroupSeparatorShown(true);
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setBuddy(box);
        row->addSpacing(12);
        row->addWidget(label);
        row->addWidget(box);
        return box;
    };
    spnPageLimit_ = spin("spnPageLimit", "Page &limit:", 1, 1000000, defaults.pageLimit);
    spnConcurrency_ =
        spin("spnConcurrency", "&Requests per host:", 1, 16, defaults.perHostConcurrency);
    spnDelay_ = spin("spnDelay", "&Delay (ms):", 0, 60000, defaults.delayMs);
    spnKeepRuns_ = spin("spnKeepRuns", "&Keep runs:", 0, 100000, defaults.keepRuns);
    spnKeepRuns_->setSpecialValueText(QStringLiteral("All"));
    spnKeepRuns_->setToolTip(
        QStringLiteral("Complete runs of this root URL kept in the database; older ones are "
                       "removed when a run is stored"));
    options->addStretch();
    cmdStart_ = new QPushButton(QStringLiteral("&Start"), this);
    cmdStart_->setObjectName(QStringLiteral("cmdStart"));
    cmdStart_->setDefault(true);
    options->addWidget(cmdStart_);
    v->addLayout(options);

    // The numbers the checks of a page go by.
    auto* checks = new QHBoxLayout;
    row = checks;
    spnThinWords_ = spin("spnThinWords", "Thin under (&words):", 0, 1000000, defaults.thinWords);
    spnThinWords_->setToolTip(QStringLiteral("A page whose body has fewer words is thin content"));
    spnLargeHtml_ =
        spin("spnLargeHtml", "Largest &HTML (KB):", 1, 1024 * 1024, defaults.largeHtmlKb);
    spnLargeHtml_->setToolTip(QStringLiteral("An HTML page larger than this is reported"));
    checks->addSpacing(12);
    chkRendered_ = new QCheckBox(QStringLiteral("Read pages as the &browser renders them"), this);
    chkRendered_->setObjectName(QStringLiteral("chkRendered"));
    chkRendered_->setToolTip(
        QStringLiteral("Also load each HTML page in a browser without images, keeping nothing "
                       "between runs, and report what its scripts set or add (15 s a page)"));
    checks->addWidget(chkRendered_);
    checks->addStretch();
    v->addLayout(checks);

    // Progress and Cancel.
    auto* progress = new QHBoxLayout;
    prgAudit_ = new QProgressBar(this);
    prgAudit_->setObjectName(QStringLiteral("prgAudit"));
    prgAudit_->setRange(0, 1);
    prgAudit_->setValue(0);
    prgAudit_->setFormat(QStringLiteral("%v / %m"));
    progress->addWidget(prgAudit_, 1);
    lblProgress_ = new QLabel(this);
    lblProgress_->setObjectName(QStringLiteral("lblProgress"));
    progress->addWidget(lblProgress_);
    cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setEnabled(false);
    progress->addWidget(cmdCancel_);
    v->addLayout(progress);
    lblResult_ = new QLabel(this);
    lblResult_->setObjectName(QStringLiteral("lblResult"));
    lblResult_->setWordWrap(true);
    v->addWidget(lblResult_);

    // The two lists, one above the other.
    auto* split = new QSplitter(Qt::Vertical, this);
    lvwAuditPages_ = makeList("lvwAuditPages", pageListColumns(), this);
    lvwAuditFindings_ = makeList("lvwAuditFindings", findingListColumns(), this);
    ctlRowporterPages_ = new listcaster::ctlRowporter(this);
    ctlRowporterPages_->setObjectName(QStringLiteral("ctlRowporterPages"));
    ctlRowporterPages_->BindToListView(lvwAuditPages_);
    ctlRowporterFindings_ = new listcaster::ctlRowporter(this);
    ctlRowporterFindings_->setObjectName(QStringLiteral("ctlRowporterFindings"));
    ctlRowporterFindings_->BindToListView(lvwAuditFindings_);
    split->addWidget(
        listPanel(QStringLiteral("&Pages:"), lvwAuditPages_, ctlRowporterPages_, split));
    split->addWidget(
        listPanel(QStringLiteral("F&indings:"), lvwAuditFindings_, ctlRowporterFindings_, split));
    v->addWidget(split, 1);

    connect(cmdStart_, &QPushButton::clicked, this, &frmSiteAudit::startAudit);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmSiteAudit::cancelAudit);
    connect(lvwAuditPages_, &QTreeWidget::itemDoubleClicked, this, &frmSiteAudit::openRow);
    connect(lvwAuditFindings_, &QTreeWidget::itemDoubleClicked, this, &frmSiteAudit::openRow);
    showProgress({});
}

frmSiteAudit::~frmSiteAudit() = default;

void frmSiteAudit::setSite(const QString& rootUrl, const QStringList& pages) {
    if (running()) return;
    rootUrl_ = rootUrl.trimmed();
    pages_ = pages;
    lblSite_->setText(QStringLiteral("Site: %1 (%2 listed pages and the root URL)")
                          .arg(rootUrl_)
                          .arg(pages_.size()));
    ctlRowporterPages_->setTitle(QStringLiteral("Pages of ") + rootUrl_);
    ctlRowporterFindings_->setTitle(QStringLiteral("Findings of ") + rootUrl_);
}

bool frmSiteAudit::running() const {
    return audit_->running();
}

void frmSiteAudit::startAudit() {
    if (running()) return;
    AuditRequest r;
    r.rootUrl = rootUrl_;
    r.pages = pages_;
    r.options.followLinks = chkFollowLinks_->isChecked();
    r.options.pageLimit = spnPageLimit_->value();
    r.options.perHostConcurrency = spnConcurrency_->value();
    r.options.delayMs = spnDelay_->value();
    r.options.keepRuns = spnKeepRuns_->value();
    r.options.thinWords = spnThinWords_->value();
    r.options.largeHtmlKb = spnLargeHtml_->value();
    r.options.rendered = chkRendered_->isChecked();
    r.databasePath = services_.databasePath;
    lvwAuditPages_->clear();
    lvwAuditFindings_->clear();
    lblResult_->clear();
    showProgress({});
    if (!audit_->start(r)) return;
    setRunning(true);
}

void frmSiteAudit::cancelAudit() {
    if (!running()) return;
    audit_->cancel();
    cmdCancel_->setEnabled(false);
    lblResult_->setText(QStringLiteral("Cancelling..."));
}

void frmSiteAudit::setRunning(bool on) {
    cmdStart_->setEnabled(!on);
    cmdCancel_->setEnabled(on);
    for (QWidget* w : {static_cast<QWidget*>(chkFollowLinks_), static_cast<QWidget*>(spnPageLimit_),
                       static_cast<QWidget*>(spnConcurrency_), static_cast<QWidget*>(spnDelay_),
                       static_cast<QWidget*>(spnKeepRuns_), static_cast<QWidget*>(spnThinWords_),
                       static_cast<QWidget*>(spnLargeHtml_), static_cast<QWidget*>(chkRendered_)})
        w->setEnabled(!on);
}

void frmSiteAudit::addPages(const QList<AuditPage>& pages) {
    // Rows go in unsorted and are sorted once per batch.
    const int column = lvwAuditPages_->sortColumn();
    const Qt::SortOrder order = lvwAuditPages_->header()->sortIndicatorOrder();
    lvwAuditPages_->setSortingEnabled(false);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(pages.size());
    for (const AuditPage& p : pages) rows << new Row(pageListRow(p), pageListColumns());
    lvwAuditPages_->addTopLevelItems(rows);
    lvwAuditPages_->setSortingEnabled(true);
    lvwAuditPages_->sortByColumn(column, order);
}

void frmSiteAudit::showProgress(const AuditProgress& p) {
    prgAudit_->setRange(0, qMax(1, p.found));
    prgAudit_->setValue(p.done);
    prgAudit_->setTextVisible(p.found > 0);
    lblProgress_->setText(QStringLiteral("Pages done: %1 / found: %2 / findings: %3")
                              .arg(p.done)
                              .arg(p.found)
                              .arg(p.findings));
}

void frmSiteAudit::finish(const AuditResult& result) {
    setRunning(false);
    // The finished list replaces the rows that came in while it ran, so both
    // lists show exactly the run as stored.
    lvwAuditPages_->clear();
    addPages(result.pages);
    lvwAuditFindings_->setSortingEnabled(false);
    QList<QTreeWidgetItem*> rows;
    int fresh = 0, still = 0, fixed = 0;
    for (const AuditFinding& f : result.findings) {
        auto* row = new Row(findingListRow(f), findingListColumns());
        row->setData(findingSeverityColumn(), Qt::UserRole,
                     static_cast<int>(findingSeverity(f.kind)));
        if (f.state == FindingState::Fixed) {
            ++fixed;
            for (int c = 0; c < row->columnCount(); ++c)
                row->setForeground(c, palette().color(QPalette::Disabled, QPalette::Text));
        } else {
            ++(f.state == FindingState::New ? fresh : still);
        }
        rows << row;
    }
    lvwAuditFindings_->addTopLevelItems(rows);
    lvwAuditFindings_->setSortingEnabled(true);

    showProgress({static_cast<int>(result.pages.size()),
                  qMax(result.pagesFound, static_cast<int>(result.pages.size())), fresh + still});
    QString text =
        QStringLiteral(
            "%1 after %2 pages: %3 findings (%4 new, %5 still there), "
            "%6 fixed since the last complete run.")
            .arg(result.cancelled ? QStringLiteral("Cancelled") : QStringLiteral("Finished"))
            .arg(result.pages.size())
            .arg(fresh + still)
            .arg(fresh)
            .arg(still)
            .arg(fixed);
    if (!result.renderError.isEmpty()) text += u' ' + result.renderError + u'.';
    if (!result.storeError.isEmpty()) {
        text += QStringLiteral(" The run could not be stored: ") + result.storeError;
        if (services_.log)
            services_.log->write(kRoutine, err::kDatabase, result.storeError, kRoutine);
    }
    lblResult_->setText(text);
    emit auditFinished();
}

void frmSiteAudit::openRow(QTreeWidgetItem* item) {
    if (item && services_.openPage) services_.openPage(item->text(0));
}

void frmSiteAudit::closeEvent(QCloseEvent* e) {
    // Closing stops a run; the audit object waits for its thread as it goes.
    if (running()) audit_->cancel();
    QDialog::closeEvent(e);
}

}  // namespace fd::audit
