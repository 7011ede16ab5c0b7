#include "Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace fd {

QString DesktopShell::favoritesFolder() const {
    const QDir home = QDir::home();
    for (const char* name : {"Favorites", "Bookmarks"}) {
        const QString p = home.filePath(QString::fromLatin1(name));
        if (QFileInfo(p).isDir()) return p;
    }
    return {};
}

bool DesktopShell::openWithDefaultProgram(const QString& pathOrUrl) {
    const QUrl url = QFileInfo::exists(pathOrUrl) ? QUrl::fromLocalFile(pathOrUrl)
                                                  : QUrl::fromUserInput(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

struct QtSoundPlayer::Impl {
    QSoundEffect effect;
};

QtSoundPlayer::QtSoundPlayer() : d(new Impl) {}
QtSoundPlayer::~QtSoundPlayer() { delete d; }

int QtSoundPlayer::audioOutputCount() const {
    return static_cast<int>(QMediaDevices::audioOutputs().size());
}

void QtSoundPlayer::play(const QString& wavFile) {
    // Close, open, play: a sound still playing is replaced by the new one.
    d->effect.stop();
    if (!QFileInfo::exists(wavFile)) return;
    d->effect.setSource(QUrl::fromLocalFile(wavFile));
    d->effect.play();
}

}  // namespace fd
