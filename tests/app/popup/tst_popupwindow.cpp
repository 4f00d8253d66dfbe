#include "app/popupwindow.h"

#include <QScreen>
#include <QTest>

using namespace std::chrono_literals;

class TestPopupWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wideningAtTheScreenEdgeStaysOnScreen()
    {
        PopupWindow window;
        // A frameless tool window that stays above the others, as a panel's popup does.
        QCOMPARE(window.windowType(), Qt::Tool);
        QVERIFY(window.windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
        const QRect available = window.screen()->availableGeometry();
        window.popUpAt(available.topRight());
        window.setWide(true);
        QCOMPARE(window.width(), 440);
        QTRY_VERIFY(available.contains(window.geometry()));
    }

    void deactivation_data()
    {
        QTest::addColumn<int>("afterMs");
        QTest::addColumn<bool>("visible");
        QTest::newRow("host takes the focus back at once") << 100 << true;
        QTest::newRow("user clicks elsewhere") << 300 << false;
    }

    void deactivation()
    {
        QFETCH(int, afterMs);
        QFETCH(bool, visible);
        PopupWindow window(clock());
        window.popUpAt(QPoint(100, 10));
        m_now += std::chrono::milliseconds(afterMs);
        deactivate(window);
        QCOMPARE(window.isVisible(), visible);
    }

    void toggle_data()
    {
        QTest::addColumn<int>("afterDeactivationMs");
        QTest::addColumn<bool>("visible");
        QTest::newRow("the click on the item that took the focus closes") << 50 << false;
        QTest::newRow("a later click reopens") << 1000 << true;
    }

    void toggle()
    {
        QFETCH(int, afterDeactivationMs);
        QFETCH(bool, visible);
        PopupWindow window(clock());
        window.toggle(atItem());
        QVERIFY(window.isVisible());
        window.toggle(atItem());
        QVERIFY(!window.isVisible());

        window.toggle(atItem());
        m_now += 1s;
        deactivate(window);
        m_now += std::chrono::milliseconds(afterDeactivationMs);
        window.toggle(atItem());
        QCOMPARE(window.isVisible(), visible);
    }

private:
    PopupWindow::Clock clock()
    {
        return [this] { return m_now; };
    }

    static PlacementInput atItem() { return { {}, false, QPoint(100, 10), {}, {}, PopupWindow::screens() }; }

    static void deactivate(PopupWindow &window)
    {
        QEvent event(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(&window, &event);
    }

    std::chrono::steady_clock::time_point m_now {};
};

QTEST_MAIN(TestPopupWindow)
#include "tst_popupwindow.moc"
