#include "ui/gamedetailpanelview.h"

#include "stats/teams.h"
#include "ui/accessibility.h"
#include "ui/plainbutton.h"
#include "ui/progressspinner.h"
#include "ui/spokentexts.h"
#include "ui/strikezoneview.h"
#include "ui/symbols.h"
#include "ui/theme.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr int padding = 10;
constexpr qreal cornerRadius = 10;
constexpr int labelWidth = 54;
constexpr int factSpacing = 6;
// The widest the card gets in the window; texts ask for no more than their share of it, and wrap inside it.
constexpr int cardWidth = 304;
constexpr int buttonSymbolSize = 14;
constexpr int abbreviationWidth = 42;
constexpr int numberWidth = 18;
constexpr qreal chipRadius = 7;
// The small activity indicator at 0.6 of its 16-pixel size.
constexpr int spinnerDiameter = 10;

enum class Section { Live, Postponed, Scheduled, Final };

bool isLive(const Game &game)
{
    return game.status.abstractGameState == u"Live"_s;
}

bool containsPostponed(const Game &game)
{
    return game.status.detailedState.contains(u"postponed"_s, Qt::CaseInsensitive);
}

Section sectionOf(const Game &game)
{
    if (isLive(game)) return Section::Live;
    if (containsPostponed(game)) return Section::Postponed;
    if (game.status.abstractGameState == u"Preview"_s) return Section::Scheduled;
    return Section::Final;
}

// The inning of a live game, from the detail when it has loaded, else from the schedule; absent when neither says.
std::optional<QString> inningText(const Game &game, const std::optional<GameDetail> &detail)
{
    if (detail && detail->linescore.inningState && detail->linescore.currentInningOrdinal)
        return *detail->linescore.inningState + u' ' + *detail->linescore.currentInningOrdinal;
    if (game.linescore && game.linescore->currentInningOrdinal)
        return (game.linescore->isTopInning.value_or(false) ? u"Top "_s : u"Bot "_s)
            + *game.linescore->currentInningOrdinal;
    return std::nullopt;
}

std::optional<QString> pitchersText(const Game &game)
{
    const auto &away = game.teams.away.probablePitcher;
    const auto &home = game.teams.home.probablePitcher;
    if (!away || !home) return std::nullopt;
    return away->fullName + u" vs "_s + home->fullName;
}

std::optional<QString> venueName(const Game &game)
{
    return game.venue ? std::optional(game.venue->name) : std::nullopt;
}

QString externalToolTip(const Game &game)
{
    if (isLive(game)) return u"MLB.TV"_s;
    if (game.status.abstractGameState == u"Preview"_s) return u"Preview"_s;
    return u"Gameday"_s;
}

// Plain text that wraps inside the width it is given, anywhere if a word is too long, and ends in an ellipsis
// on its last allowed line. It asks for at most `preferredWidth`, so a long value wraps instead of widening the card.
class WrappingLabel : public QLabel {
public:
    WrappingLabel(int maxLines, int preferredWidth, QWidget *parent)
        : QLabel(parent)
        , m_maxLines(maxLines)
        , m_preferredWidth(preferredWidth)
    {
        setTextFormat(Qt::PlainText);
        setWordWrap(true);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    void setPreferredWidth(int width)
    {
        m_preferredWidth = width;
        updateGeometry();
    }

    int heightForWidth(int width) const override
    {
        return int(std::max<qsizetype>(1, lines(width).size())) * fontMetrics().lineSpacing();
    }

    QSize sizeHint() const override
    {
        const int width = std::min(fontMetrics().horizontalAdvance(text()) + 1, m_preferredWidth);
        return QSize(width, heightForWidth(width));
    }

    QSize minimumSizeHint() const override { return QSize(fontMetrics().averageCharWidth() * 4, heightForWidth(0)); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect area = contentsRect();
        int baseline = area.top() + fontMetrics().ascent();
        for (const QString &line : lines(area.width())) {
            painter.drawText(QPoint(area.left(), baseline), line);
            baseline += fontMetrics().lineSpacing();
        }
    }

private:
    QStringList lines(int width) const
    {
        const QString content = text();
        QStringList result;
        if (content.isEmpty()) return result;
        if (width <= 0) return { content };
        QTextLayout layout(content, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            if (m_maxLines > 0 && result.size() == m_maxLines - 1) {
                // The last line allowed takes the rest of the text, shortened to fit.
                result << fontMetrics().elidedText(content.mid(line.textStart()).trimmed(), Qt::ElideRight, width);
                break;
            }
            result << content.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        return result;
    }

    int m_maxLines;
    int m_preferredWidth;
};

// A chip of the situation strip, on its own rounded fill.
class ChipFrame : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(situationChipColor(palette()));
        painter.drawRoundedRect(QRectF(rect()), chipRadius, chipRadius);
    }
};

