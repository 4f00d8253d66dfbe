#include "ui/standingsview.h"

#include "stats/teams.h"
#include "ui/accessibility.h"
#include "ui/plainbutton.h"
#include "ui/progressspinner.h"
#include "ui/spokentexts.h"
#include "ui/teamlogoview.h"
#include "ui/theme.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 americanLeagueId = 103;
constexpr qint64 nationalLeagueId = 104;
constexpr int horizontalPadding = 12;
constexpr int clubWidth = 64;
constexpr int clubLogoSize = 14;
constexpr int leagueLogoSize = 16;
constexpr int rowPixelSize = 11;

// East, Central, West within each league.
const std::map<qint64, int> divisionDisplayOrder { { 201, 0 }, { 202, 1 }, { 200, 2 }, { 204, 0 }, { 205, 1 },
    { 203, 2 } };

int displayPosition(qint64 divisionId)
{
    const auto found = divisionDisplayOrder.find(divisionId);
    return found == divisionDisplayOrder.end() ? std::numeric_limits<int>::max() : found->second;
}

struct Column {
    QString name;
    QString header;
    int width;
    // The header as a screen reader says it.
    QString spoken;
};

// The columns after the club, left to right, all aligned to their trailing edge.
constexpr std::size_t streakColumn = 4;
constexpr std::size_t gamesBackColumn = 5;

const std::array<Column, 6> &numberColumns()
{
    static const std::array<Column, 6> columns { {
        { u"wins"_s, u"W"_s, 26, u"Wins"_s },
        { u"losses"_s, u"L"_s, 26, u"Losses"_s },
        { u"pct"_s, u"PCT"_s, 44, u"Winning percentage"_s },
        { u"lastTen"_s, u"L10"_s, 38, u"Last 10"_s },
        { u"streak"_s, u"STRK"_s, 36, u"Streak"_s },
        { u"gamesBack"_s, u"GB"_s, 42, u"Games back"_s },
    } };
    return columns;
}

// "W3" read as "won 3", "L2" as "lost 2".
QString spokenStreak(const QString &code)
{
    if (code.startsWith(u'W')) return u"won "_s + code.mid(1);
    if (code.startsWith(u'L')) return u"lost "_s + code.mid(1);
    return code;
}

AccessibleTable::Cell tableCell(const QString &text, QWidget *shownBy)
{
    AccessibleTable::Cell cell;
    cell.text = text;
    cell.shownBy = shownBy;
    return cell;
}

QLabel *cellLabel(QWidget *parent, const QString &name, int width, Qt::Alignment alignment, const QFont &font)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setFixedWidth(width);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setFont(font);
    return label;
}

// The thin line between two division tables of a league.
class DivisionDivider : public QWidget {
public:
    explicit DivisionDivider(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(u"divisionDivider"_s);
        setFixedHeight(1);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QColor color = palette().color(QPalette::Mid);
        color.setAlphaF(0.45f);
        painter.fillRect(QRect(horizontalPadding, 0, width() - 2 * horizontalPadding, 1), color);
    }
};

// What one table shows: a division, or one part of a league's wild-card race.
struct StandingsTable {
    QString objectName;
    QString title;
    std::vector<TeamRecord> rows;
    bool wildCard = false;
    // Rows above the wild-card line; none for a division table.
    std::optional<std::size_t> spots;
};

