#include "ConfigurationTab.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "PageListController.h"
#include "SiteSelection.h"
#include "core/AppError.h"
#include "core/ProgramFolder.h"
#include "platform/Accessibility.h"

namespace fd::sites {

namespace {

// The error of reading the data of a box entry when none is selected.
[[noreturn]] void noEntrySelected(const QString& box) {
    throw AppError(381, QStringLiteral("Invalid property array index"), box);
}

// The position of the selected entry, or -1 when the box's text is not the
// text of its current entry (the user typed something else).
int listIndex(const QComboBox* box) {
    const int i = box->currentIndex();
    if (i < 0) return -1;
    if (box->isEditable() && box->itemText(i) != box->currentText()) return -1;
    return i;
}

// A label holding one link. Tab and Shift+Tab leave it for the next or the
// previous control: a plain label would step through its links first, and
// Shift+Tab onto its only link would stay there.
class LinkLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    bool focusNextPrevChild(bool next) override { return QFrame::focusNextPrevChild(next); }
};

}  // namespace

ConfigurationTab::ConfigurationTab(const SitesServices& services, QWidget* parent)
    : QWidget(parent),
      s_(services),
      selection_(new SiteSelection(services.db(), services.g.programFolder, this)) {
    setObjectName(QStringLiteral("ConfigurationTab"));
    buildControls();
}

void ConfigurationTab::syncSelection() {
    // The selection follows the boxes: a site (or root URL) is chosen while
    // the box shows one of its entries, and none once its text is edited
    // away from it.
    const int site = siteIndex();
    selection_->setSite(
        site < 0 ? std::nullopt
                 : std::optional<SiteRecord>({cmbWebSiteGenericName_->itemData(site).toLongLong(),
                                              cmbWebSiteGenericName_->itemText(site),
                                              {}}),
        site);
    const int root = rootIndex();
    selection_->setRoot(
        root < 0 ? std::nullopt
                 : std::optional<RootRecord>({cmbWebSiteRoot_->itemData(root).toLongLong(),
                                              cmbWebSiteRoot_->itemText(root)}));
}

