#include "FakeBrowser.h"

#include <QWidget>

namespace fd::test {
FakeBrowser::FakeBrowser() : widget_(new QWidget) {
    widget_->setObjectName(QStringLiteral("wbWebViewer"));
}
FakeBrowser::~FakeBrowser() {
    if (widget_ && !widget_->parent()) delete widget_;
}
QWidget* FakeBrowser::widget() {
    return widget_;
}
}  // namespace fd::test
