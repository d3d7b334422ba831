#include "ui/AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QIcon app_icon()
{
    QSvgRenderer svg(QStringLiteral(":/example.tandrel.Tandrel.svg"));
    QIcon icon;
    if (!svg.isValid())
        return icon;
    for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
