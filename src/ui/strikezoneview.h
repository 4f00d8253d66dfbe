#pragma once

#include "boxscore/plays.h"

#include <QWidget>
#include <optional>

// A small picture of the at-bat's pitches where they crossed the plate, seen from the catcher, against the
// batter's strike zone.
class StrikeZoneView : public QWidget {
    Q_OBJECT
public:
    explicit StrikeZoneView(QWidget *parent = nullptr);

    // Shows nothing without a zone or without a placed pitch.
    void setAtBat(const std::optional<Plays::AtBat> &atBat);
    bool hasPicture() const;
    QSize sizeHint() const override;

    // The place in a picture of `size` of a point `pX` feet across from the middle of the plate and `pZ` feet up,
    // the zone's middle at the picture's.
    static QPointF place(double pX, double pZ, double zoneTop, double zoneBottom, QSizeF size);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<Plays::AtBat> m_atBat;
};
