#pragma once
// The about box: title, version, credit line and the maker's web address,
// with a short chime each time it becomes active.

#include <QDialog>
#include <functional>

#include "core/Globals.h"

class QLabel;
class QPushButton;

namespace fd {

class SoundPlayer;

// The program's version, from the build.
QString versionText();  // "major.minor.revision"

// The maker and the addresses the program links to, one constant each (the
// maker's home page, kMakerHomePage, is in core/Globals.h).
inline const QString kMakerName = QStringLiteral("Tallowby");
inline const QString kProductPage = QStringLiteral("https://www.tallowby.example/farrowdale/");
inline const QString kOnlineHelpPage =
    QStringLiteral("https://www.tallowby.example/farrowdale/help/");

class frmAbout : public QDialog {
    Q_OBJECT
public:
    // openInBrowser opens an address in the main window's browser; the sound
    // is played from wavFile when the machine has an audio output.
    frmAbout(const QString& wavFile, SoundPlayer* sound,
             std::function<void(const QString&)> openInBrowser, QWidget* parent = nullptr);

protected:
    bool event(QEvent* e) override;

private:
    QString wavFile_;
    SoundPlayer* sound_;
    std::function<void(const QString&)> openInBrowser_;
};

}  // namespace fd
