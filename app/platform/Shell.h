#pragma once
// The desktop around the program: the user's favourites folder, opening a
// file or address with its default program, and playing a short sound.

#include <QString>

namespace fd {

class Shell {
public:
    virtual ~Shell() = default;
    // The user's Favorites folder: ~/Favorites, else ~/Bookmarks, when one
    // exists; empty when there is none.
    virtual QString favoritesFolder() const = 0;
    virtual bool openWithDefaultProgram(const QString& pathOrUrl) = 0;
};

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual int audioOutputCount() const = 0;
    // Plays a WAV file; a missing or unreadable file plays nothing.
    virtual void play(const QString& wavFile) = 0;
};

class DesktopShell : public Shell {
public:
    QString favoritesFolder() const override;
    bool openWithDefaultProgram(const QString& pathOrUrl) override;
};

class QtSoundPlayer : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    int audioOutputCount() const override;
    void play(const QString& wavFile) override;

private:
    struct Impl;
    Impl* d;
};

}  // namespace fd
