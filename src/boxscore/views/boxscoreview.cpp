#include "boxscore/views/boxscoreview.h"

#include "ui/accessibility.h"
#include "ui/theme.h"

#include <QCursor>
#include <QDesktopServices>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal titleSpaceAbove = 4;
constexpr qreal tableSpacing = 4;
constexpr qreal substituteIndent = 10;
constexpr qreal nameCellSpacing = 4;
constexpr qreal minimumLineScoreGap = 8;
constexpr qreal scoringSpacing = 8;
constexpr int minimumTextWidth = 120;
const QString separator = u"  \u00b7  "_s;

qreal lineHeight(const QFont &font)
{
    return std::ceil(QFontMetricsF(font).height());
}

qreal advance(const QFont &font, const QString &text)
{
    return std::ceil(QFontMetricsF(font).horizontalAdvance(text));
}

// A section as assistive technology reads it, made from what the section paints at its width: named by its
// title, then its texts in order, with its table (if it has one) in the place of the table's first text.
class AccessibleBoxScoreSection : public QAccessibleWidget, public accessibility::ContentInterface {
public:
    explicit AccessibleBoxScoreSection(BoxScoreSection *section)
        : QAccessibleWidget(section, QAccessible::Grouping)
    { }

    ~AccessibleBoxScoreSection() override
    {
        for (const QAccessible::Id id : m_parts)
            QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        refresh();
        return m_name;
    }

    int childCount() const override
    {
        refresh();
        return int(m_parts.size());
    }

    QAccessibleInterface *child(int index) const override
    {
        refresh();
        if (index < 0 || std::size_t(index) >= m_parts.size()) return nullptr;
        return QAccessible::accessibleInterface(m_parts[std::size_t(index)]);
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        refresh();
        for (std::size_t index = 0; index < m_parts.size(); ++index)
            if (QAccessible::accessibleInterface(m_parts[index]) == child) return int(index);
        return -1;
    }

    QAccessibleInterface *focusChild() const override { return nullptr; }

    // Parts that no longer exist go at once, before anything asks them about a place that has gone.
    void invalidate() override
    {
        m_stale = true;
        if (!m_parts.empty()) refresh();
    }

private:
    BoxScoreSection *section() const { return static_cast<BoxScoreSection *>(widget()); }

    void refresh() const
    {
        if (!m_stale && m_width == section()->width()) return;
        m_stale = false;
        m_width = section()->width();

        m_name = section()->accessibleName();
        AccessibleTable table;
        std::vector<std::pair<QString, QRect>> texts;
        std::optional<std::size_t> tableAt;
        for (const BoxScoreSection::Item &item : section()->items()) {
            if (item.kind == BoxScoreSection::Item::Kind::Divider) continue;
            if (item.title) {
                if (m_name.isEmpty()) m_name = item.text;
                continue;
            }
            if (item.cellColumn < 0) {
                texts.emplace_back(item.text, item.rect.toAlignedRect());
                continue;
            }
            if (!tableAt) tableAt = texts.size();
            if (item.cellRow >= 0 && table.rows.size() <= std::size_t(item.cellRow))
                table.rows.resize(std::size_t(item.cellRow) + 1);
            auto &row = item.cellRow < 0 ? table.header : table.rows[std::size_t(item.cellRow)];
            if (row.size() <= std::size_t(item.cellColumn)) row.resize(std::size_t(item.cellColumn) + 1);
            // A name and the position or decision beside it share the cell.
            AccessibleTable::Cell &cell = row[std::size_t(item.cellColumn)];
            cell.text = (cell.text + u' ' + item.text).simplified();
            cell.rect |= item.rect.toAlignedRect();
            if (item.link) {
                cell.press = [section = QPointer(section()), url = *item.link] {
                    if (section) Q_EMIT section->linkActivated(url);
                };
                cell.pressName = u"Open on Baseball Reference"_s;
            }
        }
        table.name = m_name;
        m_table = std::move(table);

        auto *self = const_cast<AccessibleBoxScoreSection *>(this);
        if (tableAt && !m_tableId) {
            m_tableId = QAccessible::registerAccessibleInterface(
                new AccessibleVirtualTable(self, section(), [this] { return m_table; }));
        } else if (tableAt) {
            static_cast<AccessibleVirtualTable *>(QAccessible::accessibleInterface(*m_tableId))->cells().invalidate();
        } else if (m_tableId) {
            QAccessible::deleteAccessibleInterface(*std::exchange(m_tableId, std::nullopt));
        }
        if (texts.size() != m_texts.size()) {
            for (const QAccessible::Id id : m_texts)
                QAccessible::deleteAccessibleInterface(id);
            m_texts.clear();
            for (const auto &[text, rect] : texts)
                m_texts.push_back(
                    QAccessible::registerAccessibleInterface(new AccessibleVirtualText(self, section(), text, rect)));
        } else {
            for (std::size_t i = 0; i < texts.size(); ++i)
                static_cast<AccessibleVirtualText *>(QAccessible::accessibleInterface(m_texts[i]))
                    ->setContent(texts[i].first, texts[i].second);
        }
        m_parts = m_texts;
        if (tableAt) m_parts.insert(m_parts.begin() + std::ptrdiff_t(*tableAt), *m_tableId);
    }

