#pragma once

#include <QStringView>

#include <compare>

// Orders release versions segment by segment: numbers as numbers (1.10 > 1.9), missing trailing zeros ignored
// (1.2 = 1.2.0), and a letter part after the common prefix marks a pre-release (1.2b1 < 1.2 < 1.2.1).
std::strong_ordering compareVersions(QStringView a, QStringView b);
