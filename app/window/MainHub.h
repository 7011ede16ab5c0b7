#pragma once
// What the parts of the main window ask of each other, in one interface the
// main window implements by delegating to the tab or control that owns each
// value. Each room states its share in an interface of its own, so it is
// built and tested against that alone: the Configuration tab's values
// (sites::SelectedSite), the sites room's (sites::SitesWindow), the
// submission tabs' (SubmitWindow) and the Page Details tab's
// (PageDetailsWindow).

#include <QString>

#include "browser/PageDetailsTab.h"
#include "sites/SitesServices.h"
#include "submit/SubmitWindow.h"

namespace fd {

class MainHub : public sites::SitesWindow, public SubmitWindow, public PageDetailsWindow {
public:
    virtual QString programFolder() const = 0;
};

}  // namespace fd