    mutable bool m_stale = true;
    mutable int m_width = -1;
    mutable QString m_name;
    mutable AccessibleTable m_table;
    mutable std::optional<QAccessible::Id> m_tableId;
    mutable std::vector<QAccessible::Id> m_texts;
    mutable std::vector<QAccessible::Id> m_parts;
};

QAccessibleInterface *accessibleSectionFactory(const QString &, QObject *object)
{
    if (auto *section = qobject_cast<BoxScoreSection *>(object)) return new AccessibleBoxScoreSection(section);
    return nullptr;
}

} // namespace

std::optional<QUrl> playerSearchURL(const QString &fullName)
{
    const QString name = fullName.trimmed();
    if (name.isEmpty()) return std::nullopt;
    // Query punctuation stays as it is, except "&", "=", "+" and "#", which would end or change the search value.
    const QByteArray encoded = QUrl::toPercentEncoding(name, "!$'()*,/:;?@");
    const QUrl url = QUrl::fromEncoded(
        "https://www.baseball-reference.com/search/search.fcgi?search=" + encoded, QUrl::StrictMode);
    if (!url.isValid()) return std::nullopt;
    return url;
}

const QString BoxScoreSection::linkToolTip = u"Ctrl-click to open on Baseball Reference"_s;

BoxScoreSection::BoxScoreSection(const BoxScoreStyle &style, QWidget *parent)
    : QWidget(parent)
    , m_style(style)
{
    QAccessible::installFactory(&accessibleSectionFactory);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setMouseTracking(true);
    accessibility::claimInterface(this, QAccessible::Grouping);
}

BoxScoreSection::~BoxScoreSection()
{
    if (m_showingPointingHand) QGuiApplication::restoreOverrideCursor();
}

void BoxScoreSection::setBoxScoreStyle(const BoxScoreStyle &style)
{
    if (m_style == style) return;
    m_style = style;
    contentChanged();
}

const std::vector<BoxScoreSection::Item> &BoxScoreSection::items() const
{
    return layoutFor(width()).items;
}

QStringList BoxScoreSection::texts() const
{
    QStringList result;
    for (const Item &item : items())
        if (item.kind == Item::Kind::Text) result << item.text;
    return result;
}

int BoxScoreSection::heightForWidth(int width) const
{
    return layoutFor(width).height;
}

QSize BoxScoreSection::sizeHint() const
{
    const int width = std::max(minimumContentWidth(), minimumTextWidth);
    return { width, heightForWidth(width) };
}

QSize BoxScoreSection::minimumSizeHint() const
{
    // The height comes from heightForWidth at the width given; the height at the narrowest width, taller with
    // every wrapped line, would leave that much blank space under the last section.
    return { sizeHint().width(), 0 };
}

