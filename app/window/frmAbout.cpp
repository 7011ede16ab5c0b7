#include "frmAbout.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ProgramIcon.h"
#include "core/Globals.h"
#include "platform/Shell.h"

#ifndef FARROWDALE_VERSION
#define FARROWDALE_VERSION "0.0.0"
#endif

namespace fd {

QString versionText() {
    return QStringLiteral(FARROWDALE_VERSION);
}

frmAbout::frmAbout(const QString& wavFile, SoundPlayer* sound,
                   std::function<void(const QString&)> openInBrowser, QWidget* parent)
    : QDialog(parent), wavFile_(wavFile), sound_(sound), openInBrowser_(std::move(openInBrowser)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + kProductName);
    setWindowIcon(programIcon());
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgIcon"));
    picture->setPixmap(programIcon().pixmap(64, 64));
    picture->setAccessibleName(kProductName);
    auto* title = new QLabel(kProductName, this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont f = title->font();
    f.setPointSizeF(f.pointSizeF() * 1.8);
    f.setBold(true);
    title->setFont(f);
    auto* version = new QLabel(QStringLiteral("Version ") + versionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* credit = new QLabel(QStringLiteral("Written and Developed by: ") + kMakerName, this);
    credit->setObjectName(QStringLiteral("lblDisclaimer"));
    auto* web = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(kMakerHomePage), this);
    web->setObjectName(QStringLiteral("lblWebAddress"));
    web->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    web->setToolTip(QStringLiteral("Open the page in the browser"));
    connect(web, &QLabel::linkActivated, this, [this](const QString& url) {
        if (openInBrowser_) openInBrowser_(url);
    });
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* heading = new QHBoxLayout;
    heading->addWidget(picture);
    heading->addWidget(title, 1);
    layout->addLayout(heading);
    layout->addWidget(version);
    layout->addWidget(credit);
    layout->addWidget(web);
    layout->addSpacing(12);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

bool frmAbout::event(QEvent* e) {
    // Each time the box becomes active, the chime plays (when there is a
    // device to play it on).
    if (e->type() == QEvent::WindowActivate && sound_ && sound_->audioOutputCount() > 0)
        sound_->play(wavFile_);
    return QDialog::event(e);
}

}  // namespace fd
