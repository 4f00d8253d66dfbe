#include "ui/gamerowview.h"

#include "stats/teams.h"
#include "ui/accessibility.h"
#include "ui/gamelistview.h"
#include "ui/plainbutton.h"
#include "ui/spokentexts.h"
#include "ui/symbols.h"
#include "ui/teamlogoview.h"
#include "ui/theme.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int logoSize = 18;
constexpr int abbreviationWidth = 36;
constexpr int numberWidth = 20;
constexpr qreal cornerRadius = 6;

bool containsPostponed(const Game &game)
{
    return game.status.detailedState.contains(u"postponed"_s, Qt::CaseInsensitive);
}

bool isPreview(const Game &game)
{
    return game.status.abstractGameState == u"Preview"_s;
}

bool isLive(const Game &game)
{
    return game.status.abstractGameState == u"Live"_s;
}

QString surname(const QString &fullName)
{
    return fullName.split(u' ').last();
}

// A label that stays on one line and ends in an ellipsis when the row is too narrow for its text.
class OneLineLabel : public QLabel {
public:
    explicit OneLineLabel(QWidget *parent)
        : QLabel(parent)
    {
        setTextFormat(Qt::PlainText);
    }

    QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(area, int(alignment()), fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }
};

// A symbol in the secondary colour, drawn at the screen's pixel ratio when painted.
class SymbolView : public QWidget {
public:
    SymbolView(Symbol symbol, int pixelSize, QWidget *parent)
        : QWidget(parent)
        , m_symbol(symbol)
        , m_pixelSize(pixelSize)
    { }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QPixmap pixmap = symbolPixmap(m_symbol, m_pixelSize, theme::secondary(palette()), devicePixelRatioF());
        const QPointF topLeft((width() - m_pixelSize) / 2.0, (height() - m_pixelSize) / 2.0);
        painter.drawPixmap(topLeft, pixmap);
    }

private:
    Symbol m_symbol;
    int m_pixelSize;
};

// The green dot in front of a live game's inning.
class LiveDot : public QWidget {
public:
    explicit LiveDot(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(6, 6);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme::green(palette()));
        painter.drawEllipse(QRectF(rect()));
    }
};

QLabel *numberLabel(QWidget *parent, const QString &name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setFixedWidth(numberWidth);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

struct Totals {
    qint64 runs = 0;
    qint64 hits = 0;
    qint64 errors = 0;
};

Totals clubTotals(const GameTeamInfo &club, const std::optional<LinescoreTeamData> &entry)
{
    if (!entry) return { club.score.value_or(0), 0, 0 };
    return { entry->runs ? *entry->runs : club.score.value_or(0), entry->hits.value_or(0), entry->errors.value_or(0) };
}

// A row is one item of the game list: it speaks as a whole, so its labels stay out of the tree, and its parent
// is the list rather than the scroll area's inner column.
class AccessibleGameRow : public QAccessibleWidget {
public:
    explicit AccessibleGameRow(GameRowView *row)
        : QAccessibleWidget(row, QAccessible::ListItem)
    { }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return gameRowAccessibleName(row()->game(), row()->noSpoilers() || row()->game().runsHeldBack);
        if (t == QAccessible::Description) return gameRowAccessibleDescription(row()->game());
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = row()->isSelected();
        return state;
    }

    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }

    QAccessibleInterface *parent() const override
    {
        for (QWidget *up = row()->parentWidget(); up; up = up->parentWidget())
            if (auto *list = qobject_cast<GameListView *>(up)) return QAccessible::queryAccessibleInterface(list);
        return QAccessibleWidget::parent();
    }

    QStringList actionNames() const override
    {
        return QStringList { pressAction() } + QAccessibleWidget::actionNames();
    }
    QString localizedActionName(const QString &name) const override
    {
        return name == pressAction() ? u"Show game details"_s : QAccessibleWidget::localizedActionName(name);
    }
    QString localizedActionDescription(const QString &name) const override { return localizedActionName(name); }

    void doAction(const QString &name) override
    {
        if (name == pressAction())
            Q_EMIT row()->clicked();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    GameRowView *row() const { return static_cast<GameRowView *>(widget()); }
};