const BoxScoreSection::Layout &BoxScoreSection::layoutFor(int width) const
{
    // The layout at the current width is kept for painting and hit tests; the enclosing layout asks about
    // other widths while it settles, and the last of those is kept as well.
    Layout &slot = width == this->width() ? m_layout : m_probe;
    if (slot.width != width) {
        slot.width = width;
        slot.items.clear();
        slot.height = int(std::ceil(layOut(std::max(width, 1), slot.items)));
    }
    return slot;
}

void BoxScoreSection::contentChanged()
{
    m_layout.width = -1;
    m_probe.width = -1;
    updateGeometry();
    update();
    accessibility::contentChanged(this);
    // The links moved or changed; the pointer may now be over another name or none.
    setHoveredLink(underMouse() ? linkAt(mapFromGlobal(QCursor::pos())) : std::nullopt);
}

bool BoxScoreSection::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        if (const auto index = linkAt(help->pos()))
            QToolTip::showText(help->globalPos(), linkToolTip, this, items()[*index].rect.toAlignedRect());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void BoxScoreSection::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor primary = theme::primary(palette());
    const QColor secondary = theme::secondary(palette());
    const QColor rule = palette().color(QPalette::Mid);
    for (const Item &item : items()) {
        if (item.kind == Item::Kind::Divider) {
            painter.fillRect(item.rect, rule);
            continue;
        }
        painter.setPen(item.secondary ? secondary : primary);
        if (item.wrapped) {
            item.wrapped->draw(&painter, item.rect.topLeft());
            continue;
        }
        painter.setFont(item.font);
        const QString shown = QFontMetricsF(item.font).elidedText(item.text, Qt::ElideRight, item.rect.width() + 0.5);
        painter.drawText(item.rect, int(item.alignment | Qt::AlignTop), shown);
    }
}

void BoxScoreSection::mouseMoveEvent(QMouseEvent *event)
{
    setHoveredLink(linkAt(event->position()));
    QWidget::mouseMoveEvent(event);
}

void BoxScoreSection::mousePressEvent(QMouseEvent *event)
{
    // Only a Ctrl-click on a name is taken; any other press goes on to the enclosing views.
    m_pressedLink.reset();
    const auto index = linkAt(event->position());
    if (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ControlModifier) && index) {
        m_pressedLink = items()[*index].link;
        event->accept();
        return;
    }
    event->ignore();
}

void BoxScoreSection::mouseReleaseEvent(QMouseEvent *event)
{
    const std::optional<QUrl> pressed = std::exchange(m_pressedLink, std::nullopt);
    const auto index = linkAt(event->position());
    if (event->button() == Qt::LeftButton && pressed && index && items()[*index].link == pressed) {
        Q_EMIT linkActivated(*pressed);
        event->accept();
        return;
    }
    event->ignore();
}

void BoxScoreSection::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    setHoveredLink(std::nullopt);
}

void BoxScoreSection::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A hidden widget gets no leave event, so it gives the cursor back here.
    setHoveredLink(std::nullopt);
}

std::optional<std::size_t> BoxScoreSection::linkAt(QPointF position) const
{
    const std::vector<Item> &placed = items();
    for (std::size_t index = 0; index < placed.size(); ++index)
        if (placed[index].link && placed[index].rect.contains(position)) return index;
    return std::nullopt;
}

void BoxScoreSection::setHoveredLink(std::optional<std::size_t> index)
{
    m_hoveredLink = index;
    syncCursor();
}

void BoxScoreSection::syncCursor()
{
    const bool wanted = m_hoveredLink.has_value();
    if (wanted && !m_showingPointingHand) {
        QGuiApplication::setOverrideCursor(Qt::PointingHandCursor);
        m_showingPointingHand = true;
    } else if (!wanted && m_showingPointingHand) {
        QGuiApplication::restoreOverrideCursor();
        m_showingPointingHand = false;
    }
}

QFont BoxScoreSection::body(QFont::Weight weight) const
{
    return theme::font(m_style.bodyFontSize, weight);
}