// One half of the Division | Wild Card switch: text on a soft accent fill while chosen.
class SegmentButton : public FlatButton<QAbstractButton> {
public:
    SegmentButton(const QString &text, QWidget *parent)
        : FlatButton<QAbstractButton>(parent)
    {
        setText(text);
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        accessibility::setRole(this, QAccessible::RadioButton);
    }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(theme::font(10, QFont::DemiBold));
        return { metrics.horizontalAdvance(text()) + 20, metrics.height() + 6 };
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        if (isChecked()) {
            QPainterPath shape;
            shape.addRoundedRect(box, 5, 5);
            painter.fillPath(shape, theme::accent(palette(), 0.15));
        }
        if (hasKeyboardFocus()) paintKeyboardFocusRing(painter, *this, box);
        painter.setFont(theme::font(10, isChecked() ? QFont::DemiBold : QFont::Normal));
        painter.setPen(isChecked() ? theme::primary(palette()) : theme::secondary(palette()));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }

    // As between radio buttons, Left and Right choose the neighbouring segment and take the focus there.
    void keyPressEvent(QKeyEvent *event) override
    {
        const int step = event->key() == Qt::Key_Right ? 1 : event->key() == Qt::Key_Left ? -1 : 0;
        if (step == 0 || !group()) {
            FlatButton<QAbstractButton>::keyPressEvent(event);
            return;
        }
        const QList<QAbstractButton *> segments = group()->buttons();
        const qsizetype index = segments.indexOf(this) + (layoutDirection() == Qt::RightToLeft ? -step : step);
        if (index >= 0 && index < segments.size()) {
            passFocusTo(segments[index]);
            segments[index]->click();
        }
    }
};

std::vector<StandingsTable> divisionTables(
    const std::vector<StandingsRecord> &records, const std::vector<qint64> &divisionIds)
{
    std::vector<const StandingsRecord *> shown;
    for (const StandingsRecord &record : records) {
        if (std::ranges::find(divisionIds, record.division.id) != divisionIds.end()) shown.push_back(&record);
    }
    std::ranges::stable_sort(
        shown, {}, [](const StandingsRecord *record) { return displayPosition(record->division.id); });
    std::vector<StandingsTable> tables;
    for (const StandingsRecord *record : shown) {
        tables.push_back({ u"division"_s + QString::number(record->division.id),
            divisionDisplayName(record->division.id), record->teamRecords, false, std::nullopt });
    }
    return tables;
}

std::vector<StandingsTable> wildCardTables(const std::vector<StandingsRecord> &records, qint64 leagueId)
{
    WildCardStandings race = wildCardStandings(records, leagueId);
    std::vector<StandingsTable> tables;
    if (!race.leaders.empty())
        tables.push_back({ u"divisionLeaders"_s, u"Leaders"_s, std::move(race.leaders), true, std::nullopt });
    if (!race.contenders.empty())
        tables.push_back({ u"wildCard"_s, u"Wild Card"_s, std::move(race.contenders), true, race.spots });
    return tables;
}

} // namespace

// One club's line of a division table.
class StandingsRowView : public QWidget {
public:
    explicit StandingsRowView(QWidget *parent)
        : QWidget(parent)
    {
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(horizontalPadding, 2, horizontalPadding, 2);
        row->setSpacing(0);

        auto *club = new QWidget(this);
        club->setFixedWidth(clubWidth);
        m_clubLayout = new QHBoxLayout(club);
        m_clubLayout->setContentsMargins(0, 0, 0, 0);
        m_clubLayout->setSpacing(4);
        m_abbreviation = new QLabel(club);
        m_abbreviation->setObjectName(u"abbreviation"_s);
        m_abbreviation->setTextFormat(Qt::PlainText);
        // The logo goes in first once the club is known (setRecord), ahead of the abbreviation.
        m_clubLayout->addWidget(m_abbreviation, 0, Qt::AlignVCenter);
        m_clinch = new QLabel(club);
        m_clinch->setObjectName(u"clinch"_s);
        m_clinch->setTextFormat(Qt::PlainText);
        m_clinch->setFont(theme::font(9, QFont::DemiBold));
        m_clubLayout->addWidget(m_clinch, 0, Qt::AlignVCenter);
        m_clubLayout->addStretch(1);
        row->addWidget(club, 0, Qt::AlignVCenter);

        for (const Column &column : numberColumns()) {
            QLabel *label
                = cellLabel(this, column.name, column.width, Qt::AlignRight, theme::monospacedFont(rowPixelSize));
            row->addWidget(label, 0, Qt::AlignVCenter);
            m_cells.push_back(label);
        }
        row->addStretch(1);
    }

