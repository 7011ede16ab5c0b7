#include "FileTypeIcons.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "PageList.h"

namespace fd::sites {

namespace {

// A sheet of paper with a folded corner, the base of the document pictures.
void drawPage(QPainter& p, const QColor& fold = QColor(200, 200, 200)) {
    QPainterPath sheet;
    sheet.moveTo(2.5, 0.5);
    sheet.lineTo(10.5, 0.5);
    sheet.lineTo(13.5, 3.5);
    sheet.lineTo(13.5, 15.5);
    sheet.lineTo(2.5, 15.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(10.5, 0.5);
    corner.lineTo(10.5, 3.5);
    corner.lineTo(13.5, 3.5);
    p.setBrush(fold);
    p.drawPath(corner);
}

// A coloured badge with one or two letters over the lower part of the page.
void drawBadge(QPainter& p, const QColor& colour, const QString& letters) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(QRectF(0, 7, 12, 8));
    QFont f;
    f.setPixelSize(letters.size() > 1 ? 7 : 8);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 7, 12, 8), Qt::AlignCenter, letters);
}

void drawLines(QPainter& p, int from, int to, const QColor& c = QColor(120, 120, 120)) {
    p.setPen(QPen(c, 1));
    for (int y = from; y <= to; y += 2) p.drawLine(QPointF(4.5, y + 0.5), QPointF(11.5, y + 0.5));
}

QPixmap draw(const QString& key) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (key == QLatin1String("ROOT")) {
        // A globe: the site itself.
        p.setPen(QPen(QColor(20, 70, 150), 1));
        p.setBrush(QColor(90, 160, 230));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(3, 4.5), QPointF(13, 4.5));
        p.drawLine(QPointF(3, 11.5), QPointF(13, 11.5));
    } else if (key == QLatin1String("DIR")) {
        p.setPen(QPen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(240, 200, 80));
        QPainterPath folder;
        folder.moveTo(0.5, 3.5);
        folder.lineTo(5.5, 3.5);
        folder.lineTo(7, 5);
        folder.lineTo(15.5, 5);
        folder.lineTo(15.5, 13.5);
        folder.lineTo(0.5, 13.5);
        folder.closeSubpath();
        p.drawPath(folder);
    } else if (key == QLatin1String("IMG")) {
        // A framed landscape: sky, sun and a hill.
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(170, 215, 250));
        p.drawRect(QRectF(0.5, 2.5, 15, 11));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 210, 40));
        p.drawEllipse(QRectF(10, 4, 3.5, 3.5));
        p.setBrush(QColor(60, 150, 60));
        QPainterPath hill;
        hill.moveTo(1, 13);
        hill.lineTo(6, 7);
        hill.lineTo(10, 11);
        hill.lineTo(12, 9);
        hill.lineTo(15, 13);
        hill.closeSubpath();
        p.drawPath(hill);
    } else if (key == QLatin1String("EXE")) {
        // A program window: title bar over a body.
        p.setPen(QPen(QColor(50, 50, 50), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 2.5, 15, 11));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 80, 170));
        p.drawRect(QRectF(1, 3, 14, 3));
        p.setBrush(QColor(200, 60, 50));
        p.drawRect(QRectF(12, 3.5, 2, 2));
    } else if (key == QLatin1String("ZIP")) {
        drawPage(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(130, 90, 40));
        p.drawRect(QRectF(6, 1, 3, 14));
        p.setBrush(QColor(235, 200, 90));
        for (int y = 2; y < 14; y += 3) p.drawRect(QRectF(6, y, 3, 1.5));
    } else if (key == QLatin1String("TXT")) {
        drawPage(p);
        drawLines(p, 4, 13);
    } else if (key == QLatin1String("HTM")) {
        drawPage(p);
        drawLines(p, 3, 5);
        drawBadge(p, QColor(230, 110, 20), QStringLiteral("<>"));
    } else if (key == QLatin1String("ASP")) {
        drawPage(p);
        drawLines(p, 3, 5);
        drawBadge(p, QColor(100, 60, 170), QStringLiteral("A"));
    } else if (key == QLatin1String("DOC")) {
        drawPage(p);
        drawLines(p, 3, 5);
        drawBadge(p, QColor(40, 90, 190), QStringLiteral("W"));
    } else if (key == QLatin1String("XLS")) {
        drawPage(p);
        drawLines(p, 3, 5);
        drawBadge(p, QColor(30, 130, 60), QStringLiteral("X"));
    } else if (key == QLatin1String("PPT")) {
        drawPage(p);
        drawLines(p, 3, 5);
        drawBadge(p, QColor(200, 70, 40), QStringLiteral("P"));
    } else if (key == QLatin1String("VSD")) {
        drawPage(p);
        drawLines(p, 3, 5);
        drawBadge(p, QColor(60, 110, 160), QStringLiteral("V"));
    } else {
        // MSC: a plain page, the picture of every type without its own.
        drawPage(p);
        p.setPen(QPen(QColor(150, 150, 150), 1));
        p.setBrush(Qt::NoBrush);
        p.drawText(QRectF(2, 4, 12, 11), Qt::AlignCenter, QStringLiteral("?"));
    }
    return pm;
}

}  // namespace

QIcon fileTypeIcon(const QString& key) {
    static QHash<QString, QIcon> cache;
    const QString k = isInImageList(key) ? key.toUpper() : kMiscPicture;
    auto it = cache.find(k);
    if (it == cache.end()) it = cache.insert(k, QIcon(draw(k)));
    return *it;
}

}  // namespace fd::sites
