#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QRect>

#include <array>

// The status item's symbol: a white baseball with red stitches, with the blue update dot while an update is pending.

// The square sizes painted for hosts and tray icons to choose from; the large ones serve panels on screens scaled
// up to 3x, where a smaller picture would be blown up and blurred.
inline constexpr std::array<int, 7> baseballIconSizes { 16, 22, 24, 32, 48, 64, 96 };

QColor updateDotColor();

// Where the update dot sits in an icon of the given size: the bottom-right corner, after the ball.
QRect updateDotRect(int size);

QImage paintBaseballIcon(int size, bool updatePending);

// Every size of baseballIconSizes in one icon.
QIcon baseballIcon(bool updatePending);
