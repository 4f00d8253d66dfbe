#include "replay/replayserver.h"
#include "settle.h"
#include "stats/mlbapiservice.h"
#include "testdata.h"

#include <QCoroTask>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString schedulePath = u"/api/v1/schedule"_s;
const QString hydration = u"&hydrate=broadcasts(all),probablePitcher,linescore"_s;

// Runs the request to completion; the error, if any, comes back instead of the result.
template <class Result> std::variant<Result, ServiceError> run(QCoro::Task<Result> task)
{
    return QCoro::waitFor(settle(std::move(task)));
}

} // namespace

// The stats client against the local replay server: URLs, reductions and every kind of failure.
class TestMLBAPIService : public QObject {
    Q_OBJECT

    std::unique_ptr<ReplayServer> m_server;
    std::unique_ptr<MLBAPIService> m_service;

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<ReplayServer>();
        QVERIFY(m_server->listen());
        m_service = std::make_unique<MLBAPIService>(Endpoints::overriddenBy(m_server->baseUrl()), nullptr, 500ms);
    }

    void cleanup()
    {
        m_service.reset();
        m_server.reset();
    }

    void endpoints()
    {
        QCOMPARE(Endpoints::overriddenBy(u"http://127.0.0.1:8080/"_s).statsBaseURL, u"http://127.0.0.1:8080/api/v1"_s);
        QCOMPARE(
            Endpoints::overriddenBy(u"http://127.0.0.1:8080"_s).liveFeedBaseURL, u"http://127.0.0.1:8080/api/v1.1"_s);
        QCOMPARE(Endpoints::overriddenBy(u"ftp://example.org"_s).statsBaseURL, Endpoints::production().statsBaseURL);
        QCOMPARE(Endpoints::overriddenBy(u"localhost:8080/x?y"_s).statsBaseURL, Endpoints::production().statsBaseURL);
    }

    // One day is asked for by its date, a stretch by its ends; the games come back under the day they are filed
    // under, and a day without an entry has none.
    void scheduleOfADayOrAStretch()
    {
        m_server->addRoute({ .path = schedulePath,
            .files = { QStringLiteral(BASELARK_TEST_DATA "/schedule-2022-04-07-postponed.json") } });
        const QDate day(2022, 4, 7);
        auto result = run(m_service->fetchSchedule(day, day));
        const auto &days = std::get<ScheduleDays>(result);
        QCOMPARE(days.size(), 1u);
        const auto &games = days.at(day);
        QCOMPARE(games.size(), 9u);
        QCOMPARE(games.front().gamePk, 663178);
        QCOMPARE(games.back().gamePk, 661750);

        result = run(m_service->fetchSchedule(day.addDays(-1), day));
        QCOMPARE(std::get<ScheduleDays>(result).size(), 1u);
        QCOMPARE(m_server->requestLog(),
            (QStringList { schedulePath + u"?sportId=1&date=2022-04-07"_s + hydration,
                schedulePath + u"?sportId=1&startDate=2022-04-06&endDate=2022-04-07"_s + hydration }));
    }

    void teamScheduleOverFourteenDays()
    {
        m_server->addRoute({ .path = schedulePath,
            .files = { QStringLiteral(BASELARK_TEST_DATA "/schedule-team134-season2025.json") } });
        const auto result = run(m_service->fetchTeamSchedule(134, QDate(2025, 3, 1), QDate(2025, 3, 15)));
        QCOMPARE(m_server->requestLog(),
            QStringList {
                schedulePath + u"?sportId=1&teamId=134&startDate=2025-03-01&endDate=2025-03-15"_s + hydration });
        const auto &games = std::get<std::vector<Game>>(result);
        QCOMPARE(games.size(), 194u); // every day of the answer, in order
        QCOMPARE(games.front().gamePk, 779135);
        QCOMPARE(games.back().gamePk, 776149);
    }

    void gameDetailFromTheLiveFeed()
    {
        const QString feedPath = u"/api/v1.1/game/633860/feed/live"_s;
        m_server->addRoute(
            { .path = feedPath, .files = { QStringLiteral(BASELARK_TEST_DATA "/feed-live-inprogress-633860.json") } });
        const auto result = run(m_service->fetchGameDetail(633860));
        QCOMPARE(m_server->requestLog(), QStringList { feedPath });
        QCOMPARE(std::get<GameDetail>(result).venueName, u"Coors Field"_s);
    }

    void standingsOfASeason()
    {
        const QString standingsPath = u"/api/v1/standings"_s;
        const QString query = u"?leagueId=103,104&season=2024&standingsTypes=regularSeason"_s;
        m_server->addRoute({ .path = standingsPath,
            .params = { { u"season"_s, u"2024"_s } },
            .files = { QStringLiteral(BASELARK_TEST_DATA "/standings-2024.json") } });
        const auto result = run(m_service->fetchStandings(2024));
        QCOMPARE(m_server->requestLog(), QStringList { standingsPath + query });
        // Every division, in the service's order.
        std::vector<qint64> divisions;
        for (const StandingsRecord &record : std::get<std::vector<StandingsRecord>>(result))
            divisions.push_back(record.division.id);
        QCOMPARE(divisions, (std::vector<qint64> { 201, 202, 200, 204, 205, 203 }));
    }

    void failures_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("routed");
        QTest::addColumn<ServiceError::Kind>("kind");
        // Empty: any description that is not empty.
        QTest::addColumn<QString>("description");
        QTest::newRow("404 with the service's JSON error")
            << int(Fault::None) << false << ServiceError::Kind::Decoding << u"The service answered 404 (Not Found)"_s;
        QTest::newRow("500 with an HTML page") << int(Fault::Html500) << true << ServiceError::Kind::Decoding
                                               << u"The service answered 500 (Internal Server Error)"_s;
        QTest::newRow("malformed JSON") << int(Fault::MalformedJson) << true << ServiceError::Kind::Decoding
                                        << u"The service sent data Baselark could not read"_s;
        QTest::newRow("truncated body") << int(Fault::Truncate) << true << ServiceError::Kind::Transfer << QString();
        QTest::newRow("connection reset") << int(Fault::Reset) << true << ServiceError::Kind::Transfer << QString();
        QTest::newRow("stalled transfer") << int(Fault::Stall) << true << ServiceError::Kind::Transfer << QString();
        QTest::newRow("huge body") << int(Fault::Huge) << true << ServiceError::Kind::Transfer << QString();
    }

    void failures()
    {
        QFETCH(int, fault);
        QFETCH(bool, routed);
        QFETCH(ServiceError::Kind, kind);
        if (routed) {
            m_server->addRoute({ .path = schedulePath,
                .files = { QStringLiteral(BASELARK_TEST_DATA "/schedule-2026-03-18-preview-probables.json") },
                .fault = Fault(fault) });
        }
        // What did not decode, and where, goes to the log.
        if (kind == ServiceError::Kind::Decoding) {
            QTest::ignoreMessage(QtWarningMsg,
                QRegularExpression(u"^could not decode the answer of http://127\\.0\\.0\\.1:\\d+/api/v1/schedule\\?"
                                   u".+ \\(status \\d+\\): (Malformed JSON|Invalid data at )"_s));
        }
        const auto result = run(m_service->fetchSchedule(QDate(2026, 4, 20), QDate(2026, 4, 20)));
        const auto *error = std::get_if<ServiceError>(&result);
        QVERIFY(error);
        QCOMPARE(error->kind(), kind);
        QVERIFY(!error->description().isEmpty());
        QFETCH(QString, description);
        if (!description.isEmpty()) QCOMPARE(error->description(), description);
    }

    void answersWithAnyErrorAreDecoded_data()
    {
        QTest::addColumn<QByteArray>("head");
        // Empty: the body decodes.
        QTest::addColumn<QString>("failure");
        QTest::newRow("407 without a proxy") << "HTTP/1.1 407 Proxy Authentication Required\r\n"_ba << QString();
        // Qt withholds the body of a redirect it stopped following; the status is what there is to tell.
        QTest::newRow("redirect loop") << "HTTP/1.1 301 Moved Permanently\r\nLocation: /api/v1/schedule\r\n"_ba
                                       << u"The service answered 301 (Moved Permanently)"_s;
    }

    void answersWithAnyErrorAreDecoded()
    {
        QFETCH(QByteArray, head);
        QFETCH(QString, failure);
        const QByteArray body = R"({"dates":[]})";
        const QByteArray answer = head + "Content-Type: application/json\r\nContent-Length: "
            + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        // Answers every request on every connection with the same canned answer.
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, &server, [&] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket, answer] {
                    if (socket->readAll().contains("\r\n\r\n")) socket->write(answer);
                });
            }
        });
        MLBAPIService service(Endpoints::overriddenBy(u"http://127.0.0.1:%1"_s.arg(server.serverPort())));
        const auto result = run(service.fetchSchedule(QDate(2026, 4, 20), QDate(2026, 4, 20)));
        const auto *error = std::get_if<ServiceError>(&result);
        QCOMPARE(error ? error->description() : QString(), failure);
    }

    void answerArrivingAfterTheServiceWent()
    {
        // The window of a reply that finished just before the service was destroyed: the answer is in hand,
        // the executor is gone.
        auto service = std::make_unique<MLBAPIService>(Endpoints::overriddenBy(m_server->baseUrl()));
        const QPointer<MLBAPIService> guard(service.get());
        service.reset();
        const auto result = run(MLBAPIService::decodeAnswer(
            guard, MLBAPIService::Answer { 200, u"OK"_s, "{}", {} }, [](const QByteArray &) { return 1; }));
        QCOMPARE(std::get<ServiceError>(result).kind(), ServiceError::Kind::Transfer);
    }

    void overlappingRequests()
    {
        m_server->addRoute({ .path = schedulePath,
            .params = { { u"date"_s, u"2022-04-07"_s } },
            .files = { QStringLiteral(BASELARK_TEST_DATA "/schedule-2022-04-07-postponed.json") },
            .delayMs = 200 });
        m_server->addRoute({ .path = schedulePath,
            .files = { QStringLiteral(BASELARK_TEST_DATA "/schedule-2026-04-20-hydrated.json") } });
        const QDate slowDay(2022, 4, 7);
        const QDate fastDay(2026, 4, 20);
        auto slow = m_service->fetchSchedule(slowDay, slowDay);
        auto fast = m_service->fetchSchedule(fastDay, fastDay);
        QCOMPARE(std::get<ScheduleDays>(run(std::move(fast))).at(fastDay).size(), 10u);
        QCOMPARE(std::get<ScheduleDays>(run(std::move(slow))).at(slowDay).size(), 9u);
    }

    void requestsInFlightFailWhenTheServiceGoes()
    {
        m_server->addRoute({ .path = schedulePath, .fault = Fault::Stall });
        auto pending = settle(m_service->fetchSchedule(QDate(2026, 4, 20), QDate(2026, 4, 20)));
        QTRY_COMPARE(m_server->requestLog().size(), 1);
        m_service.reset();
        // The waiting coroutine finishes: no frame is left behind waiting for a reply that is gone.
        QTRY_VERIFY(pending.isReady());
        QCOMPARE(std::get<ServiceError>(QCoro::waitFor(std::move(pending))).kind(), ServiceError::Kind::Transfer);
    }
};

QTEST_GUILESS_MAIN(TestMLBAPIService)
#include "tst_mlbapiservice.moc"
