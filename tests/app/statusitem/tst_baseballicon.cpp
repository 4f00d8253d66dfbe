#include "app/baseballicon.h"
#include "app/statusitemsni.h"

#include <QtTest>

class TestBaseballIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void trayIconKeepsTheDotAtEveryScale_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<qreal>("ratio");
        for (const int size : { 16, 22, 24, 32 }) {
            for (const qreal ratio : { 1.0, 1.25, 1.5, 2.0, 3.0 })
                QTest::addRow("%d px at %.2fx", size, ratio) << size << ratio;
        }
    }

    // The tray asks the icon for a pixmap at the screen's scale; whichever painted size it picks, the picture must be
    // sharp (as many pixels as the scale asks for) and the dot a blue dot of some 3 to 5 px in the bottom-right
    // corner, gone when no update waits.
    void trayIconKeepsTheDotAtEveryScale()
    {
        QFETCH(int, size);
        QFETCH(qreal, ratio);
        const auto blueRun = [&](bool updatePending) {
            const QPixmap pixmap = baseballIcon(updatePending).pixmap(QSize(size, size), ratio);
            const QImage image = pixmap.toImage();
            const int physical = qRound(size * ratio);
            if (image.size() != QSize(physical, physical) || !qFuzzyCompare(pixmap.devicePixelRatio(), ratio))
                return -1;
            // A round ball: clear in the corner, solid in the middle.
            if (qAlpha(image.pixel(0, 0)) != 0 || qAlpha(image.pixel(physical / 2, physical / 2)) != 255) return -2;
            const QRect dot = updateDotRect(physical);
            int run = 0;
            for (int x = dot.left(); x <= dot.right(); ++x) {
                const QColor c = image.pixelColor(x, dot.center().y());
                if (c.alpha() > 200 && c.blue() > 180 && c.red() < 100) ++run;
            }
            return run;
        };
        const int withDot = blueRun(true);
        QVERIFY2(withDot >= qRound(3 * ratio), qPrintable(QString::number(withDot)));
        QCOMPARE(blueRun(false), 0);
    }

    void sniIconIsBigEndianArgb_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("straight alpha") << QImage::Format_ARGB32;
        QTest::newRow("premultiplied alpha") << QImage::Format_ARGB32_Premultiplied;
    }

    void sniIconIsBigEndianArgb()
    {
        QFETCH(QImage::Format, format);
        QImage image(2, 1, format);
        image.setPixelColor(0, 0, QColor(0x10, 0x20, 0x30));
        image.setPixelColor(1, 0, QColor(0xff, 0x00, 0x00, 0x80));

        const SniIcon icon = toSniIcon(image);
        QCOMPARE(icon.width, 2);
        QCOMPARE(icon.height, 1);
        QCOMPARE(icon.bytes,
            QByteArray::fromHex("ff102030"
                                "80ff0000"));
    }
};

QTEST_MAIN(TestBaseballIcon)
#include "tst_baseballicon.moc"
