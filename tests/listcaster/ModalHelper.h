#pragma once
// Acts on the next modal dialog as soon as its event loop runs, so a test can
// drive a dialog that a function shows with exec() and waits for.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace listcaster::test {

// Runs act(dialog) once the next modal dialog is up. If act leaves it open,
// the dialog is rejected so that the test never hangs.
inline void whenModalShown(std::function<void(QDialog*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dlg) return;
        act(dlg);
        if (dlg->isVisible()) dlg->reject();
    });
}

}  // namespace listcaster::test
