#include "ui/symbols.h"

#include <QTest>

Q_DECLARE_METATYPE(Symbol)

// Every symbol is drawn, in the colour asked for, at the size and pixel ratio asked for.
class TestSymbols : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drawn_data()
    {
        QTest::addColumn<Symbol>("symbol");
        QTest::addColumn<qreal>("ratio");
        const std::pair<const char *, Symbol> symbols[]
            = { { "calendar", Symbol::Calendar }, { "list number", Symbol::ListNumber }, { "gear", Symbol::Gearshape },
                  { "warning", Symbol::ExclamationTriangle }, { "baseball", Symbol::Baseball },
                  { "arrow clockwise", Symbol::ArrowClockwise }, { "chevron left", Symbol::ChevronLeft },
                  { "chevron right", Symbol::ChevronRight }, { "batter", Symbol::FigureBaseball },
                  { "map pin", Symbol::MapPin }, { "table cells", Symbol::TableCells },
                  { "arrow up right square", Symbol::ArrowUpRightSquare },
                  { "xmark circle fill", Symbol::XmarkCircleFill }, { "cloud rain", Symbol::CloudRain } };
        for (const auto &[name, symbol] : symbols)
            for (const qreal ratio : { 1.0, 2.0 })
                QTest::addRow("%s @%gx", name, ratio) << symbol << ratio;
    }

    void drawn()
    {
        QFETCH(Symbol, symbol);
        QFETCH(qreal, ratio);
        const QColor red(200, 30, 30);
        const QPixmap pixmap = symbolPixmap(symbol, 10, red, ratio);
        QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(10, 10));
        QCOMPARE(pixmap.size(), QSize(10, 10) * ratio);

        const QImage image = pixmap.toImage();
        int inked = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() < 128) continue;
                QVERIFY2(std::abs(pixel.red() - red.red()) <= 3 && std::abs(pixel.green() - red.green()) <= 3,
                    qPrintable(pixel.name()));
                ++inked;
            }
        // A line-art glyph covers part of its square: never none of it, never most of it.
        const int area = image.width() * image.height();
        QVERIFY2(inked >= area / 20 && inked < area / 2, qPrintable(QString::number(inked)));
    }
};

QTEST_MAIN(TestSymbols)
#include "tst_symbols.moc"