// "Show Score": a small tinted pill in the card's own look. Space clicks it like any button, and so do
// Return and Enter, which a button outside a dialog would otherwise pass on.
class ShowScoreButton : public FlatButton<QAbstractButton> {
public:
    explicit ShowScoreButton(QWidget *parent)
        : FlatButton<QAbstractButton>(parent)
    {
        setObjectName(u"showScore"_s);
        setText(u"Show Score"_s);
        setFont(theme::font(11, QFont::DemiBold));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setAttribute(Qt::WA_Hover);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override
    {
        return { fontMetrics().horizontalAdvance(text()) + 2 * 10, fontMetrics().height() + 2 * 4 };
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal opacity = isDown() ? 0.32 : underMouse() ? 0.24 : 0.16;
        painter.setPen(hasKeyboardFocus() ? QPen(theme::accent(palette(), 0.6), 1) : QPen(Qt::NoPen));
        painter.setBrush(theme::accent(palette(), opacity));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        painter.setPen(theme::primary(palette()));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            if (!event->isAutoRepeat()) click();
            return;
        }
        FlatButton<QAbstractButton>::keyPressEvent(event);
    }
};

// The card reads as one group named by its clubs; its description is what changes while the game is played.
class AccessibleGameCard : public QAccessibleWidget {
public:
    explicit AccessibleGameCard(GameDetailPanelView *card)
        : QAccessibleWidget(card, QAccessible::Grouping)
    { }

