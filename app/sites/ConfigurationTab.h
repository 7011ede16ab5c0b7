#pragma once
// The "Configuration" tab: the web site and its root URLs, the submitter's
// details, the industry and the directory-listing URL, kept in step with the
// tables WebSites, WebSiteNames and Industries through its SiteSelection,
// which follows the boxes. Selecting a site cascades: site -> root URLs ->
// details -> industry, and site -> tree reset -> the site's last page list
// (through the PageListController).

#include <QWidget>

#include "SitesServices.h"
#include "SitesSql.h"

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace fd::sites {

class PageListController;
class SiteSelection;

class ConfigurationTab : public QWidget {
    Q_OBJECT
public:
    ConfigurationTab(const SitesServices& services, QWidget* parent = nullptr);
    void setPageLists(PageListController* pages) { pages_ = pages; }
    // The site and root URL the boxes have selected, with the site tables
    // behind them.
    SiteSelection& selection() const { return *selection_; }

    // Refills the site name box and selects that name (exact match).
    void UpdateWebSiteNameList(const QString& pSelectedName);
    // Refills the root box for one site; selects the matching root URL, else
    // the first.
    void UpdateWebSiteRootList(const QString& sRootWebSiteAddress, long long pWebSiteID);
    // Refills the industry box and selects the matching industry.
    void UpdateIndustryList(const QString& pSelectedName);
    // Saves the selected root URL's details and the page list.
    void UpdateWebSiteConfiguration();

    // Click handlers (a programmatic selection runs them too).
    void siteClicked();
    void rootClicked();
    void addSite();
    void addUrl();

    // The main window's load: restores the settings row (and through the site
    // its last page list), then the steps after the engine lists.
    void restoreSettings();
    void finishLoad();
    // The main window's unload: the settings row.
    void saveSettingsRow();

    // Current values.
    QString siteText() const;
    bool siteSelected() const { return siteIndex() >= 0; }
    int siteIndex() const;             // -1 when the text is not a selected entry
    QString selectedSiteName() const;  // text of the selected entry
    long long selectedWebSiteId() const;
    QString rootText() const;
    bool rootSelected() const { return rootIndex() >= 0; }
    int rootIndex() const;
    long long selectedWebSiteNameId() const;
    QString industry() const;
    RootDetails details() const;
    QString lastReport() const;
    void setLastReport(const QString& path);

    // Adds a section of another part of the window below the tab's fields
    // (the IndexNow key of the selected root URL).
    void addSection(QWidget* section);
    // Adds a button of another part of the window left of "Save Settings".
    void addButton(QPushButton* button);

    void focusSiteBox();
    void focusRootBox();

    QComboBox* siteBox() const { return cmbWebSiteGenericName_; }
    QComboBox* rootBox() const { return cmbWebSiteRoot_; }
    QListWidget* filesList() const { return lstFiles_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void syncSelection();
    bool validateRoot();
    void rootLeft();
    void rootEnter();
    void countryCodeChanged();
    void lookUpCountryCode();

    SitesServices s_;
    SiteSelection* selection_;
    PageListController* pages_ = nullptr;
    QString lastRowName_, lastRowRoot_;
    bool validating_ = false;

    QComboBox* cmbWebSiteGenericName_ = nullptr;
    QComboBox* cmbWebSiteRoot_ = nullptr;
    QPushButton* cmdAddSite_ = nullptr;
    QPushButton* cmdAddURL_ = nullptr;
    QPushButton* cmdSaveSettings_ = nullptr;
    QLineEdit* txtEmail_ = nullptr;
    QLineEdit* txtSubmittersName_ = nullptr;
    QLineEdit* txtCountryCode_ = nullptr;
    QLabel* lblCountryCode_ = nullptr;
    QLabel* lblLookUpCountryCode_ = nullptr;
    QLineEdit* txtReportEmail_ = nullptr;
    QComboBox* cmdIndustryList_ = nullptr;
    QLineEdit* txtReportGeneratorURL_ = nullptr;
    QGroupBox* fraHiddenControls_ = nullptr;
    QListWidget* lstFiles_ = nullptr;
    QLineEdit* txtLastReport_ = nullptr;
    QLineEdit* txtWebSiteConfigurationID_ = nullptr;
    QGridLayout* grid_ = nullptr;
    int buttonRow_ = 0;
};

}  // namespace fd::sites