QAccessibleInterface *accessibleRowFactory(const QString &, QObject *object)
{
    if (auto *row = qobject_cast<GameRowView *>(object)) return new AccessibleGameRow(row);
    return nullptr;
}

} // namespace

QString liveInningText(const Game &game)
{
    if (!game.linescore || !game.linescore->currentInningOrdinal) return u"Live"_s;
    const bool top = game.linescore->isTopInning.value_or(false);
    return (top ? u"Top "_s : u"Bot "_s) + *game.linescore->currentInningOrdinal;
}

std::optional<QString> probablePitchersText(const Game &game)
{
    if (!isPreview(game) && game.status.detailedState != u"Warmup"_s) return std::nullopt;
    const auto &away = game.teams.away.probablePitcher;
    const auto &home = game.teams.home.probablePitcher;
    if (!away || !home) return std::nullopt;
    return surname(away->fullName) + u" vs "_s + surname(home->fullName);
}

std::optional<QString> seriesVenueText(const Game &game)
{
    const std::optional<QString> series = game.seriesText();
    const std::optional<QString> venue = game.venue ? std::optional(game.venue->name) : std::nullopt;
    if (series && venue) return *series + u" \u2022 "_s + *venue;
    if (series) return series;
    return venue;
}

QString gameRowToolTip(const Game &game, bool isClickable)
{
    if (!isClickable) return game.broadcastText();
    return u"Show game details\nPress Return to open MLB\n"_s + game.broadcastText();
}

QString gameRowAccessibleName(const Game &game, bool noSpoilers)
{
    QString name = spokenMatchup(game);
    if (!noSpoilers && (isLive(game) || game.isFinal())) {
        const std::optional<LinescoreTeams> totals = game.linescore ? game.linescore->teams : std::nullopt;
        name += u", "_s
            + spokenScore(clubTotals(game.teams.away, totals ? totals->away : std::nullopt).runs,
                clubTotals(game.teams.home, totals ? totals->home : std::nullopt).runs);
    }
    if (isLive(game)) return name + u", "_s + spokenInning(game);
    if (game.isFinal()) return name + u", final"_s;
    if (containsPostponed(game)) return name + u", postponed"_s;
    return name + u", "_s + game.startTimeText();
}

QString gameRowAccessibleDescription(const Game &game)
{
    QStringList sentences;
    if (containsPostponed(game)) {
        if (const std::optional<QString> reschedule = game.rescheduleText())
            sentences << u"Rescheduled "_s + *reschedule;
    } else if (const std::optional<QString> pitchers = probablePitchersText(game)) {
        sentences << u"Probable pitchers "_s + *pitchers;
    }
    if (isPreview(game) || containsPostponed(game)) {
        if (const std::optional<QString> series = game.seriesText()) sentences << *series;
        if (game.venue) sentences << game.venue->name;
    }
    sentences << game.broadcastText();
    return sentences.join(u". "_s);
}

GameRowBackground gameRowBackground(
    const QPalette &palette, bool favoriteTeamPlays, bool isSelected, bool isHovered, bool isClickable)
{
    GameRowBackground result;
    if (isSelected)
        result.fill = theme::accent(palette, favoriteTeamPlays ? 0.20 : 0.14);
    else if (isHovered)
        result.fill = theme::accent(palette, favoriteTeamPlays ? 0.18 : 0.10);
    else
        result.fill = favoriteTeamPlays ? theme::accent(palette, 0.08) : QColor(Qt::transparent);

    if (isSelected) {
        result.border = theme::accent(palette, 0.6);
        result.borderWidth = 1;
    } else if (isClickable && isHovered) {
        result.border = theme::accent(palette, 0.35);
        result.borderWidth = 1;
    } else {
        result.border = QColor(Qt::transparent);
    }
    return result;
}

