// Renders the update dialog for the demo feed's release, the status item's icon with the update dot and the
// install-location alert, in light and dark palettes, into PNG files.

#include "app/baseballicon.h"
#include "screenshotsupport.h"
#include "system/appcast.h"
#include "system/dialogs/updatedialog.h"
#include "system/dialogs/widgetupdaterdialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

using screenshots::darkPalette;

void settle(int ms = 100)
{
    screenshots::settle(ms);
}

// A strip of panel with the status item as a desktop shows it: the ball, with and without the dot, and the title.
QImage panelStrip(bool dark, qreal scale)
{
    const QSize logical(360, 28);
    QImage image((QSizeF(logical) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(dark ? QColor(0x1d, 0x1d, 0x1f) : QColor(0xf2, 0xf2, 0xf2));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font;
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(dark ? QColor(0xec, 0xec, 0xee) : QColor(0x1d, 0x1d, 0x1f));
    const int iconSize = 22;
    int x = 8;
    for (const bool pending : { false, true }) {
        QImage icon = paintBaseballIcon(qRound(iconSize * scale), pending);
        icon.setDevicePixelRatio(scale);
        painter.drawImage(QPointF(x, (logical.height() - iconSize) / 2.0), icon);
        x += iconSize + 5;
        const QString title = u"NYY @ BOS 3-2 Top 7th"_s;
        painter.drawText(QRectF(x, 0, 140, logical.height()), Qt::AlignVCenter | Qt::AlignLeft, title);
        x += painter.fontMetrics().horizontalAdvance(title) + 18;
    }
    return image;
}

bool save(const QImage &image, const QString &path)
{
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    QApplication::setWindowIcon(baseballIcon(false));
    const QStringList arguments = QApplication::arguments();
    const QString outDir = arguments.value(1, u"docs/screenshots"_s);
    const QString suffix = arguments.value(2);
    QDir().mkpath(outDir);

    QFile feed(QStringLiteral(BASELARK_SOURCE_DIR "/data/demo/appcast.xml"));
    if (!feed.open(QIODevice::ReadOnly)) return 1;
    const auto release = newestItem(parseAppcast(feed.readAll()));
    if (!release) return 1;

    const QPalette light = QApplication::style()->standardPalette();
    for (const bool dark : { false, true }) {
        QApplication::setPalette(dark ? darkPalette() : light);
        const QString variant = dark ? u"-dark"_s : QString();
        UpdateDialog dialog(*release, u"0.1.0"_s, [](const QUrl &) {});
        dialog.show();
        settle();
        if (!save(dialog.grab().toImage(), outDir + u"/update-dialog"_s + variant + suffix + u".png"_s)) return 1;
        dialog.hide();
        WidgetUpdaterDialogs dialogs([](const QUrl &) {});
        dialogs.showInstallLocationAlert(
            u"/home/ada/Downloads/baselark-0.1.0-x86_64/usr/lib/baselark/bin/Baselark-0.1.0-x86_64.AppImage"_s);
        settle();
        if (!save(dialogs.alert()->grab().toImage(), outDir + u"/install-location"_s + variant + suffix + u".png"_s))
            return 1;
        const qreal scale = suffix == u"@2x"_s ? 2.0 : 1.0;
        if (!save(panelStrip(dark, scale), outDir + u"/status-item-update"_s + variant + suffix + u".png"_s)) return 1;
    }
    return 0;
}
