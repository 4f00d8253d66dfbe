#include "ui/strikezoneview.h"

#include "ui/accessibility.h"
#include "ui/theme.h"

#include <QPainter>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Half the plate's 17 inches, in feet.
constexpr double halfPlateWidth = 17.0 / 24.0;
constexpr QSize pictureSize(64, 76);
constexpr qreal dotDiameter = 11;
constexpr double pictureFeet = 3.0;

} // namespace

StrikeZoneView::StrikeZoneView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(u"strikeZone"_s);
    setAccessibleName(u"Strike zone"_s);
    accessibility::setRole(this, QAccessible::Graphic);
    setFixedSize(pictureSize);
}

void StrikeZoneView::setAtBat(const std::optional<Plays::AtBat> &atBat)
{
    m_atBat = atBat;
    setVisible(hasPicture());
    // Said where the picture cannot be seen: how many pitches it places, the lines beside it tell which. Set
    // only on a change, since every setting is an event for assistive technology.
    const auto placed = !m_atBat
        ? 0
        : std::count_if(m_atBat->events.begin(), m_atBat->events.end(),
            [](const Plays::AtBatEvent &event) { return event.pitchNumber && event.pX && event.pZ; });
    const QString description = placed == 1 ? u"1 pitch placed"_s : u"%1 pitches placed"_s.arg(placed);
    if (description != accessibleDescription()) setAccessibleDescription(description);
    update();
}

bool StrikeZoneView::hasPicture() const
{
    if (!m_atBat || !m_atBat->strikeZoneTop || !m_atBat->strikeZoneBottom) return false;
    return std::any_of(m_atBat->events.begin(), m_atBat->events.end(),
        [](const Plays::AtBatEvent &event) { return event.pitchNumber && event.pX && event.pZ; });
}

QSize StrikeZoneView::sizeHint() const
{
    return pictureSize;
}

QPointF StrikeZoneView::place(double pX, double pZ, double zoneTop, double zoneBottom, QSizeF size)
{
    // One scale both ways, so that the zone keeps its shape: the picture is three feet across.
    const double scale = size.width() / pictureFeet;
    const double middle = (zoneTop + zoneBottom) / 2;
    // Seen from the catcher, as the feed's pX is.
    return { size.width() / 2 + pX * scale, size.height() / 2 - (pZ - middle) * scale };
}

void StrikeZoneView::paintEvent(QPaintEvent *)
{
    if (!hasPicture()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSizeF area = size();
    const double top = *m_atBat->strikeZoneTop;
    const double bottom = *m_atBat->strikeZoneBottom;
    const QRectF zone(place(-halfPlateWidth, top, top, bottom, area), place(halfPlateWidth, bottom, top, bottom, area));
    painter.setPen(QPen(theme::secondary(palette()), 1));
    painter.setBrush(theme::accent(palette(), 0.06));
    painter.drawRect(zone);

    painter.setFont(theme::font(7, QFont::DemiBold));
    for (const Plays::AtBatEvent &event : m_atBat->events) {
        if (!event.pitchNumber || !event.pX || !event.pZ) continue;
        QPointF centre = place(*event.pX, *event.pZ, top, bottom, area);
        // A pitch far outside stays in the picture, at its edge.
        const qreal margin = dotDiameter / 2;
        centre.setX(std::clamp(centre.x(), margin, area.width() - margin));
        centre.setY(std::clamp(centre.y(), margin, area.height() - margin));
        QColor fill = theme::accent(palette(), 1.0);
        if (event.kind == Plays::AtBatEvent::Kind::Ball) fill = theme::green(palette());
        if (event.kind == Plays::AtBatEvent::Kind::Strike) fill = theme::red(palette());
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        const QRectF dot(centre.x() - margin, centre.y() - margin, dotDiameter, dotDiameter);
        painter.drawEllipse(dot);
        painter.setPen(Qt::white);
        painter.drawText(dot, Qt::AlignCenter, QString::number(*event.pitchNumber));
    }
}
