#pragma once

#include "stats/livefeeddocument.h"
#include "stats/livefeedfollow.h"
#include "stats/mlbapiservice.h"

#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <type_traits>
#include <vector>

struct LiveFeedOptions {
    // The state at this time code (yyyyMMdd_HHmmss, UTC) instead of the newest one: `timecode` of the whole feed,
    // `endTimecode` of a diffPatch.
    std::optional<QString> timecode;
};

// What one update gave a caller.
template <class T> struct LiveFeedUpdate {
    // What the caller's read made of the document.
    T value;
    // metaData.timeStamp of the state read; empty when the feed has none.
    QString timeStamp;
    // The time stamp a diffPatch started from; empty when the feed was fetched whole.
    QString previousTimeStamp;
    // metaData.wait, within 5 to 60 s.
    std::optional<std::chrono::seconds> wait;
    // Unchanged also when another caller's update, under way at the time, served this one.
    LiveFeedDocument::Outcome outcome = LiveFeedDocument::Outcome::Unchanged;
};

// The live feeds of the games that views follow, one document per game brought up to date by diffPatch answers.
// Every caller's update of a game shares that game's document, and one request serves all callers waiting at once.
class LiveFeedStore : public QObject {
    Q_OBJECT
public:
    explicit LiveFeedStore(MLBAPIService *service);
    ~LiveFeedStore() override;

    using Clock = std::function<QDateTime()>;
    // The longest stream delay offered.
    static constexpr std::chrono::seconds longestDelay { 300 };

    LiveFeedFollow follow(qint64 gamePk);
    // With a delay, every update brings the documents to the state of that long ago, asked of the service by time
    // code; an answer newer than asked (a service that ignores time codes) is held until its time, at most the delay.
    // A longer delay holds the state kept until the game catches up; a shorter one moves on at the next update.
    void setDelay(std::chrono::seconds delay);
    std::chrono::seconds delay() const { return m_delay; }
    // The clock of the delay; empty means the system's.
    void setClock(Clock now) { m_now = std::move(now); }
    // The time code of the state an update asks for now: empty without a delay.
    QString delayedTimecode() const;
    // The games whose document is kept, ascending.
    std::vector<qint64> keptGames() const;

    // Brings the game's document up to date, a whole feed the first time (and whenever a patch does not apply),
    // then reads it with `read` on the service's executor, in the same step. A game nobody follows is fetched whole
    // and forgotten afterwards. Throws ServiceError; a read that throws ServiceError after a patch is taken as a
    // bad patch, so the feed is fetched whole and read once more.
    template <class Read>
    auto update(qint64 gamePk, Read read, LiveFeedOptions options = {})
        -> QCoro::Task<LiveFeedUpdate<std::invoke_result_t<Read, const nlohmann::ordered_json &>>>;

    // Reads the game's kept document as it is, on the service's executor, without a request; no value when no
    // document is kept. Throws ServiceError of the read.
    template <class Read>
    auto readKept(qint64 gamePk, Read read)
        -> QCoro::Task<std::optional<std::invoke_result_t<Read, const nlohmann::ordered_json &>>>;

Q_SIGNALS:
    // An update replaced or patched the game's document: whoever reads it with readKept() may find news.
    void documentChanged(qint64 gamePk);

private:
    struct Entry;
    struct Gate;
    struct Progress {
        QString timeStamp;
        QString previousTimeStamp;
        std::optional<std::chrono::seconds> wait;
        LiveFeedDocument::Outcome outcome = LiveFeedDocument::Outcome::Unchanged;
    };
    using Reader = std::function<void(const nlohmann::ordered_json &)>;

    QCoro::Task<Progress> run(qint64 gamePk, Reader read, LiveFeedOptions options);
    // Waits while `answer` leads to a state newer than the delay lets through; false when the store went meanwhile.
    QCoro::Task<bool> holdUntilDue(QByteArray answer);
    // True when a document was kept and read.
    QCoro::Task<bool> runKept(qint64 gamePk, Reader read);
    void release(qint64 gamePk);

    MLBAPIService *m_service;
    std::chrono::seconds m_delay { 0 };
    Clock m_now;
    std::map<qint64, std::shared_ptr<Entry>> m_entries;
};

template <class Read>
auto LiveFeedStore::update(qint64 gamePk, Read read, LiveFeedOptions options)
    -> QCoro::Task<LiveFeedUpdate<std::invoke_result_t<Read, const nlohmann::ordered_json &>>>
{
    using Value = std::invoke_result_t<Read, const nlohmann::ordered_json &>;
    // Filled on the executor; read here only after the step that filled it has completed.
    auto slot = std::make_shared<std::optional<Value>>();
    const Progress progress = co_await run(
        gamePk, [slot, read = std::move(read)](const nlohmann::ordered_json &document) { *slot = read(document); },
        std::move(options));
    if (progress.outcome == LiveFeedDocument::Outcome::Replaced
        || progress.outcome == LiveFeedDocument::Outcome::Patched)
        Q_EMIT documentChanged(gamePk);
    co_return LiveFeedUpdate<Value> { std::move(**slot), progress.timeStamp, progress.previousTimeStamp, progress.wait,
        progress.outcome };
}

template <class Read>
auto LiveFeedStore::readKept(qint64 gamePk, Read read)
    -> QCoro::Task<std::optional<std::invoke_result_t<Read, const nlohmann::ordered_json &>>>
{
    using Value = std::invoke_result_t<Read, const nlohmann::ordered_json &>;
    auto slot = std::make_shared<std::optional<Value>>();
    co_await runKept(
        gamePk, [slot, read = std::move(read)](const nlohmann::ordered_json &document) { *slot = read(document); });
    co_return std::move(*slot);
}