    void setRecord(const TeamRecord &record, bool isFavorite, bool isFollowed, const QString &gamesBack, bool lineBelow)
    {
        m_lineBelow = lineBelow;
        setProperty("wildCardLine", lineBelow);
        m_clinch->setText(record.clinchIndicator.value_or(QString()));
        m_clinch->setVisible(!m_clinch->text().isEmpty());
        setObjectName(u"team"_s + QString::number(record.team.id));
        if (m_teamId != record.team.id) {
            delete m_logo;
            m_logo = new TeamLogoView(record.team.id, clubLogoSize, m_abbreviation->parentWidget());
            m_logo->setObjectName(u"logo"_s);
            m_clubLayout->insertWidget(0, m_logo, 0, Qt::AlignVCenter);
            m_teamId = record.team.id;
        }
        m_isFavorite = isFavorite;
        m_isFollowed = isFollowed;
        m_abbreviation->setText(MLBTeam::label(record.team.id));
        m_abbreviation->setFont(
            theme::monospacedFont(rowPixelSize, isFavorite || isFollowed ? QFont::Bold : QFont::Normal));

        m_streakCode = record.streak ? std::optional(record.streak->streakCode) : std::nullopt;
        const QString texts[] = {
            QString::number(record.leagueRecord.wins),
            QString::number(record.leagueRecord.losses),
            record.pctText(),
            record.lastTenText(),
            m_streakCode.value_or(u"\u2013"_s),
            gamesBack,
        };
        for (std::size_t i = 0; i < m_cells.size(); ++i)
            m_cells[i]->setText(texts[i]);
        update();
    }

    // The row's cells for assistive technology.
    std::vector<AccessibleTable::Cell> accessibleCells() const
    {
        QString club = spokenClubName(m_teamId.value_or(0));
        if (const QString meaning = clinchMeaning(m_clinch->text()); !meaning.isEmpty())
            club += u", clinched "_s + meaning;
        std::vector<AccessibleTable::Cell> cells { tableCell(club, m_abbreviation->parentWidget()) };
        if (m_isFavorite) cells.front().description = u"My Team"_s;
        if (m_isFollowed) cells.front().description = u"Followed Team"_s;
        for (std::size_t i = 0; i < m_cells.size(); ++i) {
            const QString text = m_cells[i]->text();
            cells.push_back(tableCell(i == streakColumn ? spokenStreak(text) : text, m_cells[i]));
        }
        return cells;
    }

    // Colours depend on the record too, so the division calls this after every setRecord.

    void applyColors(const QPalette &palette)
    {
        theme::setTextColor(m_abbreviation, m_isFavorite ? theme::accent(palette) : theme::primary(palette));
        for (QLabel *label : m_cells)
            theme::setTextColor(label, theme::primary(palette));
        QColor streak = theme::secondary(palette);
        if (m_streakCode && m_streakCode->startsWith(u'W'))
            streak = theme::green(palette);
        else if (m_streakCode && m_streakCode->startsWith(u'L'))
            streak = theme::red(palette);
        theme::setTextColor(m_cells[streakColumn], streak);
        theme::setTextColor(m_cells[gamesBackColumn], theme::secondary(palette));
        theme::setTextColor(m_clinch, theme::secondary(palette));
    }

protected:
    // The wild-card line runs under the last club that holds a place.
    void paintEvent(QPaintEvent *) override
    {
        if (!m_lineBelow) return;
        QPainter painter(this);
        painter.fillRect(
            QRect(horizontalPadding, height() - 1, width() - 2 * horizontalPadding, 1), theme::accent(palette(), 0.55));
    }

private:
    QHBoxLayout *m_clubLayout = nullptr;
    TeamLogoView *m_logo = nullptr;
    std::optional<qint64> m_teamId;
    QLabel *m_abbreviation = nullptr;
    QLabel *m_clinch = nullptr;
    bool m_lineBelow = false;
    std::vector<QLabel *> m_cells;
    bool m_isFavorite = false;
    bool m_isFollowed = false;
    std::optional<QString> m_streakCode;
};

