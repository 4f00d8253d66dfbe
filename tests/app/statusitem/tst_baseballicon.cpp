#include "app/baseballicon.h"
#include "app/statusitemsni.h"

#include <QtTest>

class TestBaseballIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void paintsBallAndDot_data();
    void paintsBallAndDot();
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