    QString text(QAccessible::Text t) const override
    {
        const auto *card = static_cast<const GameDetailPanelView *>(widget());
        if (t == QAccessible::Name) return spokenMatchup(card->game());
        if (t == QAccessible::Description) return card->accessibleSummary();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *accessibleCardFactory(const QString &, QObject *object)
{
    if (auto *card = qobject_cast<GameDetailPanelView *>(object)) return new AccessibleGameCard(card);
    return nullptr;
}

// The runs, hits and errors of both clubs as a table, while the line score shows.
AccessibleTable lineScoreContent(const QList<QLabel *> &headers, const std::array<QLabel *, 2> &clubs,
    const std::array<std::array<QLabel *, 3>, 2> &numbers, const Game &game)
{
    const auto cell = [](const QString &text, QLabel *label = nullptr) {
        AccessibleTable::Cell made;
        made.text = text;
        made.shownBy = label;
        return made;
    };
    AccessibleTable table;
    table.name = u"Line score"_s;
    const QString columns[] = { u"Runs"_s, u"Hits"_s, u"Errors"_s };
    table.header.push_back(cell(u"Team"_s));
    for (int column = 0; column < 3; ++column)
        table.header.push_back(cell(columns[column], headers[column]));
    if (clubs[0]->text().isEmpty()) return table;
    const TeamRef *teams[] = { &game.teams.away.team, &game.teams.home.team };
    for (int side = 0; side < 2; ++side) {
        std::vector<AccessibleTable::Cell> row { cell(
            spokenClubName(teams[side]->id, teams[side]->name), clubs[std::size_t(side)]) };
        for (QLabel *number : numbers[std::size_t(side)])
            row.push_back(cell(number->text(), number));
        table.rows.push_back(std::move(row));
    }
    return table;
}

QToolButton *iconButton(QWidget *parent, const QString &name, const QString &toolTip)
{
    auto *button = new PlainButton(parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setIconSize(QSize(buttonSymbolSize, buttonSymbolSize));
    return button;
}

// A fact, chip or other line with its value, or no line at all when the value is absent.
void showText(QWidget *line, QLabel *value, const std::optional<QString> &text)
{
    line->setVisible(text.has_value());
    value->setText(text.value_or(QString()));
}

QVBoxLayout *stack(QWidget *widget, int spacing)
{
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    if (spacing >= 0) layout->setSpacing(spacing);
    return layout;
}

} // namespace

QString panelStatusText(const Game &game, const std::optional<GameDetail> &detail)
{
    if (isLive(game)) return inningText(game, detail).value_or(u"Live"_s);
    if (containsPostponed(game)) return game.statusText();
    if (game.isFinal()) return u"Final"_s;
    return game.startTimeText();
}

QString panelAccessibleSummary(const Game &game, const std::optional<GameDetail> &detail, bool hidesScore)
{
    const Section section = sectionOf(game);
    // The runs the card's line score shows.
    std::optional<LinescoreTeams> teams = game.linescore ? game.linescore->teams : std::nullopt;
    if (section == Section::Live && detail && detail->linescore.teams) teams = detail->linescore.teams;
    QString score;
    if (!hidesScore && teams && (section == Section::Live || section == Section::Final)) {
        const auto runs
            = [](const std::optional<LinescoreTeamData> &entry) { return entry ? entry->runs.value_or(0) : 0; };
        score = spokenScore(runs(teams->away), runs(teams->home)) + u", "_s;
    }
    switch (section) {
    case Section::Live:
        if (detail && detail->linescore.inningState && detail->linescore.currentInningOrdinal)
            return score + spokenInning(*detail->linescore.inningState, *detail->linescore.currentInningOrdinal);
        return score + spokenInning(game);
    case Section::Final:
        return score + u"final"_s;
    case Section::Postponed:
        return game.statusText();
    case Section::Scheduled:
        break;
    }
    return game.startTimeText();
}

QColor situationChipColor(const QPalette &palette)
{
    if (!theme::isDark(palette)) return QColor::fromRgbF(1, 1, 1, 0.35f);
    QColor color = theme::primary(palette);
    color.setAlphaF(0.10f);
    return color;
}

GameDetailPanelView::GameDetailPanelView(QWidget *parent)
    : QWidget(parent)
{
    QAccessible::installFactory(&accessibleCardFactory);
    build();
    refresh();
    accessibility::claimInterface(this, QAccessible::Grouping);
}

GameDetailPanelView::GameDetailPanelView(const Game &game, const std::optional<GameDetail> &detail, bool isLoading,
    const std::optional<QString> &detailError, bool hidesScore, QWidget *parent)
    : QWidget(parent)
    , m_game(game)
    , m_detail(detail)
    , m_isLoading(isLoading)
    , m_detailError(detailError)
    , m_hidesScore(hidesScore)
{
    QAccessible::installFactory(&accessibleCardFactory);
    build();
    refresh();
    accessibility::claimInterface(this, QAccessible::Grouping);
}

void GameDetailPanelView::setInputs(const Game &game, const std::optional<GameDetail> &detail, bool isLoading,
    const std::optional<QString> &detailError, bool hidesScore)
{
    const bool sameGame = game.gamePk == m_game.gamePk;
    const QString previous = accessibleSummary();
    m_game = game;
    m_detail = detail;
    m_isLoading = isLoading;
    m_detailError = detailError;
    m_hidesScore = hidesScore;
    refresh();
    // A new score or state of the game on the card is told once; another game is told by the list's selection.
    if (sameGame && accessibleSummary() != previous) accessibility::notify(this, QAccessible::DescriptionChanged);
}

QString GameDetailPanelView::accessibleSummary() const
{
    return panelAccessibleSummary(m_game, m_detail, m_hidesScore);
}

bool GameDetailPanelView::showScoreHasFocus() const
{
    return m_finalShowScore->hasFocus() || m_liveShowScore->hasFocus();
}

void GameDetailPanelView::build()
{
    auto *card = new QVBoxLayout(this);
    card->setContentsMargins(padding, padding, padding, padding);
    card->setSpacing(8);

    auto *header = new QHBoxLayout;
    header->setSpacing(6);
    auto *names = new QVBoxLayout;
    names->setSpacing(2);
    m_title = new QLabel(this);
    m_title->setObjectName(u"title"_s);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(theme::font(13, QFont::DemiBold));
    m_status = new WrappingLabel(2, cardWidth - 2 * padding, this);
    m_status->setObjectName(u"statusText"_s);
    m_status->setFont(theme::font(10));
    names->addWidget(m_title);
    names->addWidget(m_status);
    header->addLayout(names, 1);
    header->setAlignment(names, Qt::AlignTop);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    m_boxScoreButton = iconButton(this, u"boxScoreButton"_s, u"Open box score"_s);
    m_playsButton = iconButton(this, u"playsButton"_s, u"Open plays"_s);
    m_externalButton = iconButton(this, u"externalButton"_s, QString());
    m_closeButton = iconButton(this, u"closeButton"_s, u"Hide details"_s);
    for (QToolButton *button : { m_boxScoreButton, m_playsButton, m_externalButton, m_closeButton })
        buttons->addWidget(button);
    header->addLayout(buttons);
    header->setAlignment(buttons, Qt::AlignTop);
    static_cast<WrappingLabel *>(m_status)->setPreferredWidth(
        cardWidth - 2 * padding - header->spacing() - buttons->sizeHint().width());
    card->addLayout(header);
    connect(m_boxScoreButton, &QToolButton::clicked, this, &GameDetailPanelView::openBoxScoreRequested);
    connect(m_playsButton, &QToolButton::clicked, this, &GameDetailPanelView::openPlaysRequested);
    connect(m_externalButton, &QToolButton::clicked, this, &GameDetailPanelView::openExternalRequested);
    connect(m_closeButton, &QToolButton::clicked, this, &GameDetailPanelView::closeRequested);

    m_scheduled = buildSection(u"scheduledSection"_s);
    m_scheduledVenue = addFact(m_scheduled, u"venue"_s, u"Venue"_s);
    m_scheduledProbables = addFact(m_scheduled, u"probables"_s, u"Probables"_s);
    m_scheduledSeries = addFact(m_scheduled, u"series"_s, u"Series"_s);
    m_scheduledTV = addFact(m_scheduled, u"tv"_s, u"TV"_s);

    m_postponed = buildSection(u"postponedSection"_s);
    m_postponedStatus = addFact(m_postponed, u"status"_s, u"Status"_s);
    m_postponedNewDate = addFact(m_postponed, u"newDate"_s, u"New Date"_s);
    m_postponedVenue = addFact(m_postponed, u"venue"_s, u"Venue"_s);
    m_postponedSeries = addFact(m_postponed, u"series"_s, u"Series"_s);
    m_postponedTV = addFact(m_postponed, u"tv"_s, u"TV"_s);

    m_final = buildSection(u"finalSection"_s);
    m_finalVenue = addFact(m_final, u"venue"_s, u"Venue"_s);
    m_finalStarters = addFact(m_final, u"starters"_s, u"Starters"_s);
    m_finalTable = addLineScoreTable(m_final);
    m_finalShowScore = addShowScoreButton(m_final);
    m_finalTV = addFact(m_final, u"tv"_s, u"TV"_s);

    m_live = buildSection(u"liveSection"_s);
    m_situation = new QWidget(m_live);
    m_situation->setObjectName(u"situation"_s);
    auto *strip = new QHBoxLayout(m_situation);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(12);
    m_inningChip = addChip(strip, u"inning"_s, u"Inning"_s);
    m_countChip = addChip(strip, u"count"_s, u"Count"_s);
    m_outsChip = addChip(strip, u"outs"_s, u"Outs"_s);
    m_outsSpinner = new ProgressSpinner(spinnerDiameter, m_situation);
    m_outsSpinner->setObjectName(u"outsSpinner"_s);
    strip->addWidget(m_outsSpinner, 0, Qt::AlignVCenter);
    strip->addStretch(1);
    m_live->layout()->addWidget(m_situation);
    m_liveRunners = addFact(m_live, u"runners"_s, u"Runners"_s);
    m_liveMatchup = addFact(m_live, u"matchup"_s, u"Matchup"_s);
    m_liveOnDeck = addFact(m_live, u"onDeck"_s, u"On Deck"_s);
    m_liveLastPlay = addFact(m_live, u"lastPlay"_s, u"Last play"_s);
    m_atBat = new QWidget(m_live);
    m_atBat->setObjectName(u"atBat"_s);
    auto *atBatRow = new QHBoxLayout(m_atBat);
    atBatRow->setContentsMargins(0, 0, 0, 0);
    atBatRow->setSpacing(factSpacing);
    auto *atBatText = new QVBoxLayout;
    atBatText->setSpacing(2);
    m_atBatTitle = new QLabel(u"This at-bat"_s, m_atBat);
    m_atBatTitle->setFont(theme::font(10, QFont::DemiBold));
    m_atBatPitches = new QLabel(m_atBat);
    m_atBatPitches->setTextFormat(Qt::PlainText);
    m_atBatPitches->setWordWrap(true);
    m_atBatPitches->setObjectName(u"atBatPitches"_s);
    m_atBatPitches->setFont(theme::font(10));
    atBatText->addWidget(m_atBatTitle);
    atBatText->addWidget(m_atBatPitches);
    atBatText->addStretch(1);
    atBatRow->addLayout(atBatText, 1);
    m_strikeZone = new StrikeZoneView(m_atBat);
    atBatRow->addWidget(m_strikeZone, 0, Qt::AlignTop);
    m_live->layout()->addWidget(m_atBat);
    m_liveVenue = addFact(m_live, u"venue"_s, u"Venue"_s);
    m_liveTable = addLineScoreTable(m_live);
    m_liveShowScore = addShowScoreButton(m_live);
    m_liveTV = addFact(m_live, u"tv"_s, u"TV"_s);

    for (QWidget *section : { m_scheduled, m_postponed, m_final, m_live })
        card->addWidget(section);

    m_error = new WrappingLabel(0, cardWidth - 2 * padding, this);
    m_error->setObjectName(u"detailError"_s);
    m_error->setFont(theme::font(10));
    card->addWidget(m_error);

    m_facts = { &m_scheduledVenue, &m_scheduledProbables, &m_scheduledSeries, &m_scheduledTV, &m_postponedStatus,
        &m_postponedNewDate, &m_postponedVenue, &m_postponedSeries, &m_postponedTV, &m_finalVenue, &m_finalStarters,
        &m_finalTV, &m_liveRunners, &m_liveMatchup, &m_liveOnDeck, &m_liveLastPlay, &m_liveVenue, &m_liveTV };
    m_chips = { &m_inningChip, &m_countChip, &m_outsChip };
    // The column is 54 wide; a system font wider than the one it was measured in widens it, for every row alike,
    // rather than cutting "Probables" short.
    int column = labelWidth;
    for (const Fact *fact : m_facts)
        column = std::max(column, fact->label->fontMetrics().horizontalAdvance(fact->label->text()) + 1);
    for (const Fact *fact : m_facts) {
        fact->label->setFixedWidth(column);
        static_cast<WrappingLabel *>(fact->value)->setPreferredWidth(cardWidth - 2 * padding - column - factSpacing);
    }
    applyColors();
}

QWidget *GameDetailPanelView::buildSection(const QString &name)
{
    auto *section = new QWidget(this);
    section->setObjectName(name);
    stack(section, -1);
    return section;
}

GameDetailPanelView::Fact GameDetailPanelView::addFact(QWidget *section, const QString &name, const QString &label)
{
    Fact fact;
    fact.row = new QWidget(section);
    auto *row = new QHBoxLayout(fact.row);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(factSpacing);
    fact.label = new QLabel(label, fact.row);
    fact.label->setObjectName(name + u"Label"_s);
    fact.label->setFont(theme::font(10, QFont::DemiBold));
    fact.label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Both texts are 10 pixels from the top of the row, so their first lines share a baseline.
    fact.value = new WrappingLabel(2, cardWidth, fact.row);
    fact.value->setObjectName(name);
    fact.value->setFont(theme::font(10));
    row->addWidget(fact.label, 0, Qt::AlignTop);
    row->addWidget(fact.value, 1, Qt::AlignTop);
    section->layout()->addWidget(fact.row);
    return fact;
}

GameDetailPanelView::Chip GameDetailPanelView::addChip(QHBoxLayout *strip, const QString &name, const QString &label)
{
    Chip chip;
    chip.chip = new ChipFrame(strip->parentWidget());
    chip.chip->setObjectName(name + u"Chip"_s);
    auto *column = stack(chip.chip, 1);
    column->setContentsMargins(7, 5, 7, 5);
    chip.label = new QLabel(label, chip.chip);
    chip.label->setFont(theme::font(9, QFont::DemiBold));
    chip.value = new QLabel(chip.chip);
    chip.value->setObjectName(name);
    chip.value->setTextFormat(Qt::PlainText);
    chip.value->setFont(theme::font(10, QFont::Medium));
    column->addWidget(chip.label);
    column->addWidget(chip.value);
    strip->addWidget(chip.chip, 0, Qt::AlignVCenter);
    return chip;
}

GameDetailPanelView::LineScoreTable GameDetailPanelView::addLineScoreTable(QWidget *section)
{
    LineScoreTable table;
    table.table = new QWidget(section);
    table.table->setObjectName(u"lineScore"_s);
    auto *grid = new QGridLayout(table.table);
    grid->setContentsMargins(0, 2, 0, 0);
    grid->setVerticalSpacing(1);
    grid->setColumnStretch(1, 1);
    auto numberLabel = [&](const QString &name, const QFont &font) {
        auto *label = new QLabel(table.table);
        label->setObjectName(name);
        label->setFont(font);
        label->setFixedWidth(numberWidth);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    };
    const QString columns[] = { u"R"_s, u"H"_s, u"E"_s };
    for (int column = 0; column < 3; ++column) {
        QLabel *header = numberLabel(u"header"_s + columns[column], theme::monospacedFont(9, QFont::DemiBold));
        header->setText(columns[column]);
        grid->addWidget(header, 0, 2 + column);
        table.headers << header;
    }
    const QString sides[] = { u"away"_s, u"home"_s };
    const QString totals[] = { u"Runs"_s, u"Hits"_s, u"Errors"_s };
    for (int side = 0; side < 2; ++side) {
        auto *abbreviation = new QLabel(table.table);
        abbreviation->setObjectName(sides[side] + u"Abbreviation"_s);
        abbreviation->setFont(theme::monospacedFont(10, QFont::DemiBold));
        abbreviation->setFixedWidth(abbreviationWidth);
        abbreviation->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(abbreviation, 1 + side, 0);
        table.abbreviations[side] = abbreviation;
        for (int column = 0; column < 3; ++column) {
            QLabel *number = numberLabel(sides[side] + totals[column], theme::monospacedFont(10));
            grid->addWidget(number, 1 + side, 2 + column);
            table.numbers[side][column] = number;
        }
    }
    const std::array clubs { table.abbreviations[0], table.abbreviations[1] };
    const std::array numbers { std::array { table.numbers[0][0], table.numbers[0][1], table.numbers[0][2] },
        std::array { table.numbers[1][0], table.numbers[1][1], table.numbers[1][2] } };
    accessibility::setTable(table.table,
        [this, headers = table.headers, clubs, numbers] { return lineScoreContent(headers, clubs, numbers, m_game); });
    section->layout()->addWidget(table.table);
    return table;
}

QAbstractButton *GameDetailPanelView::addShowScoreButton(QWidget *section)
{
    auto *button = new ShowScoreButton(section);
    section->layout()->addWidget(button);
    section->layout()->setAlignment(button, Qt::AlignLeft);
    connect(button, &QAbstractButton::clicked, this, &GameDetailPanelView::showScoreRequested);
    return button;
}

void GameDetailPanelView::refresh()
{
    m_title->setText(MLBTeam::label(m_game.teams.away.team.id) + u" @ "_s + MLBTeam::label(m_game.teams.home.team.id));
    m_status->setText(panelStatusText(m_game, m_detail));
    m_externalButton->setToolTip(externalToolTip(m_game));
    m_playsButton->setVisible(sectionOf(m_game) == Section::Live || sectionOf(m_game) == Section::Final);

    const Section section = sectionOf(m_game);
    m_scheduled->setVisible(section == Section::Scheduled);
    m_postponed->setVisible(section == Section::Postponed);
    m_final->setVisible(section == Section::Final);
    m_live->setVisible(section == Section::Live);
    switch (section) {
    case Section::Scheduled:
        refreshScheduled();
        break;
    case Section::Postponed:
        refreshPostponed();
        break;
    case Section::Final:
        refreshFinal();
        break;
    case Section::Live:
        refreshLive();
        break;
    }

    m_error->setVisible(m_detailError.has_value());
    m_error->setText(m_detailError.value_or(QString()));
    updateGeometry();
}

void GameDetailPanelView::refreshScheduled()
{
    showText(m_scheduledVenue.row, m_scheduledVenue.value, venueName(m_game).value_or(u"TBD"_s));
    showText(m_scheduledProbables.row, m_scheduledProbables.value, pitchersText(m_game));
    showText(m_scheduledSeries.row, m_scheduledSeries.value, m_game.seriesText());
    showText(m_scheduledTV.row, m_scheduledTV.value, m_game.broadcastText());
}

void GameDetailPanelView::refreshPostponed()
{
    showText(m_postponedStatus.row, m_postponedStatus.value, m_game.statusText());
    showText(m_postponedNewDate.row, m_postponedNewDate.value, m_game.rescheduleText());
    showText(m_postponedVenue.row, m_postponedVenue.value, venueName(m_game));
    showText(m_postponedSeries.row, m_postponedSeries.value, m_game.seriesText());
    showText(m_postponedTV.row, m_postponedTV.value, m_game.broadcastText());
}

void GameDetailPanelView::refreshFinal()
{
    showText(m_finalVenue.row, m_finalVenue.value, venueName(m_game));
    showText(m_finalStarters.row, m_finalStarters.value, pitchersText(m_game));
    const std::optional<LinescoreTeams> teams = m_game.linescore ? m_game.linescore->teams : std::nullopt;
    // Starters were named before the first pitch and stay; the totals are the result.
    refreshLineScoreTable(m_finalTable, m_hidesScore ? std::nullopt : teams);
    m_finalShowScore->setVisible(m_hidesScore && teams);
    showText(m_finalTV.row, m_finalTV.value, m_game.broadcastText());
}

void GameDetailPanelView::refreshLive()
{
    const std::optional<QString> inning = inningText(m_game, m_detail);
    // With the score hidden the play itself (count, outs, runners, who bats) still shows: it tells nothing of
    // the score. Only the line score waits behind Show Score.
    const std::optional<QString> count = m_detail ? m_detail->countText() : std::nullopt;
    const std::optional<QString> outs = m_detail ? m_detail->outsText() : std::nullopt;
    showText(m_inningChip.chip, m_inningChip.value, inning);
    showText(m_countChip.chip, m_countChip.value, count);
    showText(m_outsChip.chip, m_outsChip.value, outs);
    const bool spinning = !outs && m_isLoading;
    m_outsSpinner->setVisible(spinning);
    m_situation->setVisible(inning || count || outs || spinning);

    QString runners = u"Loading..."_s;
    std::optional<QString> matchup;
    std::optional<QString> onDeck;
    if (m_detail) {
        const std::optional<GameDetailOffense> &offense = m_detail->linescore.offense;
        const QStringList texts = offense ? offense->runnerTexts() : QStringList();
        runners = texts.isEmpty() ? u"Bases empty"_s : texts.join(u", "_s);
        matchup = m_detail->matchupText();
        if (offense && offense->onDeck) onDeck = offense->onDeck->fullName;
    }
    showText(m_liveRunners.row, m_liveRunners.value, runners);
    showText(m_liveMatchup.row, m_liveMatchup.value, matchup);
    showText(m_liveOnDeck.row, m_liveOnDeck.value, onDeck);
    refreshAtBat();

    const bool detailVenue = m_detail && m_detail->venueName;
    showText(m_liveVenue.row, m_liveVenue.value, detailVenue ? m_detail->venueName : venueName(m_game));

    std::optional<LinescoreTeams> teams;
    if (m_detail && m_detail->linescore.teams)
        teams = m_detail->linescore.teams;
    else if (m_game.linescore)
        teams = m_game.linescore->teams;
    refreshLineScoreTable(m_liveTable, m_hidesScore ? std::nullopt : teams);
    m_liveShowScore->setVisible(m_hidesScore);
    showText(m_liveTV.row, m_liveTV.value, m_game.broadcastText());
}

void GameDetailPanelView::refreshAtBat()
{
    const bool current = m_plays && m_plays->gamePk == m_game.gamePk;
    // What the last play did gives the score away; the pitches do not, except an in-play call that says runs
    // scored, or what runners did between pitches.
    showText(m_liveLastPlay.row, m_liveLastPlay.value,
        current && !m_hidesScore ? m_plays->lastPlay : std::optional<QString>());
    const std::optional<Plays::AtBat> &atBat = current ? m_plays->currentAtBat : std::nullopt;
    QStringList lines;
    if (atBat) {
        for (Plays::AtBatEvent event : atBat->events) {
            if (m_hidesScore && !event.pitchNumber) continue;
            if (m_hidesScore && event.kind == Plays::AtBatEvent::Kind::InPlay) event.description = u"In play"_s;
            lines.append(atBatEventLine(event));
        }
    }
    m_atBat->setVisible(!lines.isEmpty());
    m_atBatPitches->setText(lines.join(u'\n'));
    m_strikeZone->setAtBat(lines.isEmpty() ? std::nullopt : atBat);
}

void GameDetailPanelView::setPlays(const std::optional<Plays> &plays)
{
    if (plays == m_plays) return;
    m_plays = plays;
    if (sectionOf(m_game) == Section::Live) refreshAtBat();
    updateGeometry();
}

void GameDetailPanelView::refreshLineScoreTable(LineScoreTable &table, const std::optional<LinescoreTeams> &teams)
{
    table.table->setVisible(teams.has_value());
    const std::optional<LinescoreTeamData> *entries[]
        = { teams ? &teams->away : nullptr, teams ? &teams->home : nullptr };
    const qint64 ids[] = { m_game.teams.away.team.id, m_game.teams.home.team.id };
    for (int side = 0; side < 2; ++side) {
        // A hidden score leaves nothing behind in the hidden labels for assistive technology to read.
        table.abbreviations[side]->setText(teams ? MLBTeam::label(ids[side]) : QString());
        const std::optional<LinescoreTeamData> entry = teams ? *entries[side] : std::nullopt;
        const qint64 values[] = { entry ? entry->runs.value_or(0) : 0, entry ? entry->hits.value_or(0) : 0,
            entry ? entry->errors.value_or(0) : 0 };
        for (int column = 0; column < 3; ++column)
            table.numbers[side][column]->setText(teams ? QString::number(values[column]) : QString());
    }
    accessibility::contentChanged(table.table);
}

void GameDetailPanelView::applyColors()
{
    const QPalette &palette = this->palette();
    const QColor primary = theme::primary(palette);
    const QColor secondary = theme::secondary(palette);
    theme::setTextColor(m_title, primary);
    theme::setTextColor(m_status, secondary);
    theme::setTextColor(m_error, secondary);
    for (const Fact *fact : m_facts) {
        theme::setTextColor(fact->label, secondary);
        theme::setTextColor(fact->value, primary);
    }
    for (const Chip *chip : m_chips) {
        theme::setTextColor(chip->label, secondary);
        theme::setTextColor(chip->value, primary);
    }
    for (const LineScoreTable *table : { &m_finalTable, &m_liveTable }) {
        for (QLabel *label : table->headers)
            theme::setTextColor(label, primary);
        for (int side = 0; side < 2; ++side) {
            theme::setTextColor(table->abbreviations[side], primary);
            for (QLabel *number : table->numbers[side])
                theme::setTextColor(number, primary);
        }
    }
    m_boxScoreButton->setIcon(symbolIcon(Symbol::TableCells, buttonSymbolSize, primary));
    m_playsButton->setIcon(symbolIcon(Symbol::ListNumber, buttonSymbolSize, primary));
    theme::setTextColor(m_atBatTitle, secondary);
    theme::setTextColor(m_atBatPitches, primary);
    m_externalButton->setIcon(symbolIcon(Symbol::ArrowUpRightSquare, buttonSymbolSize, primary));
    m_closeButton->setIcon(symbolIcon(Symbol::XmarkCircleFill, buttonSymbolSize, secondary));
}

void GameDetailPanelView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The outline lies inside the filled shape: its path is inset by half the line width.
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(theme::accent(palette(), 0.18), 1));
    painter.setBrush(theme::accent(palette(), 0.08));
    painter.drawRoundedRect(area, cornerRadius - 0.5, cornerRadius - 0.5);
}

void GameDetailPanelView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyColors();
}
