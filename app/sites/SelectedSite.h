#pragma once
// What the other rooms need of the site being worked on: its name, its root
// URL and the submitter's details, as the Configuration tab holds them. The
// window hands its rooms the tab's live values (what is typed counts, as a
// submission records it); the command line hands them the site and root URL
// it chose (a SiteSelection).
//
// A room takes a `const sites::SelectedSite&` (or an interface of its own
// that derives from it, virtually) in its constructor and asks it at the
// moment it acts; it never keeps the values.

#include <QString>

namespace fd::sites {

class SelectedSite {
public:
    virtual ~SelectedSite() = default;

    virtual QString siteName() const = 0;             // cmbWebSiteGenericName text
    virtual bool siteSelected() const = 0;            // an entry of the name box is selected
    virtual long long selectedWebSiteId() const = 0;  // its WebSiteID, 0 when none
    virtual int selectedSiteIndex() const = 0;        // its position in the box, -1 when none
    virtual QString rootUrl() const = 0;              // cmbWebSiteRoot text
    virtual bool rootSelected() const = 0;            // an entry of the root box is selected
    virtual QString industry() const = 0;             // cmdIndustryList text
    virtual QString submitterName() const = 0;
    virtual QString submitterEmail() const = 0;
    virtual QString countryCode() const = 0;
};

}  // namespace fd::sites