QFont BoxScoreSection::caption(QFont::Weight weight) const
{
    return theme::font(m_style.captionFontSize, weight);
}

BoxScoreSection::Item BoxScoreSection::text(
    const QString &text, const QFont &font, qreal x, qreal top, qreal width, bool secondary, Qt::Alignment alignment)
{
    Item item;
    item.rect = QRectF(x, top, std::max<qreal>(width, 0), lineHeight(font));
    item.text = text;
    item.font = font;
    item.secondary = secondary;
    item.alignment = alignment;
    return item;
}

BoxScoreSection::Item BoxScoreSection::paragraph(const QString &text, const QFont &font, qreal x, qreal top,
    qreal width, bool secondary, qsizetype emphasisLength, const QFont &emphasisFont)
{
    Item item;
    item.text = text;
    item.font = font;
    item.secondary = secondary;
    item.emphasisLength = emphasisLength;
    item.emphasisFont = emphasisFont;
    auto layout = std::make_shared<QTextLayout>(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    if (emphasisLength > 0) {
        QTextCharFormat emphasis;
        emphasis.setFont(emphasisFont);
        layout->setFormats({ QTextLayout::FormatRange { 0, int(emphasisLength), emphasis } });
    }
    const qreal lineWidth = std::max<qreal>(width, 1);
    qreal height = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(lineWidth);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout->endLayout();
    item.rect = QRectF(x, top, lineWidth, std::ceil(height));
    item.wrapped = std::move(layout);
    return item;
}

BoxScoreSection::Item BoxScoreSection::divider(qreal top, qreal width)
{
    Item item;
    item.kind = Item::Kind::Divider;
    item.rect = QRectF(0, top, width, 1);
    return item;
}

qreal BoxScoreSection::addTitle(std::vector<Item> &items, const QString &title, qreal width) const
{
    items.push_back(text(title, caption(QFont::Bold), 0, titleSpaceAbove, width, true));
    items.back().title = true;
    return items.back().rect.bottom();
}

void BoxScoreResultHeader::setResult(const BoxScore::ResultLine &result)
{
    if (m_result == result) return;
    m_result = result;
    contentChanged();
}

qreal BoxScoreResultHeader::layOut(qreal width, std::vector<Item> &items) const
{
    const QFont titleFont = theme::font(boxScoreStyle().titleFontSize, QFont::Bold);
    const QFont decisionsFont = caption();
    if (m_result.decisions && !boxScoreStyle().isCompact) {
        // Side by side on one baseline when both fit; a narrow window stacks them like the compact style.
        const qreal spacing = 8;
        const qreal titleWidth = advance(titleFont, m_result.title);
        const qreal decisionsWidth = advance(decisionsFont, *m_result.decisions);
        if (titleWidth + spacing + decisionsWidth <= width) {
            const qreal titleAscent = QFontMetricsF(titleFont).ascent();
            const qreal decisionsAscent = QFontMetricsF(decisionsFont).ascent();
            const qreal baseline = std::ceil(std::max(titleAscent, decisionsAscent));
            items.push_back(text(m_result.title, titleFont, 0, baseline - titleAscent, titleWidth));
            items.push_back(text(*m_result.decisions, decisionsFont, titleWidth + spacing, baseline - decisionsAscent,
                decisionsWidth, true));
            return std::max(items[0].rect.bottom(), items[1].rect.bottom());
        }
    }
    items.push_back(paragraph(m_result.title, titleFont, 0, 0, width, false));
    qreal bottom = items.back().rect.bottom();
    if (m_result.decisions) {
        items.push_back(paragraph(*m_result.decisions, decisionsFont, 0, bottom + 2, width, true));
        bottom = items.back().rect.bottom();
    }
    return bottom;
}

void BoxScoreLineScoreSection::setLine(const BoxScore::LineScore &line)
{
    if (m_line == line) return;
    m_line = line;
    contentChanged();
}

int BoxScoreLineScoreSection::minimumContentWidth() const
{
    const BoxScoreStyle &style = boxScoreStyle();
    const qreal innings = qreal(m_line.innings.size()) * style.lineInningColumnWidth;
    return int(style.lineAbbrColumnWidth + innings + minimumLineScoreGap + 3 * style.lineTotalsColumnWidth);
}

qreal BoxScoreLineScoreSection::layOut(qreal width, std::vector<Item> &items) const
{
    const BoxScoreStyle &style = boxScoreStyle();
    const qreal inningWidth = style.lineInningColumnWidth;
    const qreal totalsWidth = style.lineTotalsColumnWidth;
    const qreal inningsEnd = style.lineAbbrColumnWidth + qreal(m_line.innings.size()) * inningWidth;
    // The totals stand at the right edge, never closer than the minimum gap to the last inning.
    const qreal totalsStart = std::max(inningsEnd + minimumLineScoreGap, width - 3 * totalsWidth);

    qreal y = 0;
    const QFont header = caption();
    const int innings = int(m_line.innings.size());
    for (int i = 0; i < innings; ++i)
        items.push_back(text(m_line.innings[std::size_t(i)].ordinal, header,
            style.lineAbbrColumnWidth + i * inningWidth, y, inningWidth, true, Qt::AlignRight)
                            .inCell(-1, 1 + i));
    const QString totalsHeaders[] = { u"R"_s, u"H"_s, u"E"_s };
    for (int i = 0; i < 3; ++i)
        items.push_back(
            text(totalsHeaders[i], header, totalsStart + i * totalsWidth, y, totalsWidth, true, Qt::AlignRight)
                .inCell(-1, 1 + innings + i));
    y += lineHeight(header) + 2;

    const QFont runs = body();
    const QFont emphasis = body(QFont::DemiBold);
    for (const bool home : { false, true }) {
        const int row = home ? 1 : 0;
        items.push_back(
            text(home ? m_line.homeAbbr : m_line.awayAbbr, emphasis, 0, y, style.lineAbbrColumnWidth).inCell(row, 0));
        for (int i = 0; i < innings; ++i) {
            const auto &inning = m_line.innings[std::size_t(i)];
            items.push_back(text(home ? inning.homeRuns : inning.awayRuns, runs,
                style.lineAbbrColumnWidth + i * inningWidth, y, inningWidth, false, Qt::AlignRight)
                                .inCell(row, 1 + i));
        }
        const auto &totals = home ? m_line.homeTotals : m_line.awayTotals;
        const std::pair<qint64, const QFont *> cells[]
            = { { totals.runs, &emphasis }, { totals.hits, &runs }, { totals.errors, &runs } };
        for (int i = 0; i < 3; ++i)
            items.push_back(text(QString::number(cells[i].first), *cells[i].second, totalsStart + i * totalsWidth, y,
                totalsWidth, false, Qt::AlignRight)
                                .inCell(row, 1 + innings + i));
        y += lineHeight(runs) + (home ? 0 : 2);
    }
    return y;
}

namespace {

// The six counting columns and the average column of a batting or pitching table.
void addStatCells(std::vector<BoxScoreSection::Item> &items, const BoxScoreStyle &style, const QStringList &values,
    const QFont &font, qreal top, bool secondary, int row)
{
    qreal x = style.nameColumnWidth;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const qreal width = style.statColumnWidth + (i == 6 ? style.avgColumnExtra : 0);
        if (!values[i].isEmpty())
            items.push_back(BoxScoreSection::text(values[i], font, x, top, width, secondary, Qt::AlignRight)
                                .inCell(row, 1 + int(i)));
        x += width;
    }
}

int tableWidth(const BoxScoreStyle &style)
{
    return style.nameColumnWidth + 7 * style.statColumnWidth + style.avgColumnExtra;
}

} // namespace