void ConfigurationTab::buildControls() {
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    auto label = [this](const char* name, const char* caption, QWidget* buddy,
                        const QString& tip = QString()) {
        auto* l = new QLabel(QString::fromUtf8(caption), this);
        l->setObjectName(QString::fromUtf8(name));
        l->setBuddy(buddy);
        if (!tip.isEmpty()) l->setToolTip(tip);
        // A combo box's own field and list are named by its caption too.
        if (auto* box = qobject_cast<QComboBox*>(buddy))
            nameComboBoxParts(box, l->text().remove(u'&').remove(u':'));
        return l;
    };
    auto combo = [this](const char* name, bool editable) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString::fromUtf8(name));
        c->setEditable(editable);
        if (editable) {
            // What the user types stays as typed: no inline completion, no
            // entry added on Enter.
            c->setInsertPolicy(QComboBox::NoInsert);
            c->setCompleter(nullptr);
        }
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(20);
        return c;
    };
    auto edit = [this](const char* name, const QString& tip = QString()) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromUtf8(name));
        if (!tip.isEmpty()) e->setToolTip(tip);
        return e;
    };
    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        return b;
    };

    const QString rootTip = QStringLiteral("Enter the root URL of your web site.");
    const QString emailTip =
        QStringLiteral("Enter your email address as some search engines require this information.");
    const QString countryTip =
        QStringLiteral("Enter your 2-character country code. Click for a list.");
    const QString reportTip =
        QStringLiteral("Set the default email address of the person you would send reports to.");
    const QString generatorTip =
        QStringLiteral("Enter your Report Generation URL as supplied by your Webmaster.");

    cmbWebSiteGenericName_ = combo("cmbWebSiteGenericName", true);
    cmbWebSiteRoot_ = combo("cmbWebSiteRoot", true);
    cmdAddSite_ = button("cmdAddSite", "Add Site");
    cmdAddURL_ = button("cmdAddURL", "Add URL");
    cmdSaveSettings_ = button("cmdSaveSettings", "&Save Settings");
    txtEmail_ = edit("txtEmail", emailTip);
    txtSubmittersName_ = edit("txtSubmittersName");
    txtCountryCode_ = edit("txtCountryCode", countryTip);
    txtReportEmail_ = edit("txtReportEmail", reportTip);
    cmdIndustryList_ = combo("cmdIndustryList", false);
    txtReportGeneratorURL_ = edit("txtReportGeneratorURL", generatorTip);

    lblCountryCode_ = label("lblCountryCode", "&Country Code:", txtCountryCode_, countryTip);
    lblCountryCode_->setCursor(Qt::PointingHandCursor);
    lblCountryCode_->installEventFilter(this);
    lblLookUpCountryCode_ =
        new LinkLabel(QStringLiteral("<a href=\"#country-codes\">Look Up Country Code</a>"), this);
    lblLookUpCountryCode_->setObjectName(QStringLiteral("lblLookUpCountryCode"));
    lblLookUpCountryCode_->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                                   Qt::LinksAccessibleByKeyboard);
    lblLookUpCountryCode_->setAccessibleName(QStringLiteral("Look Up Country Code"));
    connect(lblLookUpCountryCode_, &QLabel::linkActivated, this,
            [this](const QString&) { lookUpCountryCode(); });

    int r = 0;
    grid->addWidget(
        label("lblWebSiteGenericName", "Web Site &Name:", cmbWebSiteGenericName_, rootTip), r, 0);
    grid->addWidget(cmbWebSiteGenericName_, r, 1, 1, 3);
    grid->addWidget(cmdAddSite_, r, 4);
    ++r;
    grid->addWidget(label("lblWebSiteRoot", "Root Website &Address:", cmbWebSiteRoot_, rootTip), r,
                    0);
    grid->addWidget(cmbWebSiteRoot_, r, 1, 1, 3);
    grid->addWidget(cmdAddURL_, r, 4);
    ++r;
    grid->addWidget(label("lblEmail", "Submitter's &Email:", txtEmail_, emailTip), r, 0);
    grid->addWidget(txtEmail_, r, 1);
    grid->addWidget(label("lblSubmittersName", "Submitter's Name:", txtSubmittersName_), r, 2);
    grid->addWidget(txtSubmittersName_, r, 3, 1, 2);
    ++r;
    auto* country = new QHBoxLayout;
    country->setContentsMargins(0, 0, 0, 0);
    txtCountryCode_->setMaximumWidth(120);
    country->addWidget(txtCountryCode_);
    country->addWidget(lblLookUpCountryCode_);
    country->addStretch(1);
    grid->addWidget(lblCountryCode_, r, 0);
    grid->addLayout(country, r, 1);
    grid->addWidget(label("lblReportEmail", "Email &Reports To:", txtReportEmail_, reportTip), r,
                    2);
    grid->addWidget(txtReportEmail_, r, 3, 1, 2);
    ++r;
    grid->addWidget(label("lblIndustry", "Industry:", cmdIndustryList_), r, 0);
    grid->addWidget(cmdIndustryList_, r, 1);
    grid->addWidget(label("lblReportGeneratorURL", "Directory Update URL:", txtReportGeneratorURL_,
                          generatorTip),
                    r, 2);
    grid->addWidget(txtReportGeneratorURL_, r, 3, 1, 2);
    ++r;
    grid->addWidget(cmdSaveSettings_, r, 4);
    grid_ = grid;
    buttonRow_ = r;
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    // Controls the window keeps but does not show.
    fraHiddenControls_ =
        new QGroupBox(QStringLiteral("Debug Information && Hidden Controls"), this);
    fraHiddenControls_->setObjectName(QStringLiteral("fraHiddenControls"));
    auto* hidden = new QVBoxLayout(fraHiddenControls_);
    lstFiles_ = new QListWidget(fraHiddenControls_);
    lstFiles_->setObjectName(QStringLiteral("lstFiles"));
    txtLastReport_ = new QLineEdit(fraHiddenControls_);
    txtLastReport_->setObjectName(QStringLiteral("txtLastReport"));
    txtWebSiteConfigurationID_ = new QLineEdit(fraHiddenControls_);
    txtWebSiteConfigurationID_->setObjectName(QStringLiteral("txtWebSiteConfigurationID"));
    txtWebSiteConfigurationID_->setVisible(false);
    lstFiles_->setAccessibleName(QStringLiteral("Imported pages"));
    txtLastReport_->setAccessibleName(QStringLiteral("Last imported page list"));
    txtWebSiteConfigurationID_->setAccessibleName(QStringLiteral("Configuration number"));
    hidden->addWidget(lstFiles_);
    hidden->addWidget(txtLastReport_);
    hidden->addWidget(txtWebSiteConfigurationID_);
    fraHiddenControls_->setVisible(false);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addLayout(grid);
    outer->addWidget(fraHiddenControls_);
    outer->addStretch(1);

    cmdAddSite_->setEnabled(false);
    cmdAddURL_->setEnabled(false);

    connect(cmbWebSiteGenericName_, &QComboBox::activated, this, [this](int) { siteClicked(); });
    connect(cmbWebSiteRoot_, &QComboBox::activated, this, [this](int) { rootClicked(); });
    connect(cmbWebSiteGenericName_->lineEdit(), &QLineEdit::textEdited, this,
            [this] { cmdAddSite_->setEnabled(true); });
    connect(cmbWebSiteRoot_->lineEdit(), &QLineEdit::textEdited, this,
            [this] { cmdAddURL_->setEnabled(true); });
    cmbWebSiteRoot_->installEventFilter(this);
    connect(cmdAddSite_, &QPushButton::clicked, this, &ConfigurationTab::addSite);
    connect(cmdAddURL_, &QPushButton::clicked, this, &ConfigurationTab::addUrl);
    connect(cmdSaveSettings_, &QPushButton::clicked, this,
            &ConfigurationTab::UpdateWebSiteConfiguration);
    connect(txtCountryCode_, &QLineEdit::textChanged, this, &ConfigurationTab::countryCodeChanged);
    for (QComboBox* box : {cmbWebSiteGenericName_, cmbWebSiteRoot_}) {
        connect(box, &QComboBox::currentIndexChanged, this, &ConfigurationTab::syncSelection);
        connect(box, &QComboBox::currentTextChanged, this, &ConfigurationTab::syncSelection);
    }
}

