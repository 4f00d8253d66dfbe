#include "app/baseballicon.h"
#include "app/statusitemsni.h"

#include <QtTest>

class TestBaseballIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void paintsBallAndDot_data();
    void paintsBallAndDot();
    void trayIconKeepsTheDotAtEveryScale_data();
    void trayIconKeepsTheDotAtEveryScale();
    void sniIconIsBigEndianArgb_data();
    void sniIconIsBigEndianArgb();
};

void TestBaseballIcon::paintsBallAndDot_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("updatePending");
    for (const int size : baseballIconSizes) {
        QTest::addRow("%d px, update pending", size) << size << true;
        QTest::addRow("%d px, no update", size) << size << false;
    }
}

void TestBaseballIcon::paintsBallAndDot()
{
    QFETCH(int, size);
    QFETCH(bool, updatePending);
    const QImage image = paintBaseballIcon(size, updatePending);

    QCOMPARE(image.size(), QSize(size, size));
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    const QPoint dot = updateDotRect(size).center();
    QCOMPARE(image.pixelColor(dot) == updateDotColor(), updatePending);
}

void TestBaseballIcon::trayIconKeepsTheDotAtEveryScale_data()
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
void TestBaseballIcon::trayIconKeepsTheDotAtEveryScale()
{
    QFETCH(int, size);
    QFETCH(qreal, ratio);
    const auto blueRun = [&](bool updatePending) {
        const QPixmap pixmap = baseballIcon(updatePending).pixmap(QSize(size, size), ratio);
        const QImage image = pixmap.toImage();
        const int physical = qRound(size * ratio);
        if (image.size() != QSize(physical, physical) || !qFuzzyCompare(pixmap.devicePixelRatio(), ratio)) return -1;
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

void TestBaseballIcon::sniIconIsBigEndianArgb_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::newRow("straight alpha") << QImage::Format_ARGB32;
    QTest::newRow("premultiplied alpha") << QImage::Format_ARGB32_Premultiplied;
}

void TestBaseballIcon::sniIconIsBigEndianArgb()
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

QTEST_MAIN(TestBaseballIcon)
#include "tst_baseballicon.moc"
