#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <algorithm>
#include <nlohmann/json.hpp>
#include <vector>

// A live game replayed from a final recording: one state of the feed after each pitch or other event of each play,
// at the second it happened (counted from the first pitch). Plays, the current play with its events so far, the
// scoring plays, the count, outs, inning and status follow the events; the box score's player lines stay the
// final's, as in data/timeline.
class LiveGame {
public:
    struct Moment {
        qint64 second = 0;
        std::size_t play = 0;
        std::size_t event = 0;
    };

    explicit LiveGame(const QString &recording)
    {
        QFile file(recording);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            m_final = nlohmann::json::parse(bytes.begin(), bytes.end());
        }
        const QDateTime firstPitch = timeOf(m_final["gameData"]["gameInfo"]["firstPitch"]);
        const auto &plays = m_final["liveData"]["plays"]["allPlays"];
        qint64 last = 0;
        for (std::size_t play = 0; play < plays.size(); ++play) {
            const auto &events = plays[play]["playEvents"];
            for (std::size_t event = 0; event < events.size(); ++event) {
                last = std::max(last, firstPitch.secsTo(timeOf(events[event]["startTime"])));
                m_moments.push_back({ last, play, event });
            }
        }
    }

    const std::vector<Moment> &moments() const { return m_moments; }
    qint64 durationSeconds() const { return m_moments.empty() ? 0 : m_moments.back().second; }

    // The index of the latest moment at `second`.
    std::size_t momentAt(qint64 second) const
    {
        const auto next = std::upper_bound(m_moments.begin(), m_moments.end(), second,
            [](qint64 value, const Moment &moment) { return value < moment.second; });
        return next == m_moments.begin() ? 0 : std::size_t(next - m_moments.begin() - 1);
    }

    // The feed at a moment, stamped with its time code.
    nlohmann::json feedAt(std::size_t index) const
    {
        const Moment &moment = m_moments.at(index);
        if (index + 1 == m_moments.size()) return stamped(m_final, moment);
        nlohmann::json feed = m_final;
        auto &plays = feed["liveData"]["plays"];
        auto &all = plays["allPlays"];
        all.erase(all.begin() + std::ptrdiff_t(moment.play) + 1, all.end());
        auto &play = all[moment.play];
        auto &events = play["playEvents"];
        const bool complete = moment.event + 1 == events.size();
        events.erase(events.begin() + std::ptrdiff_t(moment.event) + 1, events.end());
        play["about"]["isComplete"] = complete;
        if (!complete) play.erase("result");
        plays["currentPlay"] = play;
        nlohmann::json scoring = nlohmann::json::array();
        for (const auto &scoringPlay : plays["scoringPlays"]) {
            const auto played = scoringPlay.get<std::size_t>();
            if (played < moment.play || (complete && played == moment.play)) scoring.push_back(scoringPlay);
        }
        plays["scoringPlays"] = scoring;
        auto &line = feed["liveData"]["linescore"];
        const auto &count = events[moment.event]["count"];
        for (const char *member : { "balls", "strikes", "outs" })
            line[member] = count.value(member, 0);
        line["currentInning"] = play["about"]["inning"];
        line["isTopInning"] = play["about"]["isTopInning"];
        line["inningHalf"] = play["about"]["halfInning"];
        auto &status = feed["gameData"]["status"];
        status["abstractGameState"] = "Live";
        status["detailedState"] = "In Progress";
        feed["liveData"].erase("decisions");
        return stamped(std::move(feed), moment);
    }

private:
    static QDateTime timeOf(const nlohmann::json &text)
    {
        return QDateTime::fromString(QString::fromStdString(text.get<std::string>()), Qt::ISODateWithMs);
    }

    nlohmann::json stamped(nlohmann::json feed, const Moment &moment) const
    {
        const QDateTime at = timeOf(m_final["gameData"]["gameInfo"]["firstPitch"]).addSecs(moment.second);
        feed["metaData"]["timeStamp"] = at.toUTC().toString(QStringLiteral("yyyyMMdd_HHmmss")).toStdString();
        return feed;
    }

    nlohmann::json m_final;
    std::vector<Moment> m_moments;
};