// One table: a divider unless it leads its league, the column header and a row per club.
class StandingsDivisionView : public QWidget {
public:
    explicit StandingsDivisionView(QWidget *parent)
        : QWidget(parent)
    {
        auto *stack = new QVBoxLayout(this);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(6);
        m_divider = new DivisionDivider(this);
        stack->addWidget(m_divider);

        m_table = new QWidget(this);
        m_tableLayout = new QVBoxLayout(m_table);
        m_tableLayout->setContentsMargins(0, 0, 0, 0);
        m_tableLayout->setSpacing(2);
        stack->addWidget(m_table);

        auto *header = new QWidget(m_table);
        header->setObjectName(u"columnHeader"_s);
        auto *line = new QHBoxLayout(header);
        line->setContentsMargins(horizontalPadding, 0, horizontalPadding, 0);
        line->setSpacing(0);
        m_title = cellLabel(
            header, u"divisionTitle"_s, clubWidth, Qt::AlignLeft, theme::monospacedFont(10, QFont::DemiBold));
        line->addWidget(m_title, 0, Qt::AlignVCenter);
        m_headerLabels.push_back(m_title);
        for (const Column &column : numberColumns()) {
            QLabel *label = cellLabel(header, u"header"_s + column.header, column.width, Qt::AlignRight,
                theme::monospacedFont(9, QFont::Medium));
            label->setText(column.header);
            line->addWidget(label, 0, Qt::AlignVCenter);
            m_headerLabels.push_back(label);
        }
        m_gamesBackHeader = m_headerLabels.back();
        line->addStretch(1);
        m_tableLayout->addWidget(header);
        accessibility::setTable(this, [this] { return accessibleContent(); });
    }

    AccessibleTable accessibleContent() const
    {
        AccessibleTable table;
        table.name = m_title->text();
        table.header.push_back(tableCell(u"Team"_s, m_title));
        for (std::size_t i = 0; i < numberColumns().size(); ++i) {
            const bool wildCardBack = i == gamesBackColumn && m_gamesBackHeader->text() == u"WCGB"_s;
            table.header.push_back(
                tableCell(wildCardBack ? u"Wild card games back"_s : numberColumns()[i].spoken, m_headerLabels[i + 1]));
        }
        for (const StandingsRowView *row : m_rows)
            table.rows.push_back(row->accessibleCells());
        return table;
    }

    // `number` is the table's place within its league; the first one has no divider.
    void setTable(
        const StandingsTable &table, int number, qint64 favoriteTeamId, const std::vector<qint64> &followedTeamIds)
    {
        setObjectName(table.objectName);
        m_divider->setVisible(number >= 1);
        m_title->setText(table.title);
        m_gamesBackHeader->setText(table.wildCard ? u"WCGB"_s : u"GB"_s);

        const std::size_t count = table.rows.size();
        while (m_rows.size() > count) {
            delete m_rows.back();
            m_rows.pop_back();
        }
        while (m_rows.size() < count) {
            auto *row = new StandingsRowView(m_table);
            m_tableLayout->addWidget(row);
            m_rows.push_back(row);
        }
        for (std::size_t i = 0; i < count; ++i) {
            const TeamRecord &record = table.rows[i];
            const QString gamesBack = table.wildCard ? record.wildCardGamesBack.value_or(u"-"_s) : record.gamesBack;
            const bool lineBelow = table.spots && *table.spots > 0 && i + 1 == *table.spots && i + 1 < count;
            const bool followed = std::ranges::find(followedTeamIds, record.team.id) != followedTeamIds.end();
            m_rows[i]->setRecord(record, record.team.id == favoriteTeamId, followed, gamesBack, lineBelow);
        }
        applyColors(palette());
        accessibility::contentChanged(this);
    }

    void applyColors(const QPalette &palette)
    {
        for (QLabel *label : m_headerLabels)
            theme::setTextColor(label, theme::secondary(palette));
        for (StandingsRowView *row : m_rows)
            row->applyColors(palette);
        m_divider->update();
    }

private:
    QWidget *m_divider = nullptr;
    QWidget *m_table = nullptr;
    QVBoxLayout *m_tableLayout = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_gamesBackHeader = nullptr;
    std::vector<QLabel *> m_headerLabels;
    std::vector<StandingsRowView *> m_rows;
};

