#pragma once
// The web site and root URL being worked on, and the site tables behind
// them, read and written through SiteRecords. Plain logic (QtCore): the
// Configuration tab keeps it in step with its boxes, the page-list
// controller saves the tree through it, and the command line chooses a site
// and a root URL with it.
//
// A room that works on the chosen site takes the selection (or, when it only
// reads values, a sites::SelectedSite) and listens to chosen():
//
//     connect(&selection, &sites::SiteSelection::chosen, this, [this, &selection] {
//         if (const auto root = selection.root()) showRoot(root->url);
//     });
//
// Reads throw AppError when their query fails. The Configuration tab's
// inserts and updates leave the table as it was when they fail, and say
// nothing; saving the page list throws, so its failure reaches the log.

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "SelectedSite.h"
#include "SiteRecords.h"

namespace fd {
class CADODBAccess;
}

namespace fd::sites {

class SiteSelection : public QObject, public SelectedSite {
    Q_OBJECT
public:
    SiteSelection(const CADODBAccess& db, QString programFolder, QObject* parent = nullptr);

    const CADODBAccess& db() const { return db_; }
    const QString& programFolder() const { return programFolder_; }

    // What the boxes list, in their order.
    std::vector<SiteRecord> siteList() const;
    std::vector<RootRecord> rootList(long long webSiteId) const;
    std::vector<IndustryRecord> industryList() const;

    // The chosen site (at its position in the site list) and root URL, each
    // set on its own; none when nothing is chosen.
    void setSite(std::optional<SiteRecord> site, int position = -1);
    void setRoot(std::optional<RootRecord> root);
    const std::optional<SiteRecord>& site() const { return site_; }
    const std::optional<RootRecord>& root() const { return root_; }

    // The command line's choice: the first site of exactly that name, with
    // its root URLs; then the root URL of that address among them, or the
    // site's first with an empty address. False when there is none.
    bool chooseSite(const QString& name);
    bool chooseRoot(const QString& url = QString());

    // The chosen root URL's details as stored (empty fields without one, or
    // when its row is gone). Read once per root URL.
    const RootDetails& details() const;
    // A root URL's details as stored, nothing when its row is gone.
    std::optional<RootDetails> storedDetails(long long webSiteNameId) const;

    // SelectedSite: the chosen site's and root URL's stored values.
    QString siteName() const override;
    bool siteSelected() const override { return site_.has_value(); }
    long long selectedWebSiteId() const override { return site_ ? site_->id : 0; }
    int selectedSiteIndex() const override { return site_ ? position_ : -1; }
    QString rootUrl() const override;
    bool rootSelected() const override { return root_.has_value(); }
    QString industry() const override { return details().industry; }
    QString submitterName() const override { return details().submitterName; }
    QString submitterEmail() const override { return details().email; }
    QString countryCode() const override { return details().countryCode; }

    // The Configuration tab's writes (see above).
    void addSite(const QString& name) const;
    void addRoot(long long webSiteId, const QString& url, const RootDetails& d) const;
    void saveDetails(long long webSiteNameId, const RootDetails& d) const;
    std::vector<SettingsRow> settingsRows() const;
    void saveSettingsRow(const ConfigurationRow& row) const;

    // The chosen site's page list: the file it last had open ("" when
    // none), its pages read as the window reads them, and where it is
    // saved.
    QString lastListFile() const;
    QStringList pages() const;
    QString listFilePath() const;
    // Remembers an imported list file as the site's.
    void rememberListFile(const QString& path) const;
    // Writes the pages to the site's list file (whole or not at all) and
    // remembers it. Throws AppError, also when no site is chosen.
    QString savePageList(const QStringList& pages) const;

signals:
    // The chosen site or root URL changed.
    void chosen();

private:
    const SiteRecord& chosenSite() const;

    const CADODBAccess& db_;
    QString programFolder_;
    std::optional<SiteRecord> site_;
    int position_ = -1;
    std::optional<RootRecord> root_;
    mutable std::optional<RootDetails> details_;
};

}  // namespace fd::sites
