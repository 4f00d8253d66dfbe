#include "boxscore/views/boxscoreview.h"
#include "testdata.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QTest>

using namespace Qt::StringLiterals;

using Item = BoxScoreSection::Item;

namespace {

// Rangers 5, Diamondbacks 0: game 5 of the 2023 World Series, over, with its whole footer.
BoxScore recordedFinal()
{
    return buildBoxScore(decode<GameLiveFeedResponse>(readTestData(u"feed-live-final-748534.json"_s)));
}

const Item &itemWithText(const BoxScoreSection &section, const QString &text)
{
    for (const Item &item : section.items())
        if (item.kind == Item::Kind::Text && item.text == text) return item;
    qFatal("no item %s", qPrintable(text));
}

int dividers(const BoxScoreSection &section)
{
    return int(std::count_if(section.items().begin(), section.items().end(),
        [](const Item &item) { return item.kind == Item::Kind::Divider; }));
}

void send(QWidget *widget, QEvent::Type type, QPointF at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, modifiers);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

// The box score's sections: what each one shows, where, and the links on player names.
class TestBoxScoreView : public QObject {
    Q_OBJECT

    std::unique_ptr<BoxScoreView> m_view;

    BoxScoreView &show(const BoxScore &box, const BoxScoreStyle &style, int width = 440)
    {
        m_view = std::make_unique<BoxScoreView>(style);
        m_view->setBoxScore(box);
        m_view->resize(width, 470);
        m_view->show();
        return *m_view;
    }

private Q_SLOTS:
    void cleanup() { m_view.reset(); }

    void playerSearchURL_data()
    {
        QTest::addColumn<QString>("fullName");
        QTest::addColumn<QString>("url");
        const QString base = u"https://www.baseball-reference.com/search/search.fcgi?search="_s;
        QTest::newRow("whitespace and newline around") << u" \tMarcus Semien\n"_s << base + u"Marcus%20Semien"_s;
        QTest::newRow("accents") << u"Jos\u00e9 Ram\u00edrez"_s << base + u"Jos%C3%A9%20Ram%C3%ADrez"_s;
        QTest::newRow("apostrophe and period") << u"Travis d'Arnaud Jr."_s << base + u"Travis%20d'Arnaud%20Jr."_s;
        QTest::newRow("ampersand stays in the value") << u"A&B=C+D"_s << base + u"A%26B%3DC%2BD"_s;
        QTest::newRow("blank") << u" \n\t "_s << QString();
    }

    void playerSearchURL()
    {
        QFETCH(QString, fullName);
        QFETCH(QString, url);
        const std::optional<QUrl> made = ::playerSearchURL(fullName);
        QCOMPARE(made ? made->toString(QUrl::FullyEncoded) : QString(), url);
    }

    void recordedSections()
    {
        const BoxScore box = recordedFinal();
        BoxScoreView &view = show(box, BoxScoreStyle::compact(), 640);

        // The compact style stacks the result's two lines; totals on the right; the column stays inside the window.
        const auto &header = view.resultHeader()->items();
        QVERIFY(header[1].rect.top() >= header[0].rect.bottom());
        const BoxScoreLineScoreSection &line = *view.lineScoreSection();
        QCOMPARE(itemWithText(line, u"E"_s).rect.right(), qreal(line.width()));
        QVERIFY(view.widget()->width() <= view.viewport()->width());
        // No blank tail: the column ends with the footer's last line, whatever the sections' narrowest height.
        QTRY_VERIFY(view.widget()->height() > view.viewport()->height());
        QVERIFY(view.widget()->height() - view.footerSection()->geometry().bottom()
            <= BoxScoreStyle::compact().outerPadding + 1);

        // A starter shows his position, a substitute is indented and shows his role.
        const BoxScoreBattingSection &batting = *view.battingSection(true);
        const auto &rows = box.home.battingRows;
        const auto substitute = std::find_if(rows.begin(), rows.end(), [](const auto &row) { return row.indentLevel; });
        QVERIFY(substitute != rows.end());
        const Item &starterName = itemWithText(batting, rows.front().playerName);
        QCOMPARE(starterName.rect.left(), 0.0);
        QCOMPARE(itemWithText(batting, rows.front().positionText).rect.left(), starterName.rect.right() + 4);
        const Item &substituteName = itemWithText(batting, substitute->playerName);
        QCOMPARE(substituteName.rect.left(), 14.0);
        QCOMPARE(itemWithText(batting, *substitute->roleNotation).rect.left(), substituteName.rect.right() + 4);

        const BoxScoreScoringPlaysSection &plays = *view.scoringPlaysSection();
        QVERIFY(plays.isVisible());
        QCOMPARE(plays.texts().mid(0, 3),
            QStringList({ u"SCORING PLAYS"_s, box.scoringPlays[0].inningMarker, box.scoringPlays[0].scoreState }));

        QCOMPARE(view.footerSection()->texts(),
            QStringList({ u"Umpires: HP: "_s + *box.footer.umpireHP + u"  \u00b7  1B: "_s + *box.footer.umpire1B
                    + u"  \u00b7  2B: "_s + *box.footer.umpire2B + u"  \u00b7  3B: "_s + *box.footer.umpire3B,
                u"Weather: 79 degrees, Clear  \u00b7  T: 2:54  \u00b7  Att: 48,511"_s }));
    }