StandingsView::StandingsView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(u"standingsView"_s);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto *switchBar = new QWidget(this);
    switchBar->setObjectName(u"standingsSwitch"_s);
    accessibility::setRole(switchBar, QAccessible::Grouping);
    switchBar->setAccessibleName(u"Standings by"_s);
    auto *switchLine = new QHBoxLayout(switchBar);
    switchLine->setContentsMargins(horizontalPadding, 6, horizontalPadding, 0);
    switchLine->setSpacing(2);
    m_divisionButton = new SegmentButton(u"Division"_s, switchBar);
    m_divisionButton->setObjectName(u"divisionMode"_s);
    m_wildCardButton = new SegmentButton(u"Wild Card"_s, switchBar);
    m_wildCardButton->setObjectName(u"wildCardMode"_s);
    auto *group = new QButtonGroup(switchBar);
    group->addButton(m_divisionButton);
    group->addButton(m_wildCardButton);
    m_divisionButton->setChecked(true);
    switchLine->addStretch(1);
    switchLine->addWidget(m_divisionButton);
    switchLine->addWidget(m_wildCardButton);
    switchLine->addStretch(1);
    outer->addWidget(switchBar);
    connect(m_wildCardButton, &QAbstractButton::clicked, this, [this] { Q_EMIT wildCardChosen(true); });
    connect(m_divisionButton, &QAbstractButton::clicked, this, [this] { Q_EMIT wildCardChosen(false); });

    auto *states = new QWidget(this);
    m_states = new QStackedLayout(states);
    outer->addWidget(states, 1);

    m_loading = new QWidget(states);
    auto *loadingLayout = new QVBoxLayout(m_loading);
    auto *spinner = new ProgressSpinner(26, m_loading);
    spinner->setObjectName(u"loadingIndicator"_s);
    loadingLayout->addWidget(spinner, 0, Qt::AlignCenter);
    m_states->addWidget(m_loading);

    m_failure = new QWidget(states);
    m_failure->setObjectName(u"standingsFailure"_s);
    auto *failureLayout = new QVBoxLayout(m_failure);
    failureLayout->setSpacing(8);
    failureLayout->addStretch(1);
    m_failureText = new QLabel(u"Failed to load standings"_s, m_failure);
    m_failureText->setObjectName(u"standingsError"_s);
    m_failureText->setTextFormat(Qt::PlainText);
    m_failureText->setFont(theme::font(11));
    failureLayout->addWidget(m_failureText, 0, Qt::AlignHCenter);
    auto *retry = new QToolButton(m_failure);
    retry->setText(u"Retry"_s);
    retry->setObjectName(u"standingsRetry"_s);
    retry->setFont(theme::font(11));
    retry->setCursor(Qt::PointingHandCursor);
    connect(retry, &QToolButton::clicked, this, &StandingsView::retryRequested);
    failureLayout->addWidget(retry, 0, Qt::AlignHCenter);
    failureLayout->addStretch(1);
    m_states->addWidget(m_failure);

    m_scroll = new QScrollArea(states);
    m_scroll->setObjectName(u"standingsScroll"_s);
    m_scroll->setAccessibleName(u"Standings"_s);
    // The page keys scroll it wherever the focus is; a Tab stop that shows nothing would only be in the way.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_column = new QWidget;
    m_column->setAutoFillBackground(false);
    m_columnLayout = new QVBoxLayout(m_column);
    m_columnLayout->setContentsMargins(0, 8, 0, 8);
    m_columnLayout->setSpacing(12);
    m_american.leagueId = americanLeagueId;
    m_american.divisionIds = { 200, 201, 202 };
    buildSection(m_american, u"americanLeague"_s, u"American League"_s, 0);
    m_national.leagueId = nationalLeagueId;
    m_national.divisionIds = { 203, 204, 205 };
    buildSection(m_national, u"nationalLeague"_s, u"National League"_s, 4);
    m_legend = new QLabel(m_column);
    m_legend->setObjectName(u"clinchLegend"_s);
    m_legend->setTextFormat(Qt::PlainText);
    m_legend->setFont(theme::font(9));
    m_legend->setContentsMargins(horizontalPadding, 0, horizontalPadding, 0);
    m_legend->hide();
    m_columnLayout->addWidget(m_legend);
    m_columnLayout->addStretch(1);
    m_scroll->setWidget(m_column);
    m_states->addWidget(m_scroll);

    m_states->setCurrentWidget(m_loading);
    applyColors();
}