GameRowView::GameRowView(
    const Game &game, bool noSpoilers, qint64 favoriteTeamId, bool isClickable, bool isSelected, QWidget *parent)
    : QWidget(parent)
    , m_game(game)
    , m_noSpoilers(noSpoilers)
    , m_favoriteTeamId(favoriteTeamId)
    , m_isClickable(isClickable)
    , m_isSelected(isSelected)
{
    QAccessible::installFactory(&accessibleRowFactory);
    watchTabKey();
    setFocusPolicy(Qt::ClickFocus);
    build();
    refresh();
    accessibility::claimInterface(this, QAccessible::ListItem);
}

GameRowView::~GameRowView()
{
    if (m_isShowingPointingHand) QGuiApplication::restoreOverrideCursor();
}

void GameRowView::setInputs(const Game &game, bool noSpoilers, qint64 favoriteTeamId, bool isClickable, bool isSelected)
{
    const QString previousName = gameRowAccessibleName(m_game, m_noSpoilers || m_game.runsHeldBack);
    const bool wasSelected = m_isSelected;
    m_game = game;
    m_noSpoilers = noSpoilers;
    m_favoriteTeamId = favoriteTeamId;
    m_isClickable = isClickable;
    m_isSelected = isSelected;
    refresh();
    syncCursor();
    update();
    announceChanges(previousName, wasSelected);
}

void GameRowView::setFollowedTeamIds(std::vector<qint64> teamIds)
{
    if (m_followedTeamIds == teamIds) return;
    m_followedTeamIds = std::move(teamIds);
    refresh();
}

void GameRowView::setSelected(bool isSelected)
{
    if (m_isSelected == isSelected) return;
    m_isSelected = isSelected;
    update();
    announceChanges(gameRowAccessibleName(m_game, m_noSpoilers || m_game.runsHeldBack), !isSelected);
}

// A screen reader hears the row that became the selected one, and a new score or inning on a row it is reading.
void GameRowView::announceChanges(const QString &previousName, bool wasSelected)
{
    if (m_isSelected != wasSelected)
        accessibility::notify(this, m_isSelected ? QAccessible::SelectionAdd : QAccessible::SelectionRemove);
    if (gameRowAccessibleName(m_game, m_noSpoilers || m_game.runsHeldBack) != previousName)
        accessibility::notify(this, QAccessible::NameChanged);
}

