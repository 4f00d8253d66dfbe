#include "ui/theme.h"

#include <QFontDatabase>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace theme {

QFont font(int pixelSize, QFont::Weight weight)
{
    QFont result = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    result.setPixelSize(pixelSize);
    result.setWeight(weight);
    return result;
}

QFont monospacedFont(int pixelSize, QFont::Weight weight)
{
    QFont result = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    result.setPixelSize(pixelSize);
    result.setWeight(weight);
    return result;
}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor primary(const QPalette &palette)
{
    return palette.color(QPalette::WindowText);
}

QColor secondary(const QPalette &palette)
{
    // Placeholder text is often too faint for reading; text at reduced strength reads on both themes.
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.62f);
    return color;
}

QColor accent(const QPalette &palette, qreal opacity)
{
    QColor color = palette.color(QPalette::Highlight);
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

QColor green(const QPalette &palette)
{
    return isDark(palette) ? QColor(0x4c, 0xd9, 0x64) : QColor(0x1e, 0x8e, 0x3e);
}

QColor red(const QPalette &palette)
{
    return isDark(palette) ? QColor(0xff, 0x6b, 0x5f) : QColor(0xc5, 0x22, 0x1f);
}

void setTextColor(QWidget *widget, const QColor &color)
{
    // A fresh palette marks only the roles set here, so the rest still resolve from the parent.
    QPalette palette;
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

void useSlimScrollBars(QWidget *root)
{
    // A grey at half strength reads on both palettes; the style sheet touches scroll bars only.
    root->setStyleSheet(uR"(
        QScrollBar:vertical { width: 10px; margin: 0; background: transparent; border: none; }
        QScrollBar::handle:vertical { min-height: 24px; margin: 2px; border-radius: 3px;
            background: rgba(128, 128, 128, 0.55); }
        QScrollBar::handle:vertical:hover { background: rgba(128, 128, 128, 0.8); }
        QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none; background: none; }
        QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }
    )"_s);
}

} // namespace theme
