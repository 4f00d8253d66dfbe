#include "boxscore/boxscoreviewmodel.h"

#include "stats/livefeedstore.h"
#include "stats/mlbapiservice.h"
#include "stats/serviceerror.h"

#include <QPointer>
#include <utility>

using namespace Qt::StringLiterals;

// One run of the polling loop. Stopping marks it cancelled and wakes its sleep; the loop and its
// fetch check the mark after every wait, since a QCoro task cannot be cancelled from outside.
struct BoxScoreViewModel::PollingRun {
    bool cancelled = false;
    std::shared_ptr<BoxScoreSleep> sleep;
};

namespace {

bool isFinalState(const std::optional<QString> &abstractGameState)
{
    return abstractGameState && abstractGameState->toLower() == u"final"_s;
}

QCoro::Task<BoxScoreFetchResult> fetchFromSharedService(qint64 gamePk)
{
    return fetchBoxScore(MLBAPIService::shared(), gamePk);
}

LiveFeedFollow followOnSharedService(qint64 gamePk)
{
    return MLBAPIService::shared().liveFeeds().follow(gamePk);
}

} // namespace

BoxScoreViewModel::BoxScoreViewModel(QObject *parent)
    : BoxScoreViewModel(FetchBoxScore(), nullptr, parent, FollowGame(followOnSharedService))
{ }

BoxScoreViewModel::BoxScoreViewModel(
    FetchBoxScore fetch, std::shared_ptr<BoxScoreClock> clock, QObject *parent, FollowGame follow)
    : QObject(parent)
    , m_fetch(fetch ? std::move(fetch) : FetchBoxScore(fetchFromSharedService))
    , m_clock(clock ? std::move(clock) : std::make_shared<SystemBoxScoreClock>())
    , m_follow(std::move(follow))
{ }

BoxScoreViewModel::~BoxScoreViewModel()
{
    // The loop ends here and now, not from the event loop: at quit there is no further pass, and a loop left
    // asleep would keep its frame for good. A loop inside a fetch ends when the fetch does, on its cancelled run.
    const std::shared_ptr<PollingRun> run = std::exchange(m_pollingTask, nullptr);
    if (!run) return;
    run->cancelled = true;
    if (run->sleep) run->sleep->cancelNow();
}

void BoxScoreViewModel::setGamePk(std::optional<qint64> gamePk)
{
    if (gamePk == m_gamePk) return;
    m_gamePk = gamePk;
    m_boxScore.reset();
    m_errorMessage.reset();
    m_lastAtBatIndex.reset();
    m_lastAllPlaysCount.reset();
    m_lastAbstractGameState.reset();
    m_lastWait.reset();
    m_finalDrainStartedAt.reset();
    stopPolling();
    Q_EMIT changed();
    if (m_gamePk) startPolling();
}

void BoxScoreViewModel::startPolling()
{
    if (!m_gamePk) return;
    // A loop whose handle were dropped could never be stopped again, so a running one ends first.
    stopPolling();
    // Stored before the loop starts: its first fetch may already finish the final drain and stop it.
    auto run = std::make_shared<PollingRun>();
    m_pollingTask = run;
    if (m_follow) m_following = m_follow(*m_gamePk);
    // The loop owns itself; the run is how it is stopped.
    auto task = pollingLoop(*m_gamePk, std::move(run));
    Q_UNUSED(task);
}

void BoxScoreViewModel::stopPolling()
{
    m_following = LiveFeedFollow();
    const std::shared_ptr<PollingRun> run = std::exchange(m_pollingTask, nullptr);
    if (!run) return;
    run->cancelled = true;
    if (run->sleep) run->sleep->cancel();
}

QCoro::Task<> BoxScoreViewModel::pollingLoop(qint64 gamePk, std::shared_ptr<PollingRun> run)
{
    QPointer self(this);
    for (;;) {
        co_await refreshFor(gamePk, run);
        if (run->cancelled || !self) co_return;
        const auto interval = m_lastWait.value_or(isFinalState(m_lastAbstractGameState) ? finalInterval : liveInterval);
        // The wait is measured from the end of the fetch, not from its start.
        const std::shared_ptr<BoxScoreSleep> sleep = m_clock->sleepUntil(m_clock->now() + interval);
        run->sleep = sleep;
        const bool expired = co_await *sleep;
        if (!expired || run->cancelled || !self) co_return;
        run->sleep.reset();
    }
}

QCoro::Task<> BoxScoreViewModel::refresh(qint64 gamePk)
{
    return refreshFor(gamePk, nullptr);
}

QCoro::Task<> BoxScoreViewModel::refreshFor(qint64 gamePk, std::shared_ptr<PollingRun> run)
{
    if (m_gamePk != gamePk) co_return;
    QPointer self(this);
    std::optional<BoxScoreFetchResult> result;
    std::optional<QString> failure;
    try {
        result = co_await m_fetch(gamePk);
    } catch (const ServiceError &error) {
        // The service has no feed for a game until shortly before it starts.
        failure = error.httpStatus() == 404 ? u"Box score not available yet"_s : error.description();
    } catch (const std::exception &error) {
        failure = QString::fromUtf8(error.what());
    }
    // Cancellation is silent, and an answer for a game no longer followed is dropped, failure or not.
    if ((run && run->cancelled) || !self || m_gamePk != gamePk) co_return;
    if (failure) {
        m_errorMessage = u"Couldn't refresh: "_s + *failure;
        Q_EMIT changed();
        co_return;
    }
    evaluate(std::move(*result));
}

void BoxScoreViewModel::evaluate(BoxScoreFetchResult result)
{
    // The pace follows every answer, changed or not.
    m_lastWait = result.wait;
    const bool sameState = result.abstractGameState == m_lastAbstractGameState;
    const bool atBatMoved = result.currentAtBatIndex && result.currentAtBatIndex != m_lastAtBatIndex;
    const bool samePlayCount = !result.allPlaysCount || result.allPlaysCount == m_lastAllPlaysCount;
    // The footer facts (attendance, time of game) arrive after the last play, when no marker moves any more;
    // without this the final drain could never see them.
    const bool sameFooter = m_boxScore && m_boxScore->footer == result.boxScore.footer;
    const bool unchanged = m_boxScore && sameState && !atBatMoved && samePlayCount && sameFooter;
    const bool isFinal = isFinalState(result.abstractGameState);

    if (!unchanged) {
        m_boxScore = std::move(result.boxScore);
        m_lastAtBatIndex = result.currentAtBatIndex;
        m_lastAllPlaysCount = result.allPlaysCount;
        m_lastAbstractGameState = result.abstractGameState;
        m_errorMessage.reset();
        if (!sameState && isFinal) m_finalDrainStartedAt = m_clock->wallNow();
        Q_EMIT changed();
    }

    if (!isFinal) return;
    if (isFinalFooterComplete()) {
        stopPolling();
    } else if (m_finalDrainStartedAt
        && m_finalDrainStartedAt->msecsTo(m_clock->wallNow())
            >= std::chrono::duration_cast<std::chrono::milliseconds>(finalDrainLimit).count()) {
        stopPolling();
    }
}

bool BoxScoreViewModel::isFinalFooterComplete() const
{
    if (!m_boxScore) return false;
    const BoxScore::Footer &footer = m_boxScore->footer;
    return footer.umpireHP && footer.weather && footer.timeOfGame && footer.attendance;
}
