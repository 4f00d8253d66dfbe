#pragma once

#include <QHashFunctions>
#include <QString>
#include <optional>
#include <span>

// A division as the team directory and the standings answer name it.
struct DivisionRef {
    qint64 id = 0;
    std::optional<QString> name;

    friend bool operator==(const DivisionRef &, const DivisionRef &) = default;
};

// One of the 30 clubs, from the directory compiled into the program.
struct MLBTeam {
    qint64 id = 0;
    QString name;
    QString abbreviation;
    QString teamName;
    DivisionRef division;

    friend bool operator==(const MLBTeam &a, const MLBTeam &b) { return a.id == b.id; }

    // The directory in its fixed order.
    static std::span<const MLBTeam> all();
    // The first entry with this id, scanning from the top.
    static std::optional<MLBTeam> team(qint64 id);
    // The abbreviation shown for a club id; "MLB" for a club the directory lacks.
    static QString label(qint64 id);
};

inline size_t qHash(const MLBTeam &team, size_t seed = 0)
{
    return ::qHash(team.id, seed);
}
