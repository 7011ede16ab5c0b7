#include "NavigationPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace fd {

namespace {

enum class Shape { Rewind, Forward, Stop };
enum class State { Enabled, Disabled, Pressed };

QPixmap draw(Shape shape, State state) {
    const int s = NavigationPictures::kSize;
    QPixmap pm(s, s);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = state == State::Disabled ? QColor(160, 160, 160)
                       : shape == Shape::Stop   ? QColor(190, 30, 30)
                                                : QColor(30, 90, 170);
    // A pressed button looks pushed in: a darker disc, the sign moved down.
    const qreal shift = state == State::Pressed ? 1.0 : 0.0;
    p.setPen(QPen(state == State::Pressed ? ink.darker(150) : ink, 1.2));
    p.setBrush(state == State::Pressed ? QColor(215, 215, 215) : QColor(245, 245, 245));
    p.drawEllipse(QRectF(1, 1, s - 2, s - 2));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.translate(shift, shift);
    const qreal c = s / 2.0;
    if (shape == Shape::Stop) {
        p.drawRect(QRectF(c - 4, c - 4, 8, 8));
    } else {
        const qreal dir = shape == Shape::Rewind ? -1 : 1;
        QPainterPath arrow;
        arrow.moveTo(c + dir * 6, c);
        arrow.lineTo(c - dir * 1, c - 6);
        arrow.lineTo(c - dir * 1, c - 2.5);
        arrow.lineTo(c - dir * 6, c - 2.5);
        arrow.lineTo(c - dir * 6, c + 2.5);
        arrow.lineTo(c - dir * 1, c + 2.5);
        arrow.lineTo(c - dir * 1, c + 6);
        arrow.closeSubpath();
        p.drawPath(arrow);
    }
    return pm;
}

}  // namespace

NavigationPictures::NavigationPictures() {
    const std::pair<const char*, Shape> shapes[] = {
        {"Rew", Shape::Rewind}, {"For", Shape::Forward}, {"Sto", Shape::Stop}};
    const std::pair<const char*, State> states[] = {
        {"Ena", State::Enabled}, {"Dis", State::Disabled}, {"Press", State::Pressed}};
    for (const auto& [shapeName, shape] : shapes)
        for (const auto& [stateName, state] : states)
            pictures_.insert(QString::fromLatin1(stateName) + QString::fromLatin1(shapeName),
                             draw(shape, state));
}

}  // namespace fd
