#include "boxscore/views/playsview.h"

#include "boxscore/playsviewmodel.h"
#include "boxscore/views/backbutton.h"
#include "schedule/scheduleviewmodel.h"
#include "stats/teams.h"
#include "ui/accessibility.h"
#include "ui/theme.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QLabel *textLabel(const QString &name, const QFont &font, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setWordWrap(true);
    return label;
}

} // namespace

PlaysView::PlaysView(ScheduleViewModel *scheduleViewModel, LiveFeedStore *store, QWidget *parent)
    : QWidget(parent)
    , m_scheduleViewModel(scheduleViewModel)
    , m_playsViewModel(new PlaysViewModel(store, this))
{
    setObjectName(u"playsView"_s);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildTopBar());
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    line->setForegroundRole(QPalette::Mid);
    column->addWidget(line);

    m_contents = new QStackedWidget(this);
    m_contents->setObjectName(u"contents"_s);
    m_loadingText = textLabel(u"loadingText"_s, theme::font(10), m_contents);
    m_loadingText->setAlignment(Qt::AlignCenter);
    m_contents->addWidget(m_loadingText);

    auto *hidden = new QWidget(m_contents);
    auto *hiddenColumn = new QVBoxLayout(hidden);
    hiddenColumn->addStretch(1);
    m_hiddenText = textLabel(u"hiddenText"_s, theme::font(10), hidden);
    m_hiddenText->setAlignment(Qt::AlignHCenter);
    m_hiddenText->setText(u"The plays tell the score."_s);
    hiddenColumn->addWidget(m_hiddenText);
    auto *showScore = new QToolButton(hidden);
    showScore->setObjectName(u"showScore"_s);
    showScore->setText(u"Show Score"_s);
    showScore->setFont(theme::font(10, QFont::Medium));
    showScore->setCursor(Qt::PointingHandCursor);
    connect(showScore, &QToolButton::clicked, this, [this] {
        if (const auto gamePk = m_scheduleViewModel->inlinePlaysGameId()) m_scheduleViewModel->revealScore(*gamePk);
    });
    hiddenColumn->addWidget(showScore, 0, Qt::AlignHCenter);
    hiddenColumn->addStretch(1);
    m_contents->addWidget(hidden);

    auto *page = new QWidget(m_contents);
    auto *pageColumn = new QVBoxLayout(page);
    pageColumn->setContentsMargins(0, 0, 0, 0);
    pageColumn->setSpacing(0);
    m_errorNote = textLabel(u"errorNote"_s, theme::font(9), page);
    m_errorNote->setContentsMargins(12, 4, 12, 4);
    pageColumn->addWidget(m_errorNote);
    m_scrollArea = new QScrollArea(page);
    m_scrollArea->setObjectName(u"playsScroll"_s);
    m_scrollArea->setAccessibleName(u"Plays"_s);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list = new QWidget(m_scrollArea);
    m_list->setObjectName(u"playsList"_s);
    auto *listColumn = new QVBoxLayout(m_list);
    listColumn->setContentsMargins(12, 8, 12, 12);
    listColumn->setSpacing(4);
    m_scrollArea->setWidget(m_list);
    pageColumn->addWidget(m_scrollArea, 1);
    m_contents->addWidget(page);
    column->addWidget(m_contents, 1);

    connect(m_scheduleViewModel, &ScheduleViewModel::changed, this, &PlaysView::scheduleChanged);
    connect(m_playsViewModel, &PlaysViewModel::changed, this, &PlaysView::refresh);
    connect(m_scoringOnly, &QCheckBox::toggled, this, &PlaysView::refresh);
    applyColors();
    scheduleChanged();
}

PlaysView::~PlaysView()
{
    m_playsViewModel->stopPolling();
}

QWidget *PlaysView::buildTopBar()
{
    auto *bar = new QWidget(this);
    QHBoxLayout *row = topBarRow(bar, this, [this] { m_scheduleViewModel->setInlinePlaysGameId(std::nullopt); });
    m_title = new QLabel(bar);
    m_title->setObjectName(u"playsTitle"_s);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(theme::font(11));
    row->addWidget(m_title, 1, Qt::AlignVCenter);
    m_scoringOnly = new QCheckBox(u"Scoring only"_s, bar);
    m_scoringOnly->setObjectName(u"scoringOnly"_s);
    m_scoringOnly->setFont(theme::font(10));
    m_scoringOnly->setFocusPolicy(Qt::TabFocus);
    row->addWidget(m_scoringOnly, 0, Qt::AlignVCenter);
    return bar;
}

PlaysView::Content PlaysView::content() const
{
    return static_cast<Content>(m_contents->currentIndex());
}

void PlaysView::scheduleChanged()
{
    const std::optional<qint64> gamePk = m_scheduleViewModel->inlinePlaysGameId();
    m_playsViewModel->setGamePk(gamePk);
    QString title = u"Plays"_s;
    if (gamePk) {
        for (const Game &game : m_scheduleViewModel->games()) {
            if (game.gamePk != *gamePk) continue;
            title = MLBTeam::label(game.teams.away.team.id) + u" @ "_s + MLBTeam::label(game.teams.home.team.id)
                + u" \u00B7 Plays"_s;
        }
    }
    m_title->setText(title);
    refresh();
}