void GameRowView::build()
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(8, 6, 8, 6);
    stack->setSpacing(4);

    auto *mainLine = new QHBoxLayout;
    mainLine->setSpacing(8);
    stack->addLayout(mainLine);

    auto *clubs = new QWidget(this);
    auto *clubBlock = new QVBoxLayout(clubs);
    clubBlock->setContentsMargins(0, 0, 0, 0);
    clubBlock->setSpacing(3);
    clubBlock->setAlignment(Qt::AlignLeft);
    mainLine->addWidget(clubs, 0, Qt::AlignVCenter);
    mainLine->addStretch(1);

    m_header = new QWidget(clubs);
    m_header->setObjectName(u"lineScoreHeader"_s);
    auto *header = new QHBoxLayout(m_header);
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(5);
    auto *underLogos = new QWidget(m_header);
    underLogos->setFixedSize(logoSize, 12);
    header->addWidget(underLogos);
    auto *underAbbreviations = new QLabel(m_header);
    underAbbreviations->setFixedWidth(abbreviationWidth);
    header->addWidget(underAbbreviations);
    for (const QString &column : { u"R"_s, u"H"_s, u"E"_s }) {
        QLabel *label = numberLabel(m_header, u"header"_s + column);
        label->setText(column);
        label->setFont(theme::monospacedFont(9, QFont::DemiBold));
        header->addWidget(label);
        m_headerLabels.append(label);
    }
    clubBlock->addWidget(m_header, 0, Qt::AlignLeft);
    m_away = buildClubLine(clubBlock, u"away"_s);
    m_home = buildClubLine(clubBlock, u"home"_s);

    auto *status = new QWidget(this);
    auto *statusColumn = new QVBoxLayout(status);
    statusColumn->setContentsMargins(0, 0, 0, 0);
    statusColumn->setSpacing(2);
    mainLine->addWidget(status, 0, Qt::AlignVCenter);

    auto *statusLine = new QHBoxLayout;
    statusLine->setSpacing(4);
    m_liveDot = new LiveDot(status);
    m_liveDot->setObjectName(u"liveDot"_s);
    m_statusText = new QLabel(status);
    m_statusText->setObjectName(u"statusText"_s);
    m_statusText->setTextFormat(Qt::PlainText);
    statusLine->addStretch(1);
    statusLine->addWidget(m_liveDot, 0, Qt::AlignVCenter);
    statusLine->addWidget(m_statusText, 0, Qt::AlignVCenter);
    statusColumn->addLayout(statusLine);
    m_statusPitchers = new OneLineLabel(status);
    m_statusPitchers->setObjectName(u"statusPitchers"_s);
    m_statusPitchers->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_statusPitchers->setFont(theme::font(10));
    statusColumn->addWidget(m_statusPitchers);

    m_infoBlock = new QWidget(this);
    m_infoBlock->setObjectName(u"infoBlock"_s);
    auto *info = new QVBoxLayout(m_infoBlock);
    info->setContentsMargins(0, 2, 0, 0);
    info->setSpacing(2);
    m_rescheduleInfo = buildInfoLine(info, u"rescheduleInfo"_s, Symbol::Calendar);
    m_pitchersInfo = buildInfoLine(info, u"pitchersInfo"_s, Symbol::FigureBaseball);
    m_seriesVenueInfo = buildInfoLine(info, u"seriesVenueInfo"_s, Symbol::MapPin);
    stack->addWidget(m_infoBlock);
}

GameRowView::ClubLine GameRowView::buildClubLine(QVBoxLayout *block, const QString &side)
{
    auto *container = new QWidget(block->parentWidget());
    ClubLine line;
    line.side = side;
    line.layout = new QHBoxLayout(container);
    line.layout->setContentsMargins(0, 0, 0, 0);
    line.layout->setSpacing(5);
    line.abbreviation = new QLabel(container);
    line.abbreviation->setObjectName(side + u"Abbreviation"_s);
    line.abbreviation->setFixedWidth(abbreviationWidth);
    line.abbreviation->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    line.abbreviation->setFont(theme::monospacedFont(13, QFont::DemiBold));
    line.runs = numberLabel(container, side + u"Runs"_s);
    line.hits = numberLabel(container, side + u"Hits"_s);
    line.errors = numberLabel(container, side + u"Errors"_s);
    // The logo goes in first once its club is known (refresh), ahead of these.
    line.layout->addWidget(line.abbreviation, 0, Qt::AlignVCenter);
    line.layout->addWidget(line.runs, 0, Qt::AlignVCenter);
    line.layout->addWidget(line.hits, 0, Qt::AlignVCenter);
    line.layout->addWidget(line.errors, 0, Qt::AlignVCenter);
    block->addWidget(container, 0, Qt::AlignLeft);
    return line;
}