// --- values --------------------------------------------------------------

QString ConfigurationTab::siteText() const {
    return cmbWebSiteGenericName_->currentText();
}
int ConfigurationTab::siteIndex() const {
    return listIndex(cmbWebSiteGenericName_);
}
QString ConfigurationTab::selectedSiteName() const {
    const int i = siteIndex();
    return i < 0 ? QString() : cmbWebSiteGenericName_->itemText(i);
}
long long ConfigurationTab::selectedWebSiteId() const {
    const int i = siteIndex();
    return i < 0 ? 0 : cmbWebSiteGenericName_->itemData(i).toLongLong();
}
QString ConfigurationTab::rootText() const {
    return cmbWebSiteRoot_->currentText();
}
int ConfigurationTab::rootIndex() const {
    return listIndex(cmbWebSiteRoot_);
}
long long ConfigurationTab::selectedWebSiteNameId() const {
    const int i = rootIndex();
    return i < 0 ? 0 : cmbWebSiteRoot_->itemData(i).toLongLong();
}
QString ConfigurationTab::industry() const {
    return cmdIndustryList_->currentText();
}
RootDetails ConfigurationTab::details() const {
    return {txtEmail_->text(),       txtSubmittersName_->text(), txtReportGeneratorURL_->text(),
            txtCountryCode_->text(), txtReportEmail_->text(),    industry()};
}
QString ConfigurationTab::lastReport() const {
    return txtLastReport_->text();
}
void ConfigurationTab::setLastReport(const QString& path) {
    txtLastReport_->setText(path);
}
void ConfigurationTab::addSection(QWidget* section) {
    auto* outer = qobject_cast<QVBoxLayout*>(layout());
    section->setParent(this);
    // Below the fields and above the hidden controls and the stretch.
    if (outer) outer->insertWidget(1, section);
}