qreal BoxScoreSection::addTableHead(std::vector<Item> &items, const QString &title, const QString &nameCaption,
    const QStringList &statCaptions, qreal width) const
{
    const BoxScoreStyle &style = boxScoreStyle();
    qreal y = addTitle(items, title, width) + tableSpacing;
    items.push_back(divider(y, width));
    y += 1 + tableSpacing;
    const QFont header = caption();
    items.push_back(text(nameCaption, header, 0, y, style.nameColumnWidth, true).inCell(-1, 0));
    addStatCells(items, style, statCaptions, header, y, true, -1);
    return y + lineHeight(header);
}

void BoxScoreBattingSection::setTeam(const BoxScore::TeamBox &team)
{
    if (m_team.abbr == team.abbr && m_team.battingRows == team.battingRows && m_team.battingTotals == team.battingTotals
        && m_team.eventSummaries == team.eventSummaries)
        return;
    m_team = team;
    contentChanged();
}

int BoxScoreBattingSection::minimumContentWidth() const
{
    return tableWidth(boxScoreStyle());
}

qreal BoxScoreBattingSection::layOut(qreal width, std::vector<Item> &items) const
{
    const BoxScoreStyle &style = boxScoreStyle();
    qreal y = addTableHead(items, m_team.abbr.toUpper() + u" BATTING"_s, u"BATTER"_s,
                  { u"AB"_s, u"R"_s, u"H"_s, u"RBI"_s, u"BB"_s, u"SO"_s, u"AVG"_s }, width)
        + tableSpacing;

    const QFont font = body();
    const qreal rowHeight = lineHeight(font);
    int index = 0;
    for (const auto &row : m_team.battingRows) {
        qreal x = row.indentLevel >= 1 ? substituteIndent + nameCellSpacing : 0;
        const qreal nameWidth = std::min(advance(font, row.playerName), style.nameColumnWidth - x);
        Item name = text(row.playerName, font, x, y, nameWidth).inCell(index, 0);
        name.link = playerSearchURL(row.playerFullName);
        items.push_back(std::move(name));
        x += nameWidth + nameCellSpacing;
        if (x < style.nameColumnWidth)
            items.push_back(
                text(row.roleNotation.value_or(row.positionText), font, x, y, style.nameColumnWidth - x, true)
                    .inCell(index, 0));
        addStatCells(items, style, { row.atBats, row.runs, row.hits, row.rbi, row.walks, row.strikeouts, row.avg },
            font, y, false, index);
        y += rowHeight + tableSpacing;
        ++index;
    }

    items.push_back(divider(y, width));
    y += 1 + tableSpacing;
    const QFont totals = body(QFont::DemiBold);
    const auto &sums = m_team.battingTotals;
    items.push_back(text(u"Totals"_s, totals, 0, y, style.nameColumnWidth).inCell(index, 0));
    addStatCells(items, style, { sums.atBats, sums.runs, sums.hits, sums.rbi, sums.walks, sums.strikeouts, QString() },
        totals, y, false, index);
    y += rowHeight;

    if (!m_team.eventSummaries.empty()) {
        y += tableSpacing + 4;
        const QFont note = caption();
        const QFont label = caption(QFont::DemiBold);
        for (std::size_t i = 0; i < m_team.eventSummaries.size(); ++i) {
            const auto &event = m_team.eventSummaries[i];
            const QString lead = event.label + u": "_s;
            items.push_back(
                paragraph(lead + event.value, note, 0, y + (i > 0 ? 2 : 0), width, true, lead.size(), label));
            y = items.back().rect.bottom();
        }
    }
    return y;
}