GameRowView::InfoLine GameRowView::buildInfoLine(QVBoxLayout *block, const QString &name, Symbol symbol)
{
    InfoLine line;
    line.line = new QWidget(m_infoBlock);
    auto *layout = new QHBoxLayout(line.line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    // A 9-point semibold symbol stands about 10 points tall, centred in its 10-point box.
    line.symbol = new SymbolView(symbol, 10, line.line);
    line.symbol->setFixedWidth(10);
    line.symbol->setMinimumHeight(10);
    line.text = new OneLineLabel(line.line);
    line.text->setObjectName(name);
    line.text->setFont(theme::font(10));
    layout->addWidget(line.symbol, 0, Qt::AlignVCenter);
    layout->addWidget(line.text, 1, Qt::AlignVCenter);
    block->addWidget(line.line);
    return line;
}

void GameRowView::refresh()
{
    const Game &game = m_game;
    const bool numbersShown = !m_noSpoilers && !game.runsHeldBack && (isLive(game) || game.isFinal());
    m_header->setVisible(numbersShown);

    const qint64 awayScore = game.teams.away.score.value_or(0);
    const qint64 homeScore = game.teams.home.score.value_or(0);
    const std::optional<LinescoreTeams> totals = game.linescore ? game.linescore->teams : std::nullopt;
    refreshClubLine(m_away, game.teams.away, totals ? totals->away : std::nullopt, numbersShown,
        game.isFinal() && awayScore > homeScore);
    refreshClubLine(m_home, game.teams.home, totals ? totals->home : std::nullopt, numbersShown,
        game.isFinal() && homeScore > awayScore);

    m_liveDot->setVisible(isLive(game));
    if (isLive(game)) {
        m_statusText->setText(liveInningText(game));
        m_statusText->setFont(theme::font(12, QFont::Medium));
    } else if (game.isFinal()) {
        m_statusText->setText(u"Final"_s);
        m_statusText->setFont(theme::font(12, QFont::Medium));
    } else if (containsPostponed(game)) {
        m_statusText->setText(u"Postponed"_s);
        m_statusText->setFont(theme::font(12, QFont::Medium));
    } else {
        m_statusText->setText(game.startTimeText());
        m_statusText->setFont(theme::font(13, QFont::Medium));
    }

    const std::optional<QString> pitchers = probablePitchersText(game);
    m_statusPitchers->setVisible(!isPreview(game) && pitchers);
    m_statusPitchers->setText(pitchers.value_or(QString()));

    m_infoBlock->setVisible(isPreview(game) || containsPostponed(game));
    const std::optional<QString> reschedule = containsPostponed(game) ? game.rescheduleText() : std::nullopt;
    m_rescheduleInfo.line->setVisible(reschedule.has_value());
    m_rescheduleInfo.text->setText(reschedule ? u"Rescheduled "_s + *reschedule : QString());
    const bool pitchersShown = !containsPostponed(game) && pitchers;
    m_pitchersInfo.line->setVisible(pitchersShown);
    m_pitchersInfo.text->setText(pitchersShown ? *pitchers : QString());
    const std::optional<QString> seriesVenue = seriesVenueText(game);
    m_seriesVenueInfo.line->setVisible(seriesVenue.has_value());
    m_seriesVenueInfo.text->setText(seriesVenue.value_or(QString()));

    setToolTip(gameRowToolTip(game, m_isClickable));
    applyColors();
}

void GameRowView::refreshClubLine(ClubLine &line, const GameTeamInfo &club,
    const std::optional<LinescoreTeamData> &entry, bool numbersShown, bool winner)
{
    if (line.teamId != club.team.id) {
        delete line.logo;
        line.logo = new TeamLogoView(club.team.id, logoSize, line.abbreviation->parentWidget());
        line.logo->setObjectName(line.side + u"Logo"_s);
        line.layout->insertWidget(0, line.logo, 0, Qt::AlignVCenter);
        line.teamId = club.team.id;
    }
    const bool followed = std::ranges::find(m_followedTeamIds, club.team.id) != m_followedTeamIds.end();
    line.abbreviation->setText(MLBTeam::label(club.team.id) + (followed ? u"\u2605"_s : QString()));
    line.abbreviation->setToolTip(followed ? u"Followed club"_s : QString());

    const Totals totals = clubTotals(club, entry);
    const QFont numberFont = theme::monospacedFont(13, winner ? QFont::Bold : QFont::Medium);
    const std::pair<QLabel *, qint64> numbers[]
        = { { line.runs, totals.runs }, { line.hits, totals.hits }, { line.errors, totals.errors } };
    for (const auto &[label, value] : numbers) {
        label->setVisible(numbersShown);
        // A hidden score is not kept in a hidden label either, where assistive technology could still read it.
        label->setText(numbersShown ? QString::number(value) : QString());
        label->setFont(numberFont);
    }
}

void GameRowView::applyColors()
{
    const QPalette &palette = this->palette();
    const QColor secondary = theme::secondary(palette);
    for (QLabel *label : m_headerLabels)
        theme::setTextColor(label, secondary);
    for (const ClubLine *line : { &m_away, &m_home })
        for (QLabel *label : { line->abbreviation, line->runs, line->hits, line->errors })
            theme::setTextColor(label, theme::primary(palette));

    if (isLive(m_game))
        theme::setTextColor(m_statusText, theme::green(palette));
    else if (m_game.isFinal() || containsPostponed(m_game))
        theme::setTextColor(m_statusText, secondary);
    else
        theme::setTextColor(m_statusText, theme::primary(palette));
    theme::setTextColor(m_statusPitchers, secondary);
    for (const InfoLine *line : { &m_rescheduleInfo, &m_pitchersInfo, &m_seriesVenueInfo })
        theme::setTextColor(line->text, secondary);
}

void GameRowView::paintEvent(QPaintEvent *)
{
    const GameRowBackground background
        = gameRowBackground(palette(), m_game.involves(m_favoriteTeamId), m_isSelected, m_isHovered, m_isClickable);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    if (background.fill.alpha() > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(background.fill);
        painter.drawRoundedRect(area, cornerRadius, cornerRadius);
    }
    if (background.borderWidth > 0 && background.border.alpha() > 0) {
        // The stroke lies inside the filled shape: its path is inset by half the line width.
        const qreal inset = background.borderWidth / 2;
        QPen pen(background.border, background.borderWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(
            area.adjusted(inset, inset, -inset, -inset), cornerRadius - inset, cornerRadius - inset);
    }
    if (m_keyboardFocus && hasFocus()) paintKeyboardFocusRing(painter, *this, area.adjusted(0.5, 0.5, -0.5, -0.5));
}

void GameRowView::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    setHovered(true);
}

void GameRowView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    setHovered(false);
}

