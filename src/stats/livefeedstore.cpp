#include "stats/livefeedstore.h"

#include <QCoroTimer>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTimer>
#include <QUrlQuery>
#include <coroutine>
#include <nlohmann/json.hpp>

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcLiveFeed, "baselark.livefeed")

// The kept document of one game. The document itself is touched only on the service's one-thread executor;
// everything else here only on the main thread.
struct LiveFeedStore::Entry {
    LiveFeedDocument document;
    // The document's time stamp as of the last completed update, for the next request.
    QString timeStamp;
    int follows = 0;
    // The update under way, if any.
    std::shared_ptr<Gate> gate;
};

// Opens when an update of a game completes, successfully or not; callers that came meanwhile wait on it.
struct LiveFeedStore::Gate {
    bool isOpen = false;
    bool succeeded = false;
    std::vector<std::coroutine_handle<>> waiters;

    bool await_ready() const noexcept { return isOpen; }
    void await_suspend(std::coroutine_handle<> waiter) { waiters.push_back(waiter); }
    void await_resume() const noexcept { }
};

namespace {

ServiceError wholeFeedError(const MLBAPIService::Answer &answer, const QString &problem)
{
    logDecodingFailure(answer.url, answer.status, ServiceError(ServiceError::Kind::Decoding, problem));
    if (answer.status >= 300) return errorStatusError(answer.status, answer.reasonPhrase);
    return unreadableAnswerError();
}

} // namespace

LiveFeedStore::LiveFeedStore(MLBAPIService *service)
    : QObject(service)
    , m_service(service)
{ }

LiveFeedStore::~LiveFeedStore() = default;

LiveFeedFollow LiveFeedStore::follow(qint64 gamePk)
{
    std::shared_ptr<Entry> &entry = m_entries[gamePk];
    if (!entry) entry = std::make_shared<Entry>();
    ++entry->follows;
    struct Claim {
        Claim(LiveFeedStore *owner, qint64 game)
            : store(owner)
            , gamePk(game)
        { }
        Claim(const Claim &) = delete;
        Claim &operator=(const Claim &) = delete;
        ~Claim()
        {
            if (store) store->release(gamePk);
        }

        QPointer<LiveFeedStore> store;
        qint64 gamePk;
    };
    return LiveFeedFollow(std::make_shared<Claim>(this, gamePk));
}

void LiveFeedStore::release(qint64 gamePk)
{
    const auto found = m_entries.find(gamePk);
    if (found == m_entries.end()) return;
    // An update under way keeps its entry to the end; the document goes with it.
    if (--found->second->follows == 0) m_entries.erase(found);
}

void LiveFeedStore::setDelay(std::chrono::seconds delay)
{
    m_delay = std::clamp(delay, std::chrono::seconds(0), longestDelay);
}

QString LiveFeedStore::delayedTimecode() const
{
    if (m_delay <= std::chrono::seconds(0)) return {};
    const QDateTime now = m_now ? m_now() : QDateTime::currentDateTimeUtc();
    return LiveFeedDocument::timecode(now.addSecs(-m_delay.count()));
}

QCoro::Task<bool> LiveFeedStore::holdUntilDue(QByteArray answer)
{
    const QString stamp = LiveFeedDocument::answerTimeStamp(answer);
    QPointer self(this);
    QElapsedTimer held;
    held.start();
    for (;;) {
        const QString due = delayedTimecode();
        if (stamp.isEmpty() || due.isEmpty() || stamp <= due) break;
        // Never longer than the delay: the newest state is due by then, whatever the two clocks say.
        const qint64 left = qint64(std::chrono::milliseconds(m_delay).count()) - held.elapsed();
        if (left <= 0) break;
        // A second at a time, so that a shorter delay set meanwhile takes effect.
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        timer.start(int(std::min<qint64>(left, 1000)));
        co_await qCoro(timer).waitForTimeout();
        if (!self) co_return false;
    }
    co_return true;
}

std::vector<qint64> LiveFeedStore::keptGames() const
{
    std::vector<qint64> games;
    for (const auto &[gamePk, entry] : m_entries)
        games.push_back(gamePk);
    return games;
}

QCoro::Task<bool> LiveFeedStore::runKept(qint64 gamePk, Reader read)
{
    QPointer self(this);
    const auto kept = m_entries.find(gamePk);
    if (kept == m_entries.end()) co_return false;
    const bool found = co_await m_service->runOnExecutor([entry = kept->second, read]() {
        if (entry->document.isEmpty()) return false;
        read(entry->document.json());
        return true;
    });
    if (!self) throw serviceGoneError();
    co_return found;
}

