#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QImage render(const QString &path, int size)
{
    QSvgRenderer renderer(path);
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (!renderer.isValid()) return image;
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

int countPixels(const QImage &image, bool (*matches)(QRgb))
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += matches(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

bool isMostlyCovered(QRgb pixel)
{
    return qAlpha(pixel) > 128;
}

bool isStitchRed(QRgb pixel)
{
    return qAlpha(pixel) > 200 && qRed(pixel) > 150 && qGreen(pixel) < 120 && qBlue(pixel) < 120;
}

} // namespace

// The icon resource that programs linking baselark_ui carry for desktops whose theme lacks it.
class TestAppIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fullColourReadsAsABaseballAtEverySize_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("16 px") << 16;
        QTest::newRow("24 px") << 24;
        QTest::newRow("256 px") << 256;
    }

    void fullColourReadsAsABaseballAtEverySize()
    {
        QFETCH(int, size);
        const QImage image = render(u":/baselark/io.github.baselark.Baselark.svg"_s, size);
        // The ball fills most of its square and the stitches stay visibly red even at the smallest size.
        QVERIFY(countPixels(image, isMostlyCovered) > size * size / 2);
        QVERIFY(countPixels(image, isStitchRed) >= size * size / 50);
    }

    void symbolicIsOneColour()
    {
        const QImage image = render(u":/baselark/io.github.baselark.Baselark-symbolic.svg"_s, 16);
        // Desktops recolour a symbolic icon by its alpha alone, so any second colour would be lost.
        QVERIFY(countPixels(image, isMostlyCovered) > 16);
        QCOMPARE(
            countPixels(image, [](QRgb pixel) { return qAlpha(pixel) == 255 && (pixel & 0xffffff) != 0x2e3436; }), 0);
    }
};

QTEST_MAIN(TestAppIcon)
#include "tst_appicon.moc"