void GameRowView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A hidden row gets no leave event, so it gives back the cursor and the hover here.
    setHovered(false);
}

void GameRowView::mousePressEvent(QMouseEvent *event)
{
    event->setAccepted(event->button() == Qt::LeftButton);
}

void GameRowView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Q_EMIT clicked();
}

// Space picks the row as a click does; Return is the list's, which opens the game's page.
void GameRowView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !(event->modifiers() & ~Qt::KeypadModifier)) {
        if (!event->isAutoRepeat()) Q_EMIT clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void GameRowView::focusInEvent(QFocusEvent *event)
{
    m_keyboardFocus = isFocusFromTabKey(event->reason());
    QWidget::focusInEvent(event);
    update();
}

void GameRowView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void GameRowView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyColors();
}

void GameRowView::syncHoverWithPointer()
{
    QWidget *under = isVisible() ? QApplication::widgetAt(QCursor::pos()) : nullptr;
    setHovered(under && (under == this || isAncestorOf(under)));
}

void GameRowView::setHovered(bool hovered)
{
    if (m_isHovered != hovered) {
        m_isHovered = hovered;
        update();
    }
    syncCursor();
}

void GameRowView::syncCursor()
{
    const bool wanted = m_isClickable && m_isHovered;
    if (wanted && !m_isShowingPointingHand) {
        QGuiApplication::setOverrideCursor(Qt::PointingHandCursor);
        m_isShowingPointingHand = true;
    } else if (!wanted && m_isShowingPointingHand) {
        QGuiApplication::restoreOverrideCursor();
        m_isShowingPointingHand = false;
    }
}
