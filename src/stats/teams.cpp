#include "stats/teams.h"

#include <array>

namespace {

MLBTeam entry(qint64 id, const char16_t *name, const char16_t *abbreviation, const char16_t *teamName,
    qint64 divisionId, const char16_t *divisionName)
{
    return { id, QString::fromUtf16(name), QString::fromUtf16(abbreviation), QString::fromUtf16(teamName),
        DivisionRef { divisionId, QString::fromUtf16(divisionName) } };
}

// The order is part of the data: lookups scan from the top.
const std::array<MLBTeam, 30> &directory()
{
    static const std::array<MLBTeam, 30> teams {
        entry(109, u"Arizona Diamondbacks", u"AZ", u"D-backs", 203, u"NL West"),
        entry(144, u"Atlanta Braves", u"ATL", u"Braves", 204, u"NL East"),
        entry(110, u"Baltimore Orioles", u"BAL", u"Orioles", 201, u"AL East"),
        entry(111, u"Boston Red Sox", u"BOS", u"Red Sox", 201, u"AL East"),
        entry(112, u"Chicago Cubs", u"CHC", u"Cubs", 205, u"NL Central"),
        entry(145, u"Chicago White Sox", u"CWS", u"White Sox", 202, u"AL Central"),
        entry(113, u"Cincinnati Reds", u"CIN", u"Reds", 205, u"NL Central"),
        entry(114, u"Cleveland Guardians", u"CLE", u"Guardians", 202, u"AL Central"),
        entry(115, u"Colorado Rockies", u"COL", u"Rockies", 203, u"NL West"),
        entry(116, u"Detroit Tigers", u"DET", u"Tigers", 202, u"AL Central"),
        entry(117, u"Houston Astros", u"HOU", u"Astros", 200, u"AL West"),
        entry(118, u"Kansas City Royals", u"KC", u"Royals", 202, u"AL Central"),
        entry(108, u"Los Angeles Angels", u"LAA", u"Angels", 200, u"AL West"),
        entry(119, u"Los Angeles Dodgers", u"LAD", u"Dodgers", 203, u"NL West"),
        entry(146, u"Miami Marlins", u"MIA", u"Marlins", 204, u"NL East"),
        entry(158, u"Milwaukee Brewers", u"MIL", u"Brewers", 205, u"NL Central"),
        entry(142, u"Minnesota Twins", u"MIN", u"Twins", 202, u"AL Central"),
        entry(121, u"New York Mets", u"NYM", u"Mets", 204, u"NL East"),
        entry(147, u"New York Yankees", u"NYY", u"Yankees", 201, u"AL East"),
        entry(133, u"Athletics", u"ATH", u"Athletics", 200, u"AL West"),
        entry(143, u"Philadelphia Phillies", u"PHI", u"Phillies", 204, u"NL East"),
        entry(134, u"Pittsburgh Pirates", u"PIT", u"Pirates", 205, u"NL Central"),
        entry(135, u"San Diego Padres", u"SD", u"Padres", 203, u"NL West"),
        entry(136, u"Seattle Mariners", u"SEA", u"Mariners", 200, u"AL West"),
        entry(137, u"San Francisco Giants", u"SF", u"Giants", 203, u"NL West"),
        entry(138, u"St. Louis Cardinals", u"STL", u"Cardinals", 205, u"NL Central"),
        entry(139, u"Tampa Bay Rays", u"TB", u"Rays", 201, u"AL East"),
        entry(140, u"Texas Rangers", u"TEX", u"Rangers", 200, u"AL West"),
        entry(141, u"Toronto Blue Jays", u"TOR", u"Blue Jays", 201, u"AL East"),
        entry(120, u"Washington Nationals", u"WSH", u"Nationals", 204, u"NL East"),
    };
    return teams;
}

} // namespace

std::span<const MLBTeam> MLBTeam::all()
{
    return directory();
}

std::optional<MLBTeam> MLBTeam::team(qint64 id)
{
    for (const MLBTeam &team : directory()) {
        if (team.id == id) return team;
    }
    return std::nullopt;
}

QString MLBTeam::label(qint64 id)
{
    const auto team = MLBTeam::team(id);
    return team ? team->abbreviation : QStringLiteral("MLB");
}