void PlaysView::refresh()
{
    const std::optional<qint64> gamePk = m_scheduleViewModel->inlinePlaysGameId();
    const auto &plays = m_playsViewModel->plays();
    m_scoringOnly->setEnabled(plays.has_value());
    // A game of another day is not in the schedule; its feed names the clubs.
    if (plays && m_title->text() == u"Plays"_s && !plays->awayAbbr.isEmpty())
        m_title->setText(plays->awayAbbr + u" @ "_s + plays->homeAbbr + u" \u00B7 Plays"_s);
    if (gamePk && m_scheduleViewModel->hidesScore(*gamePk)) {
        m_contents->setCurrentIndex(int(Content::Hidden));
        fillList({});
        return;
    }
    if (!plays) {
        m_loadingText->setText(m_playsViewModel->errorMessage().value_or(u"Loading plays\u2026"_s));
        m_contents->setCurrentIndex(int(Content::Loading));
        fillList({});
        return;
    }
    m_errorNote->setVisible(m_playsViewModel->errorMessage().has_value());
    m_errorNote->setText(m_playsViewModel->errorMessage().value_or(QString()));
    m_contents->setCurrentIndex(int(Content::Plays));
    fillList(m_scoringOnly->isChecked() ? scoringOnly(plays->halfInnings) : plays->halfInnings);
}

void PlaysView::fillList(const std::vector<Plays::HalfInning> &halfInnings)
{
    if (halfInnings == m_shown && !m_list->layout()->isEmpty()) return;
    m_shown = halfInnings;
    // Rebuilt whole: a patch may change any play (a review, a score), and a game has at most a hundred or so.
    const int scrolled = m_scrollArea->verticalScrollBar()->value();
    auto *column = static_cast<QVBoxLayout *>(m_list->layout());
    while (QLayoutItem *item = column->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QColor secondary = theme::secondary(palette());
    const QColor scoring = theme::accent(palette());
    for (const Plays::HalfInning &half : halfInnings) {
        QLabel *title = textLabel(u"halfInning"_s, theme::font(11, QFont::DemiBold), m_list);
        title->setText(half.title);
        accessibility::setRole(title, QAccessible::Heading);
        if (column->count() > 0) column->addSpacing(8);
        column->addWidget(title);
        for (const Plays::Play &play : half.plays) {
            auto *row = new QWidget(m_list);
            row->setObjectName(play.isScoring ? u"scoringPlay"_s : u"play"_s);
            auto *line = new QHBoxLayout(row);
            line->setContentsMargins(0, 0, 0, 0);
            line->setSpacing(8);
            QLabel *score = textLabel(u"score"_s, theme::font(10, QFont::DemiBold), row);
            score->setWordWrap(false);
            score->setFixedWidth(34);
            score->setText(play.isScoring ? play.score : QString());
            score->setAccessibleName(play.isScoring ? u"Scoring play, "_s + play.score : QString());
            theme::setTextColor(score, scoring);
            line->addWidget(score, 0, Qt::AlignTop);
            auto *texts = new QVBoxLayout;
            texts->setSpacing(1);
            QLabel *description
                = textLabel(u"description"_s, theme::font(10, play.isScoring ? QFont::DemiBold : QFont::Normal), row);
            description->setText(play.description);
            texts->addWidget(description);
            if (play.review) {
                QLabel *review = textLabel(u"review"_s, theme::font(9), row);
                review->setText(*play.review);
                theme::setTextColor(review, secondary);
                texts->addWidget(review);
            }
            line->addLayout(texts, 1);
            column->addWidget(row);
        }
    }
    if (halfInnings.empty() && m_playsViewModel->plays()) {
        QLabel *none = textLabel(u"noPlays"_s, theme::font(10), m_list);
        none->setText(m_scoringOnly->isChecked() ? u"No runs have scored."_s : u"No plays yet."_s);
        theme::setTextColor(none, secondary);
        column->addWidget(none);
    }
    column->addStretch(1);
    m_scrollArea->verticalScrollBar()->setValue(scrolled);
    accessibility::contentChanged(m_scrollArea);
}

QStringList PlaysView::rowTexts() const
{
    QStringList rows;
    for (const Plays::HalfInning &half : m_shown) {
        rows.append(half.title);
        for (const Plays::Play &play : half.plays)
            rows.append((play.isScoring ? play.score : QString()) + u"  "_s + play.description);
    }
    return rows;
}

void PlaysView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_playsViewModel->startPolling();
}

void PlaysView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_playsViewModel->stopPolling();
}

void PlaysView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        applyColors();
        m_shown.clear();
        refresh();
    }
}

void PlaysView::applyColors()
{
    const QColor secondary = theme::secondary(palette());
    for (QLabel *label : { m_loadingText, m_hiddenText, m_errorNote })
        theme::setTextColor(label, secondary);
    theme::setTextColor(m_title, theme::primary(palette()));
}
