#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

// Plain stand-ins for club and league logos, since no real logo is stored with the project.
namespace standins {

// A roundel in a colour of its own per club, with the abbreviation and a transparent margin for the cache to crop.
inline QByteArray clubLogoPng(const QString &abbreviation, qint64 teamId)
{
    QImage image(120, 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor::fromHsv(int((teamId * 37) % 360), 150, 170));
    painter.setPen(QPen(Qt::white, 4));
    painter.drawEllipse(QRectF(12, 12, 96, 96));
    QFont font;
    font.setPixelSize(34);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(12, 12, 96, 96), Qt::AlignCenter, abbreviation);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The two leagues' marks: a slate disc with "AL" (103) or "NL" (104).
inline QByteArray leagueLogoSvg(qint64 leagueId)
{
    const QByteArray letters = leagueId == 103 ? "AL" : "NL";
    return QByteArray(R"(<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64">)")
        + R"(<circle cx="32" cy="32" r="28" fill="#5a6b86"/><text x="32" y="41" font-size="24" font-family="sans-serif" )"
        + R"(font-weight="bold" text-anchor="middle" fill="white">)" + letters + "</text></svg>\n";
}

// The file name the club logo host uses: the abbreviation in lower case, Arizona under its older one.
inline QString clubLogoFileName(const QString &abbreviation)
{
    const QString name = abbreviation.toLower();
    return name == QStringLiteral("az") ? QStringLiteral("ari") : name;
}

} // namespace standins
