#pragma once
// Stand-ins for the main window's values and its dialogs, for benchmark
// programs that drive a tab without the window.

#include <QString>
#include <cstdio>

#include "platform/Dialogs.h"
#include "window/MainHub.h"

namespace fd::bench {

// Empty values everywhere; a program overrides the ones its tab reads.
struct StubHub : MainHub {
    QString siteName() const override { return {}; }
    bool siteSelected() const override { return false; }
    long long selectedWebSiteId() const override { return 0; }
    int selectedSiteIndex() const override { return -1; }
    QString rootUrl() const override { return {}; }
    bool rootSelected() const override { return false; }
    QString industry() const override { return {}; }
    QString submitterName() const override { return {}; }
    QString submitterEmail() const override { return {}; }
    QString countryCode() const override { return {}; }
    QString addressText() const override { return {}; }
    void setAddressText(const QString&) override {}
    void goToAddress() override {}
    void navigate(const QString&) override {}
    void setStatusMessage(const QString&) override {}
    QString pageDescription() const override { return {}; }
    QString pageKeywords() const override { return {}; }
    void setPageToSubmit(const QString&) override {}
    bool selectedTreePage(QString*) const override { return false; }
    QString programFolder() const override { return {}; }
};

// Answers every message box with OK (telling stderr what it said when
// `echo` is set) and every file dialog with Cancel.
struct QuietDialogs : Dialogs {
    bool echo = false;
    MsgAnswer message(QWidget*, const QString& text, const QString&, MsgButtons, MsgIcon) override {
        if (echo) std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return MsgAnswer::Ok;
    }
    std::optional<QString> openFile(QWidget*, const FileDialogRequest&) override { return {}; }
    std::optional<QString> saveFile(QWidget*, const FileDialogRequest&) override { return {}; }
};

}  // namespace fd::bench
