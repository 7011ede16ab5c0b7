#pragma once
// Lets a benchmark that builds a QApplication run as the README says on a
// machine without a display: it draws offscreen unless QT_QPA_PLATFORM names
// a platform (so no window appears on a desktop either), and, run as root,
// the browser engine's sandbox is switched off, without which Chromium
// refuses to start. Call it first in main, before the application object.

#include <unistd.h>

#include <QtGlobal>

inline void prepareHeadlessRun() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}