void BoxScorePitchingSection::setTeam(const BoxScore::TeamBox &team)
{
    if (m_team.abbr == team.abbr && m_team.pitchingRows == team.pitchingRows) return;
    m_team = team;
    contentChanged();
}

int BoxScorePitchingSection::minimumContentWidth() const
{
    return tableWidth(boxScoreStyle());
}

qreal BoxScorePitchingSection::layOut(qreal width, std::vector<Item> &items) const
{
    const BoxScoreStyle &style = boxScoreStyle();
    qreal y = addTableHead(items, m_team.abbr.toUpper() + u" PITCHING"_s, u"PITCHER"_s,
        { u"IP"_s, u"H"_s, u"R"_s, u"ER"_s, u"BB"_s, u"SO"_s, u"ERA"_s }, width);

    const QFont font = body();
    int index = 0;
    for (const auto &row : m_team.pitchingRows) {
        y += tableSpacing;
        const qreal nameWidth = std::min(advance(font, row.playerName), qreal(style.nameColumnWidth));
        Item name = text(row.playerName, font, 0, y, nameWidth).inCell(index, 0);
        name.link = playerSearchURL(row.playerFullName);
        items.push_back(std::move(name));
        // The tag brings its own leading space.
        if (row.decisionTag && nameWidth < style.nameColumnWidth)
            items.push_back(
                text(*row.decisionTag, font, nameWidth, y, style.nameColumnWidth - nameWidth, true).inCell(index, 0));
        addStatCells(items, style,
            { row.inningsPitched, row.hits, row.runs, row.earnedRuns, row.walks, row.strikeouts, row.era }, font, y,
            false, index);
        y += lineHeight(font);
        ++index;
    }
    return y;
}

