#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

// Fonts by pixel size and the few colours the views share, read from the palette so that
// light and dark themes both work.
namespace theme {

QFont font(int pixelSize, QFont::Weight weight = QFont::Normal);
// Fixed-pitch digits and letters, for abbreviations and line-score columns.
QFont monospacedFont(int pixelSize, QFont::Weight weight = QFont::Normal);

QColor primary(const QPalette &palette);
QColor secondary(const QPalette &palette);
QColor accent(const QPalette &palette, qreal opacity = 1.0);
// A green and a red that stay readable on light and on dark window colours.
QColor green(const QPalette &palette);
QColor red(const QPalette &palette);
bool isDark(const QPalette &palette);

// Gives a label or button its own text colour; every other role keeps following the parent's palette.
void setTextColor(QWidget *widget, const QColor &color);

// Slim scroll bars without arrow buttons for every scroll area inside `root`, readable on light and dark palettes.
void useSlimScrollBars(QWidget *root);

} // namespace theme