void ConfigurationTab::addButton(QPushButton* button) {
    button->setParent(this);
    if (grid_) grid_->addWidget(button, buttonRow_, 3, Qt::AlignRight);
}

void ConfigurationTab::focusSiteBox() {
    cmbWebSiteGenericName_->setFocus();
}
void ConfigurationTab::focusRootBox() {
    cmbWebSiteRoot_->setFocus();
}

// --- lists ---------------------------------------------------------------

void ConfigurationTab::UpdateWebSiteNameList(const QString& pSelectedName) {
    ResumeTrap trap(s_.log(), QStringLiteral("UpdateWebSiteNameList"));
    cmbWebSiteGenericName_->clear();
    int select = -1;
    trap.step([&] {
        for (const SiteRecord& site : selection_->siteList()) {
            cmbWebSiteGenericName_->addItem(site.name, site.id);
            if (select < 0 && site.name == pSelectedName)
                select = cmbWebSiteGenericName_->count() - 1;
        }
    });
    // An editable box shows its first entry once filled: the text goes back to
    // empty unless a name was matched.
    cmbWebSiteGenericName_->setCurrentIndex(select);
    if (select < 0) cmbWebSiteGenericName_->setEditText(QString());
    if (select >= 0) siteClicked();
}

void ConfigurationTab::siteClicked() {
    ResumeTrap trap(s_.log(), QStringLiteral("cmbWebSiteGenericName_Click"));
    trap.step([&] {
        if (!siteSelected()) noEntrySelected(QStringLiteral("cmbWebSiteGenericName"));
        UpdateWebSiteRootList(rootText(), selectedWebSiteId());
    });
    trap.step([&] {
        if (pages_) pages_->UpdateRootURLinFilesWindow();
    });
    trap.step([&] {
        if (pages_) pages_->cmdClearFilesList_Click();
    });
    trap.step([&] {
        if (!siteSelected()) noEntrySelected(QStringLiteral("cmbWebSiteGenericName"));
        const QString file = selection_->lastListFile();
        if (!file.isEmpty() && pages_) pages_->getReportFile(file);
    });
}

void ConfigurationTab::UpdateWebSiteRootList(const QString& sRootWebSiteAddress,
                                             long long pWebSiteID) {
    ResumeTrap trap(s_.log(), QStringLiteral("UpdateWebSiteRootList"));
    cmbWebSiteRoot_->clear();
    int select = -1;
    trap.step([&] {
        int i = 0;
        for (const RootRecord& root : selection_->rootList(pWebSiteID)) {
            cmbWebSiteRoot_->addItem(root.url, root.id);
            if (i == 0 && select < 0) select = 0;
            if (root.url == sRootWebSiteAddress) select = i;
            ++i;
        }
    });
    cmbWebSiteRoot_->setCurrentIndex(select);
    if (select < 0) cmbWebSiteRoot_->setEditText(QString());
    if (select >= 0) rootClicked();
}

void ConfigurationTab::rootClicked() {
    ResumeTrap trap(s_.log(), QStringLiteral("cmbWebSiteRoot_Click"));
    cmdAddURL_->setEnabled(false);
    trap.step([&] {
        if (!rootSelected()) noEntrySelected(QStringLiteral("cmbWebSiteRoot"));
        const std::optional<RootDetails> d = selection_->storedDetails(selectedWebSiteNameId());
        if (!d) return;
        txtEmail_->setText(d->email);
        txtSubmittersName_->setText(d->submitterName);
        txtCountryCode_->setText(d->countryCode);
        txtReportEmail_->setText(d->reportEmail);
        txtReportGeneratorURL_->setText(d->directoryListing);
        UpdateIndustryList(d->industry);
    });
    trap.step([&] {
        if (pages_) pages_->UpdateRootURLinFilesWindow();
    });
}