void BoxScoreScoringPlaysSection::setPlays(const std::vector<BoxScore::ScoringPlayRow> &plays)
{
    if (m_plays == plays) return;
    m_plays = plays;
    contentChanged();
}

int BoxScoreScoringPlaysSection::minimumContentWidth() const
{
    const BoxScoreStyle &style = boxScoreStyle();
    return int(style.scoringMarkerWidth + style.scoringScoreWidth + 2 * scoringSpacing) + minimumTextWidth;
}

qreal BoxScoreScoringPlaysSection::layOut(qreal width, std::vector<Item> &items) const
{
    const BoxScoreStyle &style = boxScoreStyle();
    qreal y = addTitle(items, u"SCORING PLAYS"_s, width) + 2;
    items.push_back(divider(y, width));
    y += 1;

    const QFont marker = body(QFont::DemiBold);
    const QFont font = body();
    const qreal scoreX = style.scoringMarkerWidth + scoringSpacing;
    const qreal descriptionX = scoreX + style.scoringScoreWidth + scoringSpacing;
    int index = 0;
    for (const auto &play : m_plays) {
        y += 2;
        items.push_back(text(play.inningMarker, marker, 0, y, style.scoringMarkerWidth).inCell(index, 0));
        items.push_back(text(play.scoreState, font, scoreX, y, style.scoringScoreWidth).inCell(index, 1));
        items.push_back(
            paragraph(play.description, font, descriptionX, y, width - descriptionX, false).inCell(index, 2));
        y = std::max(items.back().rect.bottom(), y + lineHeight(font));
        ++index;
    }
    return y;
}

void BoxScoreFooterSection::setFooter(const BoxScore::Footer &footer)
{
    if (m_footer == footer) return;
    m_footer = footer;
    contentChanged();
}

std::optional<QString> BoxScoreFooterSection::umpireParts(const BoxScore::Footer &footer)
{
    QStringList parts;
    const std::pair<QString, const std::optional<QString> *> umpires[] = { { u"HP: "_s, &footer.umpireHP },
        { u"1B: "_s, &footer.umpire1B }, { u"2B: "_s, &footer.umpire2B }, { u"3B: "_s, &footer.umpire3B } };
    for (const auto &[lead, name] : umpires)
        if (*name) parts << lead + **name;
    if (parts.isEmpty()) return std::nullopt;
    return parts.join(separator);
}

std::optional<QString> BoxScoreFooterSection::informationLine(const BoxScore::Footer &footer)
{
    QStringList parts;
    if (footer.weather) parts << u"Weather: "_s + *footer.weather;
    if (footer.timeOfGame) parts << u"T: "_s + *footer.timeOfGame;
    if (footer.attendance) parts << u"Att: "_s + *footer.attendance;
    if (parts.isEmpty()) return std::nullopt;
    return parts.join(separator);
}

