#include "stats/standings.h"

#include <cctype>
#include <cstdlib>
#include <locale.h>

using namespace Qt::StringLiterals;

namespace {

// The whole text as a number in the C locale's syntax, whatever the user's locale says.
std::optional<double> parseCNumber(const QString &text)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty() || !cLocale) return std::nullopt;
    char *end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, cLocale);
    // strtod skips leading blanks, which do not count as a number here.
    if (end != bytes.constData() + bytes.size() || isspace_l(static_cast<unsigned char>(bytes.front()), cLocale))
        return std::nullopt;
    return value;
}

} // namespace

QString TeamRecord::lastTenText() const
{
    if (!records) return u"TBD"_s;
    for (const SplitRecord &split : records->splitRecords) {
        if (split.type == u"lastTen"_s) return QString::number(split.wins) + u'-' + QString::number(split.losses);
    }
    return u"TBD"_s;
}

QString TeamRecord::pctText() const
{
    const QString trimmed = leagueRecord.pct.trimmed();
    const std::optional<double> value = parseCNumber(trimmed);
    if (!value) return trimmed.isEmpty() ? u"-"_s : trimmed;
    QString text = QString::number(*value, 'f', 3);
    // The service writes percentages without the leading zero, as baseball does.
    if (text.startsWith(u"0."_s)) text.remove(0, 1);
    return text;
}

QString divisionDisplayName(qint64 divisionId)
{
    switch (divisionId) {
    case 200:
        return u"AL West"_s;
    case 201:
        return u"AL East"_s;
    case 202:
        return u"AL Central"_s;
    case 203:
        return u"NL West"_s;
    case 204:
        return u"NL East"_s;
    case 205:
        return u"NL Central"_s;
    default:
        return u"Division "_s + QString::number(divisionId);
    }
}
