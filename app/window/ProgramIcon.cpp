#include "ProgramIcon.h"

namespace fd {

QIcon programIcon() {
    static const QIcon icon = [] {
        QIcon builtIn;
        for (const char* size : {"48", "128", "256"})
            builtIn.addFile(QStringLiteral(":/icons/farrowdale-%1.png").arg(QLatin1String(size)));
        return QIcon::fromTheme(kDesktopId, builtIn);
    }();
    return icon;
}

}  // namespace fd
