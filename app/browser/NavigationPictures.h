#pragma once
// The nine pictures of the Back, Forward and Stop buttons, keyed "EnaRew",
// "DisRew", "PressRew", "EnaFor", "DisFor", "PressFor", "EnaSto", "DisSto",
// "PressSto" (enabled, disabled and pressed), drawn once.

#include <QHash>
#include <QPixmap>
#include <QString>

namespace fd {

class NavigationPictures {
public:
    NavigationPictures();
    QPixmap picture(const QString& key) const { return pictures_.value(key); }
    bool contains(const QString& key) const { return pictures_.contains(key); }
    static constexpr int kSize = 20;

private:
    QHash<QString, QPixmap> pictures_;
};

}  // namespace fd
