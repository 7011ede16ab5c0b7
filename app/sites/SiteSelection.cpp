#include "SiteSelection.h"

#include "PageList.h"
#include "core/AppError.h"
#include "core/CADODBAccess.h"

namespace fd::sites {

SiteSelection::SiteSelection(const CADODBAccess& db, QString programFolder, QObject* parent)
    : QObject(parent), db_(db), programFolder_(std::move(programFolder)) {}

std::vector<SiteRecord> SiteSelection::siteList() const {
    return readSiteList(db_);
}

std::vector<RootRecord> SiteSelection::rootList(long long webSiteId) const {
    return readRoots(db_, webSiteId);
}

std::vector<IndustryRecord> SiteSelection::industryList() const {
    return readIndustries(db_);
}

void SiteSelection::setSite(std::optional<SiteRecord> site, int position) {
    const bool same = site.has_value() == site_.has_value() &&
                      (!site || (site->id == site_->id && site->name == site_->name)) &&
                      position == position_;
    if (same) return;
    site_ = std::move(site);
    position_ = site_ ? position : -1;
    emit chosen();
}

void SiteSelection::setRoot(std::optional<RootRecord> root) {
    const bool same = root.has_value() == root_.has_value() &&
                      (!root || (root->id == root_->id && root->url == root_->url));
    if (same) return;
    root_ = std::move(root);
    details_.reset();
    emit chosen();
}

bool SiteSelection::chooseSite(const QString& name) {
    const std::vector<SiteRecord> all = readSites(db_);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].name != name) continue;
        setSite(all[i], static_cast<int>(i));
        return true;
    }
    setSite(std::nullopt);
    return false;
}

bool SiteSelection::chooseRoot(const QString& url) {
    if (site_)
        for (const RootRecord& r : site_->roots)
            if (url.isEmpty() || r.url == url) {
                setRoot(r);
                return true;
            }
    setRoot(std::nullopt);
    return false;
}

std::optional<RootDetails> SiteSelection::storedDetails(long long webSiteNameId) const {
    return findRootDetails(db_, webSiteNameId);
}

const RootDetails& SiteSelection::details() const {
    if (!details_) details_ = root_ ? readRootDetails(db_, root_->id) : RootDetails{};
    return *details_;
}

QString SiteSelection::siteName() const {
    return site_ ? site_->name : QString();
}

QString SiteSelection::rootUrl() const {
    return root_ ? root_->url : QString();
}

void SiteSelection::addSite(const QString& name) const {
    insertSite(db_, name);
}

void SiteSelection::addRoot(long long webSiteId, const QString& url, const RootDetails& d) const {
    insertRoot(db_, webSiteId, url, d);
}

void SiteSelection::saveDetails(long long webSiteNameId, const RootDetails& d) const {
    updateRootDetails(db_, webSiteNameId, d);
}

std::vector<SettingsRow> SiteSelection::settingsRows() const {
    return readSettingsRows(db_);
}

void SiteSelection::saveSettingsRow(const ConfigurationRow& row) const {
    updateSettingsRow(db_, row);
}

const SiteRecord& SiteSelection::chosenSite() const {
    // Without a chosen site the list would have no owner and no name.
    if (!site_)
        throw AppError(381, QStringLiteral("Invalid property array index"),
                       QStringLiteral("cmbWebSiteGenericName"));
    return *site_;
}

QString SiteSelection::lastListFile() const {
    return readLastListFile(db_, chosenSite().id);
}

QStringList SiteSelection::pages() const {
    const QString file = lastListFile();
    return file.isEmpty() ? QStringList() : readPageListFile(file);
}

QString SiteSelection::listFilePath() const {
    return savedListPath(programFolder_, chosenSite());
}

void SiteSelection::rememberListFile(const QString& path) const {
    sites::rememberListFile(db_, chosenSite().id, path);
}

QString SiteSelection::savePageList(const QStringList& pages) const {
    return saveSitePageList(db_, programFolder_, chosenSite(), pages);
}

}  // namespace fd::sites
