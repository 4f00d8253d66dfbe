#include "stats/standings.h"

#include <QStringList>

#include <algorithm>
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

double winningShare(const TeamRecord &record)
{
    const qint64 games = record.leagueRecord.wins + record.leagueRecord.losses;
    return games > 0 ? double(record.leagueRecord.wins) / double(games) : 0.0;
}

std::optional<qint64> wildCardPlace(const TeamRecord &record)
{
    if (!record.wildCardRank) return std::nullopt;
    bool ok = false;
    const qint64 rank = record.wildCardRank->toLongLong(&ok);
    return ok ? std::optional(rank) : std::nullopt;
}

// A club at or above the wild-card line: the service writes its distance as "-" or "+N".
bool atOrAboveLine(const TeamRecord &record)
{
    return record.wildCardGamesBack
        && (*record.wildCardGamesBack == u"-"_s || record.wildCardGamesBack->startsWith(u'+'));
}

} // namespace

std::optional<qint64> leagueOfDivision(qint64 divisionId)
{
    if (divisionId >= 200 && divisionId <= 202) return 103;
    if (divisionId >= 203 && divisionId <= 205) return 104;
    return std::nullopt;
}

WildCardStandings wildCardStandings(const std::vector<StandingsRecord> &records, qint64 leagueId)
{
    WildCardStandings race;
    for (const StandingsRecord &division : records) {
        if (leagueOfDivision(division.division.id) != leagueId || division.teamRecords.empty()) continue;
        const auto &teams = division.teamRecords;
        auto leader = std::find_if(
            teams.begin(), teams.end(), [](const TeamRecord &r) { return r.divisionLeader.value_or(false); });
        if (leader == teams.end())
            leader = std::find_if(
                teams.begin(), teams.end(), [](const TeamRecord &r) { return r.divisionRank == u"1"_s; });
        if (leader == teams.end()) leader = teams.begin();
        for (auto it = teams.begin(); it != teams.end(); ++it)
            (it == leader ? race.leaders : race.contenders).push_back(*it);
    }
    // Leaders by record, the best first (the seeding order).
    std::ranges::stable_sort(race.leaders, std::greater<>(), winningShare);
    // Contenders in the service's wild-card order; clubs it gives no rank follow, by record.
    std::ranges::stable_sort(race.contenders, [](const TeamRecord &a, const TeamRecord &b) {
        const auto rankA = wildCardPlace(a);
        const auto rankB = wildCardPlace(b);
        if (rankA && rankB && *rankA != *rankB) return *rankA < *rankB;
        if (rankA.has_value() != rankB.has_value()) return rankA.has_value();
        return winningShare(a) > winningShare(b);
    });
    const auto holds = [](const TeamRecord &r) { return r.wildCardLeader.value_or(false); };
    race.spots = std::size_t(std::ranges::count_if(race.contenders, holds));
    // Older answers do not flag the holders; the distance to the line still tells.
    if (race.spots == 0) race.spots = std::size_t(std::ranges::count_if(race.contenders, atOrAboveLine));
    return race;
}

namespace {

const std::pair<QString, QString> clinchMeanings[] = {
    { u"x"_s, u"playoff berth"_s },
    { u"y"_s, u"division"_s },
    { u"z"_s, u"best record"_s },
    { u"w"_s, u"wild card"_s },
    { u"e"_s, u"eliminated"_s },
};

} // namespace

QString clinchLegend(const QStringList &marks)
{
    QStringList parts;
    for (const auto &[mark, meaning] : clinchMeanings) {
        if (marks.contains(mark)) parts.append(mark + u' ' + meaning);
    }
    if (parts.isEmpty()) return {};
    return u"Clinched: "_s + parts.join(u" \u00b7 "_s);
}

QString clinchMeaning(const QString &mark)
{
    for (const auto &[known, meaning] : clinchMeanings) {
        if (known == mark) return meaning;
    }
    return {};
}

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