StandingsView::~StandingsView() = default;

void StandingsView::buildSection(Section &section, const QString &name, const QString &title, int topPadding)
{
    section.header = new QWidget(m_column);
    section.header->setObjectName(name + u"Header"_s);
    auto *line = new QHBoxLayout(section.header);
    line->setContentsMargins(horizontalPadding, topPadding, horizontalPadding, 0);
    line->setSpacing(6);
    auto *logo = new LeagueLogoView(section.leagueId, leagueLogoSize, section.header);
    logo->setObjectName(u"leagueLogo"_s);
    accessibility::setRole(logo, QAccessible::Graphic);
    logo->setAccessibleName(title + u" logo"_s);
    line->addWidget(logo, 0, Qt::AlignVCenter);
    section.title = new QLabel(title, section.header);
    section.title->setObjectName(u"leagueTitle"_s);
    section.title->setTextFormat(Qt::PlainText);
    section.title->setFont(theme::font(12, QFont::Bold));
    line->addWidget(section.title, 0, Qt::AlignVCenter);
    m_columnLayout->addWidget(section.header, 0, Qt::AlignLeft);

    section.divisions = new QWidget(m_column);
    section.divisions->setObjectName(name);
    section.layout = new QVBoxLayout(section.divisions);
    section.layout->setContentsMargins(0, 0, 0, 0);
    section.layout->setSpacing(6);
    // A league without divisions adds no gap of its own below its header.
    section.divisions->hide();
    m_columnLayout->addWidget(section.divisions, 0, Qt::AlignLeft);
}

void StandingsView::setFollowedTeamIds(std::vector<qint64> teamIds)
{
    m_followedTeamIds = std::move(teamIds);
}

void StandingsView::setStandings(
    const std::vector<StandingsRecord> &records, qint64 favoriteTeamId, bool wildCard, bool loadFailed)
{
    // The other table set is another page: it starts at its top, not where the last one was left.
    if (wildCard != m_showsWildCard) m_scroll->verticalScrollBar()->setValue(0);
    m_showsWildCard = wildCard;
    m_divisionButton->setChecked(!wildCard);
    m_wildCardButton->setChecked(wildCard);
    if (records.empty()) {
        m_states->setCurrentWidget(loadFailed ? m_failure : m_loading);
        return;
    }
    fillSection(m_american, records, favoriteTeamId, wildCard);
    fillSection(m_national, records, favoriteTeamId, wildCard);

    QStringList marks;
    for (const StandingsRecord &record : records) {
        for (const TeamRecord &team : record.teamRecords) {
            if (team.clinchIndicator && !marks.contains(*team.clinchIndicator)) marks.append(*team.clinchIndicator);
        }
    }
    m_legend->setText(clinchLegend(marks));
    m_legend->setVisible(!m_legend->text().isEmpty());
    m_states->setCurrentWidget(m_scroll);
}

void StandingsView::fillSection(
    Section &section, const std::vector<StandingsRecord> &records, qint64 favoriteTeamId, bool wildCard)
{
    const std::vector<StandingsTable> tables
        = wildCard ? wildCardTables(records, section.leagueId) : divisionTables(records, section.divisionIds);
    while (section.blocks.size() > tables.size()) {
        delete section.blocks.back();
        section.blocks.pop_back();
    }
    while (section.blocks.size() < tables.size()) {
        auto *block = new StandingsDivisionView(section.divisions);
        section.layout->addWidget(block);
        section.blocks.push_back(block);
    }
    for (std::size_t i = 0; i < tables.size(); ++i)
        section.blocks[i]->setTable(tables[i], int(i), favoriteTeamId, m_followedTeamIds);
    section.divisions->setVisible(!tables.empty());
}

void StandingsView::applyColors()
{
    const QPalette &palette = this->palette();
    for (Section *section : { &m_american, &m_national }) {
        theme::setTextColor(section->title, theme::secondary(palette));
        for (StandingsDivisionView *block : section->blocks)
            block->applyColors(palette);
    }
    theme::setTextColor(m_legend, theme::secondary(palette));
    theme::setTextColor(m_failureText, theme::secondary(palette));
}

void StandingsView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyColors();
}
