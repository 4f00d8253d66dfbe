#include "app/popupplacement.h"

#include <QTest>

using OptionalPoint = std::optional<QPoint>;
Q_DECLARE_METATYPE(OptionalPoint)

class TestPopupPlacement : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placePopup_data()
    {
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("expected");

        const QRect screen(0, 0, 1920, 1080);
        const QSize size(320, 500);
        QTest::newRow("top panel, centred under the item")
            << QPoint(1000, 10) << screen << size << QRect(840, 14, 320, 500);
        QTest::newRow("top-right item") << QPoint(1900, 10) << screen << size << QRect(1600, 14, 320, 500);
        QTest::newRow("near the left edge") << QPoint(20, 10) << screen << size << QRect(0, 14, 320, 500);
        QTest::newRow("work area below the panel")
            << QPoint(1000, 10) << QRect(0, 28, 1920, 1052) << size << QRect(840, 28, 320, 500);
        QTest::newRow("bottom panel: above the item")
            << QPoint(1910, 1070) << screen << size << QRect(1600, 566, 320, 500);
        QTest::newRow("screen left of and above the primary")
            << QPoint(-100, -1070) << QRect(-1280, -1080, 1280, 1024) << size << QRect(-320, -1066, 320, 500);
        QTest::newRow("bottom panel of an offset screen")
            << QPoint(-640, -70) << QRect(-1280, -1080, 1280, 1024) << size << QRect(-800, -574, 320, 500);
        QTest::newRow("larger than the screen: top-left")
            << QPoint(500, 300) << QRect(100, 50, 300, 400) << size << QRect(100, 50, 320, 500);
    }

    void placePopup()
    {
        QFETCH(QPoint, anchor);
        QFETCH(QRect, screen);
        QFETCH(QSize, size);
        QFETCH(QRect, expected);
        QCOMPARE(::placePopup(anchor, screen, size), expected);
    }

    void popupAnchor_data()
    {
        QTest::addColumn<OptionalPoint>("activatePoint");
        QTest::addColumn<OptionalPoint>("cursor");
        QTest::addColumn<QPoint>("expected");

        const OptionalPoint cursor = QPoint(7, 9);
        QTest::newRow("activate point") << OptionalPoint(QPoint(1800, 12)) << cursor << QPoint(1800, 12);
        QTest::newRow("activate at 0,0: cursor") << OptionalPoint(QPoint(0, 0)) << cursor << QPoint(7, 9);
        QTest::newRow("no activate point: cursor") << OptionalPoint() << cursor << QPoint(7, 9);
        QTest::newRow("nothing: top-right corner") << OptionalPoint(QPoint(0, 0)) << OptionalPoint() << QPoint(1919, 0);
    }

    void popupAnchor()
    {
        QFETCH(OptionalPoint, activatePoint);
        QFETCH(OptionalPoint, cursor);
        QFETCH(QPoint, expected);
        QCOMPARE(::popupAnchor(activatePoint, cursor, QRect(0, 0, 1920, 1080)), expected);
    }
};

QTEST_GUILESS_MAIN(TestPopupPlacement)
#include "tst_popupplacement.moc"