qreal BoxScoreFooterSection::layOut(qreal width, std::vector<Item> &items) const
{
    qreal y = 6;
    items.push_back(divider(y, width));
    y += 1;
    const QFont font = caption();
    if (const auto umpires = umpireParts(m_footer)) {
        const QString lead = u"Umpires: "_s;
        items.push_back(paragraph(lead + *umpires, font, 0, y + 4, width, true, lead.size(), caption(QFont::DemiBold)));
        y = items.back().rect.bottom();
    }
    if (const auto information = informationLine(m_footer)) {
        items.push_back(paragraph(*information, font, 0, y + 4, width, true));
        y = items.back().rect.bottom();
    }
    return y;
}

BoxScoreView::BoxScoreView(const BoxScoreStyle &style, QWidget *parent)
    : QScrollArea(parent)
    , m_style(style)
    , m_openURL([](const QUrl &url) { QDesktopServices::openUrl(url); })
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The window's own background shows through.
    viewport()->setAutoFillBackground(false);

    auto *column = new QWidget;
    column->setObjectName(u"boxScoreColumn"_s);
    column->setAutoFillBackground(false);
    m_column = new QVBoxLayout(column);
    m_resultHeader = new BoxScoreResultHeader(style, column);
    m_resultHeader->setObjectName(u"resultHeader"_s);
    m_resultHeader->setAccessibleName(u"Result"_s);
    m_lineScore = new BoxScoreLineScoreSection(style, column);
    m_lineScore->setObjectName(u"lineScore"_s);
    m_lineScore->setAccessibleName(u"Line score"_s);
    m_awayBatting = new BoxScoreBattingSection(style, column);
    m_awayBatting->setObjectName(u"awayBatting"_s);
    m_homeBatting = new BoxScoreBattingSection(style, column);
    m_homeBatting->setObjectName(u"homeBatting"_s);
    m_awayPitching = new BoxScorePitchingSection(style, column);
    m_awayPitching->setObjectName(u"awayPitching"_s);
    m_homePitching = new BoxScorePitchingSection(style, column);
    m_homePitching->setObjectName(u"homePitching"_s);
    m_scoringPlays = new BoxScoreScoringPlaysSection(style, column);
    m_scoringPlays->setObjectName(u"scoringPlays"_s);
    m_scoringPlays->hide();
    m_footer = new BoxScoreFooterSection(style, column);
    m_footer->setObjectName(u"footer"_s);
    m_footer->setAccessibleName(u"Game information"_s);
    for (BoxScoreSection *section : sections()) {
        m_column->addWidget(section);
        connect(section, &BoxScoreSection::linkActivated, this, [this](const QUrl &url) {
            if (m_openURL) m_openURL(url);
        });
    }
    m_column->addStretch(1);
    setBoxScoreStyle(style);
    setWidget(column);
    column->setAutoFillBackground(false);
}

std::vector<BoxScoreSection *> BoxScoreView::sections() const
{
    return { m_resultHeader, m_lineScore, m_awayBatting, m_homeBatting, m_awayPitching, m_homePitching, m_scoringPlays,
        m_footer };
}

void BoxScoreView::setBoxScore(const BoxScore &box)
{
    if (m_box == box) return;
    m_box = box;
    m_resultHeader->setResult(box.result);
    m_lineScore->setLine(box.lineScore);
    m_awayBatting->setTeam(box.away);
    m_homeBatting->setTeam(box.home);
    m_awayPitching->setTeam(box.away);
    m_homePitching->setTeam(box.home);
    m_scoringPlays->setPlays(box.scoringPlays);
    m_scoringPlays->setVisible(!box.scoringPlays.empty());
    m_footer->setFooter(box.footer);
}

void BoxScoreView::setBoxScoreStyle(const BoxScoreStyle &style)
{
    m_style = style;
    m_column->setContentsMargins(style.outerPadding, style.outerPadding, style.outerPadding, style.outerPadding);
    m_column->setSpacing(style.sectionSpacing);
    for (BoxScoreSection *section : sections())
        section->setBoxScoreStyle(style);
}