void ConfigurationTab::UpdateIndustryList(const QString& pSelectedName) {
    ResumeTrap trap(s_.log(), QStringLiteral("UpdateindustryList"));
    cmdIndustryList_->clear();
    int select = -1;
    trap.step([&] {
        for (const IndustryRecord& industry : selection_->industryList()) {
            cmdIndustryList_->addItem(industry.name, industry.id);
            if (select < 0 && industry.name == pSelectedName)
                select = cmdIndustryList_->count() - 1;
        }
    });
    // A box that is not editable selects its first entry by itself: undo that
    // when nothing matched.
    cmdIndustryList_->setCurrentIndex(select);
}

// --- buttons -------------------------------------------------------------

void ConfigurationTab::addSite() {
    ResumeTrap trap(s_.log(), QStringLiteral("cmdAddSite_Click"));
    const QString name = siteText().trimmed();
    if (name.isEmpty()) {
        s_.message(QStringLiteral("You must enter the name of the new web site."));
    } else {
        int match = -1;
        for (int i = 0; i < cmbWebSiteGenericName_->count() && match < 0; ++i)
            if (cmbWebSiteGenericName_->itemText(i).trimmed().compare(name, Qt::CaseInsensitive) ==
                0)
                match = i;
        if (match >= 0) {
            cmbWebSiteGenericName_->setCurrentIndex(match);
            siteClicked();
        } else {
            trap.step([&] { selection_->addSite(name); });
            trap.step([&] { UpdateWebSiteNameList(name); });
        }
    }
    cmdAddSite_->setEnabled(false);
}

void ConfigurationTab::addUrl() {
    ResumeTrap trap(s_.log(), QStringLiteral("cmdAddURL_Click"));
    if (siteText().isEmpty()) {
        s_.message(QStringLiteral("Please select a Web Site to add this URL to first."));
        return;
    }
    const QString url = rootText();
    if (url.isEmpty()) {
        s_.message(QStringLiteral("Please enter the URL you would like to add."));
        focusRootBox();
        return;
    }
    if (url.left(4).toLower() != QLatin1String("http")) {
        s_.message(QStringLiteral("Please enter a valid URL. Must begin with 'http'."));
        return;
    }
    const QString wanted = url.toLower().trimmed();
    for (int i = 0; i < cmbWebSiteRoot_->count(); ++i)
        if (cmbWebSiteRoot_->itemText(i).toLower().trimmed() == wanted) return;
    trap.step([&] {
        if (!siteSelected()) noEntrySelected(QStringLiteral("cmbWebSiteGenericName"));
        selection_->addRoot(selectedWebSiteId(), url, details());
    });
    trap.step([&] {
        if (!siteSelected()) noEntrySelected(QStringLiteral("cmbWebSiteGenericName"));
        // The URL is stored without apostrophes: select it as stored.
        UpdateWebSiteRootList(withoutApostrophes(url), selectedWebSiteId());
    });
    cmdAddURL_->setEnabled(false);
}

void ConfigurationTab::UpdateWebSiteConfiguration() {
    ResumeTrap trap(s_.log(), QStringLiteral("UpdateWebSiteConfiguration"));
    trap.step([&] {
        if (rootSelected()) selection_->saveDetails(selectedWebSiteNameId(), details());
    });
    trap.step([&] {
        if (pages_) pages_->savePageList();
    });
}

// --- root box, country code ----------------------------------------------

bool ConfigurationTab::validateRoot() {
    const QString t = rootText().toLower().trimmed();
    return t.startsWith(QLatin1String("http")) || !t.contains(QLatin1String("//"));
}

void ConfigurationTab::rootLeft() {
    bool valid = true;
    {
        ResumeTrap trap(s_.log(), QStringLiteral("cmbWebSiteRoot_Validate"));
        valid = validateRoot();
        if (!valid) {
            validating_ = true;
            s_.message(QStringLiteral("Please fix your Web Site Root to include 'http://'"));
            validating_ = false;
            focusRootBox();
        }
        trap.step([&] { s_.hub.setAddressText(rootText()); });
    }
    // The box is only left when its text is valid.
    if (valid && pages_) pages_->UpdateRootURLinFilesWindow();
}

