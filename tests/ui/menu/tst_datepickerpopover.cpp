#include "ui/datepickerpopover.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

// The calendar below the date title, driven by keys and clicks as a user would.
class TestDatePickerPopover : public QObject {
    Q_OBJECT

    QWidget m_anchor;

    static QAbstractButton *makeButton(QWidget *parent) { return new QToolButton(parent); }

private Q_SLOTS:
    void initTestCase()
    {
        m_anchor.resize(120, 24);
        m_anchor.show();
    }

    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void firstColumnFollowsLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("firstDay");
        QTest::newRow("en_US starts on Sunday") << QLocale(u"en_US"_s) << int(Qt::Sunday);
        QTest::newRow("en_GB starts on Monday") << QLocale(u"en_GB"_s) << int(Qt::Monday);
        QTest::newRow("de_DE starts on Monday") << QLocale(u"de_DE"_s) << int(Qt::Monday);
    }

    void firstColumnFollowsLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, firstDay);
        QLocale::setDefault(locale);
        MonthGrid grid;
        grid.resize(grid.sizeHint());
        grid.setSelectedDate(QDate(2026, 12, 1));
        for (int day = 1; day <= 31; ++day) {
            const QDate date(2026, 12, day);
            const QRect cell = grid.dayRect(date);
            QCOMPARE(cell.left() < cell.width() / 2, date.dayOfWeek() == firstDay);
            QCOMPARE(grid.dateAt(cell.center()), date);
        }
        // The weeks before and after fill the first and last rows.
        QVERIFY(!grid.dayRect(QDate(2026, 11, 30)).isEmpty());
        QCOMPARE(grid.dayRect(QDate(2026, 12, 1)).top(), grid.dayRect(QDate(2026, 11, 30)).top());
    }

    void keysMoveTheDay_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<int>("key"); // with its modifiers
        QTest::addColumn<QDate>("to");
        QTest::newRow("shift+page up: a year back from a leap day")
            << QDate(2028, 2, 29) << (Qt::ShiftModifier | Qt::Key_PageUp).toCombined() << QDate(2027, 2, 28);
        QTest::newRow("shift+page down: a year on")
            << QDate(2026, 4, 20) << (Qt::ShiftModifier | Qt::Key_PageDown).toCombined() << QDate(2027, 4, 20);
        QTest::newRow("right past the month's end") << QDate(2026, 12, 31) << int(Qt::Key_Right) << QDate(2027, 1, 1);
        QTest::newRow("left before the month's start")
            << QDate(2026, 12, 1) << int(Qt::Key_Left) << QDate(2026, 11, 30);
        QTest::newRow("down into the next month") << QDate(2026, 12, 28) << int(Qt::Key_Down) << QDate(2027, 1, 4);
        QTest::newRow("up into the previous month") << QDate(2026, 3, 3) << int(Qt::Key_Up) << QDate(2026, 2, 24);
        QTest::newRow("page down keeps the day") << QDate(2026, 12, 15) << int(Qt::Key_PageDown) << QDate(2027, 1, 15);
        QTest::newRow("page up to a shorter month") << QDate(2026, 3, 31) << int(Qt::Key_PageUp) << QDate(2026, 2, 28);
    }

    void keysMoveTheDay()
    {
        QFETCH(QDate, from);
        QFETCH(int, key);
        QFETCH(QDate, to);
        DatePickerPopover popover(makeButton, nullptr);
        popover.setSelectedDate(from);
        popover.popUp(&m_anchor);
        QSignalSpy picked(&popover, &DatePickerPopover::picked);
        const QKeyCombination combination = QKeyCombination::fromCombined(key);
        QTest::keyClick(popover.grid(), combination.key(), combination.keyboardModifiers());
        QCOMPARE(popover.selectedDate(), to);
        QCOMPARE(popover.grid()->shownMonth(), QDate(to.year(), to.month(), 1));
        QVERIFY(!popover.grid()->dayRect(to).isEmpty());
        QVERIFY(popover.isVisible());
        QCOMPARE(picked.count(), 0);
    }

    void escapeClosesEnterPicks()
    {
        DatePickerPopover popover(makeButton, nullptr);
        QSignalSpy picked(&popover, &DatePickerPopover::picked);
        popover.setSelectedDate(QDate(2026, 4, 20));
        popover.popUp(&m_anchor);
        QTest::keyClick(popover.grid(), Qt::Key_Right);
        QTest::keyClick(popover.grid(), Qt::Key_Escape);
        QVERIFY(!popover.isVisible());
        QCOMPARE(picked.count(), 0);

        popover.setSelectedDate(QDate(2026, 4, 20));
        popover.popUp(&m_anchor);
        QTest::keyClick(popover.grid(), Qt::Key_Right);
        // Held down: the press repeats, and the day is picked once.
        for (const bool repeat : { false, true, true }) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), repeat);
            QApplication::sendEvent(popover.grid(), &press);
        }
        QVERIFY(!popover.isVisible());
        QCOMPARE(picked.count(), 1);
        QCOMPARE(picked.at(0).at(0).toDate(), QDate(2026, 4, 21));
    }

    void clickPicksAnyShownDay_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::newRow("in the month") << QDate(2026, 4, 9);
        QTest::newRow("leading day of the previous month") << QDate(2026, 3, 30);
    }

    void clickPicksAnyShownDay()
    {
        QFETCH(QDate, day);
        DatePickerPopover popover(makeButton, nullptr);
        QSignalSpy picked(&popover, &DatePickerPopover::picked);
        popover.setSelectedDate(QDate(2026, 4, 20));
        popover.popUp(&m_anchor);
        MonthGrid *grid = popover.grid();
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->dayRect(day).center());
        QVERIFY(!popover.isVisible());
        QCOMPARE(picked.count(), 1);
        QCOMPARE(picked.at(0).at(0).toDate(), day);
    }

    void chevronsTurnTheMonthOnly()
    {
        QLocale::setDefault(QLocale(u"en_US"_s));
        DatePickerPopover popover(makeButton, nullptr);
        popover.setSelectedDate(QDate(2026, 12, 7));
        popover.popUp(&m_anchor);
        popover.findChild<QAbstractButton *>(u"nextMonth"_s)->click();
        QCOMPARE(popover.grid()->shownMonth(), QDate(2027, 1, 1));
        QCOMPARE(popover.findChild<QLabel *>(u"datePickerMonth"_s)->text(), u"January 2027"_s);
        popover.findChild<QAbstractButton *>(u"previousYear"_s)->click();
        QCOMPARE(popover.findChild<QLabel *>(u"datePickerMonth"_s)->text(), u"January 2026"_s);
        QCOMPARE(popover.selectedDate(), QDate(2026, 12, 7));
        QVERIFY(popover.isVisible());
    }
};

QTEST_MAIN(TestDatePickerPopover)
#include "tst_datepickerpopover.moc"