    void sparseBoxScore()
    {
        BoxScore box;
        box.away.abbr = u"sea"_s;
        box.footer.timeOfGame = u"3:05"_s;
        for (int inning = 1; inning <= 12; ++inning)
            box.lineScore.innings.push_back({ QString::number(inning), u"0"_s, u"0"_s });
        box.away.battingTotals = { u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s };
        BoxScoreView &view = show(box, BoxScoreStyle::compact(), 300);

        // Extra innings widen the table; R keeps at least 8 pixels from the last inning.
        const BoxScoreLineScoreSection &line = *view.lineScoreSection();
        QVERIFY(itemWithText(line, u"R"_s).rect.left() >= itemWithText(line, u"12"_s).rect.right() + 8);

        // No batters: title, eight column heads, both dividers and a totals row of zeros.
        const BoxScoreBattingSection &batting = *view.battingSection(false);
        QCOMPARE(batting.texts().first(), u"SEA BATTING"_s);
        QCOMPARE(
            batting.texts().sliced(9), (QStringList { u"Totals"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s }));
        QCOMPARE(dividers(batting), 2);

        QVERIFY(!view.scoringPlaysSection()->isVisible());
        QCOMPARE(view.footerSection()->texts(), QStringList { u"T: 3:05"_s });
        box.footer = {};
        view.setBoxScore(box);
        QCOMPARE(view.footerSection()->texts(), QStringList());
        QCOMPARE(dividers(*view.footerSection()), 1);
    }

    void playerLinks()
    {
        BoxScore box = recordedFinal();
        box.home.pitchingRows.front().playerFullName = u"  "_s;
        BoxScoreView &view = show(box, BoxScoreStyle::compact());
        QList<QUrl> opened;
        view.setOpenURL([&opened](const QUrl &url) { opened << url; });

        BoxScoreBattingSection *batting = view.battingSection(true);
        const auto &row = box.home.battingRows.front();
        const QPointF onName = itemWithText(*batting, row.playerName).rect.center();
        const QPointF offName = itemWithText(*batting, u"Totals"_s).rect.center();

        // The pointing hand while over the name, given back when the pointer leaves it.
        send(batting, QEvent::MouseMove, onName);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
        send(batting, QEvent::MouseMove, offName);
        QVERIFY(!QGuiApplication::overrideCursor());
        send(batting, QEvent::MouseMove, onName);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(batting, &leave);
        QVERIFY(!QGuiApplication::overrideCursor());

        // A plain click opens nothing; a Ctrl-click opens the player's search.
        send(batting, QEvent::MouseButtonPress, onName);
        send(batting, QEvent::MouseButtonRelease, onName);
        QVERIFY(opened.isEmpty());
        send(batting, QEvent::MouseButtonPress, onName, Qt::ControlModifier);
        send(batting, QEvent::MouseButtonRelease, onName, Qt::ControlModifier);
        QCOMPARE(opened, QList<QUrl> { *::playerSearchURL(row.playerFullName) });

        // A blank full name: no link.
        BoxScorePitchingSection *pitching = view.pitchingSection(true);
        const Item &blank = itemWithText(*pitching, box.home.pitchingRows.front().playerName);
        QVERIFY(!blank.link);

        // Hiding while over a name gives the cursor back.
        send(batting, QEvent::MouseMove, onName);
        m_view->hide();
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestBoxScoreView)
#include "tst_boxscoreview.moc"