QCoro::Task<LiveFeedStore::Progress> LiveFeedStore::run(qint64 gamePk, Reader read, LiveFeedOptions options)
{
    QPointer self(this);
    const auto kept = m_entries.find(gamePk);
    const std::shared_ptr<Entry> entry = kept != m_entries.end() ? kept->second : std::make_shared<Entry>();

    // An update already under way serves this caller too, once its answer is in.
    while (const std::shared_ptr<Gate> gate = entry->gate) {
        co_await *gate;
        if (!self) throw serviceGoneError();
        if (!gate->succeeded) break;
        const std::optional<Progress> progress
            = co_await m_service->runOnExecutor([entry, read]() -> std::optional<Progress> {
                  if (entry->document.isEmpty()) return std::nullopt;
                  read(entry->document.json());
                  return Progress { entry->document.timeStamp(), {}, entry->document.wait(),
                      LiveFeedDocument::Outcome::Unchanged };
              });
        if (!self) throw serviceGoneError();
        if (progress) co_return *progress;
    }

    auto gate = std::make_shared<Gate>();
    entry->gate = gate;
    // Opens the gate however this update ends. Waiters resume here and only queue their reads, so none of them
    // starts another update before this one is over.
    struct Opener {
        std::shared_ptr<Entry> entry;
        std::shared_ptr<Gate> gate;
        ~Opener()
        {
            if (entry->gate == gate) entry->gate.reset();
            gate->isOpen = true;
            for (std::coroutine_handle<> waiter : std::exchange(gate->waiters, {}))
                waiter.resume();
        }
    } opener { entry, gate };

    const QString base = entry->timeStamp;
    const QString target = options.timecode.value_or(delayedTimecode());
    // A longer delay than the state kept: it stays until the game catches up.
    if (!base.isEmpty() && !target.isEmpty() && target <= base && !entry->document.isEmpty()) {
        const Progress progress = co_await m_service->runOnExecutor([entry, read]() {
            read(entry->document.json());
            return Progress { entry->document.timeStamp(), entry->document.timeStamp(), entry->document.wait(),
                LiveFeedDocument::Outcome::Unchanged };
        });
        if (!self) throw serviceGoneError();
        gate->succeeded = true;
        co_return progress;
    }
    if (!base.isEmpty()) {
        const MLBAPIService::Answer answer
            = co_await m_service->fetch(m_service->gameFeedPatchURL(gamePk, base, target));
        if (!self) throw serviceGoneError();
        if (!target.isEmpty() && !co_await holdUntilDue(answer.body)) throw serviceGoneError();
        struct Step {
            std::optional<Progress> progress;
            QString problem;
        };
        const Step step = co_await m_service->runOnExecutor([entry, base, answer, read]() -> Step {
            LiveFeedDocument &document = entry->document;
            if (answer.status >= 300) return { std::nullopt, u"the service answered %1"_s.arg(answer.status) };
            // Another update moved the document on meanwhile: this answer is for a base it no longer has.
            if (document.timeStamp() != base) {
                if (document.isEmpty()) return { std::nullopt, u"the document was dropped"_s };
                read(document.json());
                return { Progress { document.timeStamp(), base, document.wait(), LiveFeedDocument::Outcome::Unchanged },
                    {} };
            }
            QString problem;
            const LiveFeedDocument::Outcome outcome = document.apply(answer.body, &problem);
            if (outcome == LiveFeedDocument::Outcome::Rejected) return { std::nullopt, problem };
            try {
                read(document.json());
            } catch (const ServiceError &error) {
                document.clear();
                return { std::nullopt, u"the patched feed does not read: "_s + error.description() };
            }
            return { Progress { document.timeStamp(), base, document.wait(), outcome }, {} };
        });
        if (!self) throw serviceGoneError();
        if (step.progress) {
            entry->timeStamp = step.progress->timeStamp;
            gate->succeeded = true;
            co_return *step.progress;
        }
        entry->timeStamp.clear();
        qCInfo(lcLiveFeed).noquote() << u"game %1: %2 from %3; fetching the whole feed"_s.arg(gamePk).arg(
            step.problem, base);
    }

    const MLBAPIService::Answer answer = co_await m_service->fetch(m_service->gameFeedURL(gamePk, target));
    if (!self) throw serviceGoneError();
    if (!target.isEmpty() && !co_await holdUntilDue(answer.body)) throw serviceGoneError();
    struct Whole {
        Progress progress;
        std::optional<ServiceError> readError;
    };
    const Whole whole = co_await m_service->runOnExecutor([entry, answer, read]() -> Whole {
        LiveFeedDocument &document = entry->document;
        QString problem;
        if (document.replace(answer.body, &problem) == LiveFeedDocument::Outcome::Rejected)
            throw wholeFeedError(answer, problem);
        Whole whole { { document.timeStamp(), {}, document.wait(), LiveFeedDocument::Outcome::Replaced }, {} };
        try {
            read(document.json());
        } catch (const ServiceError &error) {
            // The feed is kept all the same: another caller may read what this one could not.
            whole.readError = error;
        }
        return whole;
    });
    if (!self) throw serviceGoneError();
    entry->timeStamp = whole.progress.timeStamp;
    if (whole.readError) throw *whole.readError;
    gate->succeeded = true;
    co_return whole.progress;
}