void ConfigurationTab::rootEnter() {
    ResumeTrap trap(s_.log(), QStringLiteral("cmbWebSiteRoot_KeyUp"));
    trap.step([&] { s_.hub.setAddressText(rootText()); });
    trap.step([&] {
        if (pages_) pages_->setRootNodeText(rootText());
    });
    trap.step([&] { s_.hub.goToAddress(); });
}

void ConfigurationTab::countryCodeChanged() {
    if (txtCountryCode_->text().size() > 10)
        txtCountryCode_->setText(txtCountryCode_->text().left(10));
    txtCountryCode_->setCursorPosition(txtCountryCode_->text().size());
}

void ConfigurationTab::lookUpCountryCode() {
    s_.hub.navigate(s_.g.fileUrl(QStringLiteral("Country_Codes.html")));
}

bool ConfigurationTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblCountryCode_ && event->type() == QEvent::MouseButtonRelease) {
        lookUpCountryCode();
    } else if (watched == cmbWebSiteRoot_) {
        if (event->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(event);
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) rootEnter();
        } else if (event->type() == QEvent::FocusOut && !validating_) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // Opening the box's own list or switching windows does not leave it.
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) rootLeft();
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- load and unload -----------------------------------------------------

void ConfigurationTab::restoreSettings() {
    ResumeTrap trap(s_.log(), QStringLiteral("Main Form Load"));
    trap.step([&] { clearReadOnlyFolder(s_.g.programFolder); });
    std::vector<SettingsRow> rows;
    trap.step([&] { rows = selection_->settingsRows(); });
    for (const SettingsRow& row : rows) {
        txtWebSiteConfigurationID_->setText(row.configId);
        trap.step([&] {
            lastRowName_ = row.siteName;
            lastRowRoot_ = row.rootUrl;
            UpdateWebSiteNameList(lastRowName_);
        });
        trap.step([&] {
            if (row.rootUrl.isEmpty()) return;
            if (!siteSelected()) noEntrySelected(QStringLiteral("cmbWebSiteGenericName"));
            UpdateWebSiteRootList(row.rootUrl, selectedWebSiteId());
        });
        trap.step([&] { UpdateIndustryList(row.industry); });
    }
    trap.step([&] {
        if (!pages_) return;
        if (!lastReport().isEmpty())
            pages_->getReportFile(lastReport());
        else
            pages_->cmdClearFilesList_Click();
    });
}

void ConfigurationTab::finishLoad() {
    ResumeTrap trap(s_.log(), QStringLiteral("Main Form Load"));
    trap.step([&] { UpdateWebSiteNameList(lastRowName_); });
    // With no saved site there is no root list to refill.
    trap.step([&] {
        if (siteSelected()) UpdateWebSiteRootList(lastRowRoot_, selectedWebSiteId());
    });
    // The refill selects the root URL again, which shows the industry stored
    // with it: the root URL's own, not the settings row's (which "E&xit"
    // leaves behind), so leaving the tab never writes a stale industry back.
    cmbWebSiteGenericName_->setEnabled(true);
    trap.step([&] {
        if (pages_) pages_->expandFirstNode();
    });
}

void ConfigurationTab::saveSettingsRow() {
    ResumeTrap trap(s_.log(), QStringLiteral("FormMain.Form.Unload"));
    trap.step([&] {
        ConfigurationRow row;
        row.siteName = siteText();
        row.rootUrl = rootText();
        row.reportGenerationUrl = txtReportGeneratorURL_->text();
        row.email = txtEmail_->text();
        row.countryCode = txtCountryCode_->text();
        row.reportEmail = txtReportEmail_->text();
        row.lastReport = lastReport();
        row.industry = industry();
        selection_->saveSettingsRow(row);
    });
}

}  // namespace fd::sites
