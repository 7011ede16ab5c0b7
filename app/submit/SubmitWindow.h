#pragma once
// What the submission tabs ask of the rest of the main window: the site
// being worked on, the status bar, the page's details as the browser read
// them and the site directory tree.

#include <QString>
#include <QStringList>

#include "sites/SelectedSite.h"

namespace fd {

class SubmitWindow : public virtual sites::SelectedSite {
public:
    virtual void setStatusMessage(const QString& text) = 0;  // status panel 2

    // Page details read from the browser.
    virtual QString pageDescription() const = 0;
    virtual QString pageKeywords() const = 0;

    // The selected tree node's text (the root node's included); empty and
    // false when no node is selected.
    virtual bool selectedTreePage(QString* text) const = 0;
    // The text of every page node of the tree, in its order (each page's URL
    // is the root URL followed by it). None by default.
    virtual QStringList treePages() const { return {}; }
};

}  // namespace fd
