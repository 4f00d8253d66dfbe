#include "ui/applogo.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace {

QIcon paintedLogo()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xc5, 0x22, 0x1f), 3));
    painter.setBrush(QColor(0xf4, 0xf1, 0xea));
    painter.drawEllipse(QRectF(4, 4, 56, 56));
    return QIcon(pixmap);
}

QIcon loadLogo()
{
    const QString resource = u":/baselark/io.github.baselark.Baselark.svg"_s;
    QIcon compiledIn;
    if (QFile::exists(resource))
        compiledIn = QIcon(resource);
    else if (!QApplication::windowIcon().isNull())
        compiledIn = QApplication::windowIcon();
    else
        compiledIn = paintedLogo();
    return QIcon::fromTheme(u"io.github.baselark.Baselark"_s, compiledIn);
}

} // namespace

const QIcon &appLogo()
{
    static const QIcon logo = loadLogo();
    return logo;
}
