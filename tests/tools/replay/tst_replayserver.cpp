#include "replay/replayserver.h"
#include "stats/livefeeddocument.h"
#include "testdata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <nlohmann/json.hpp>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Result {
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray contentType;
    QByteArray body;
};

// Sends the request target as written: QUrl leaves encoded and unencoded delimiters alone.
std::unique_ptr<QNetworkReply> startGet(
    QNetworkAccessManager &network, const ReplayServer &server, const QByteArray &target, int timeoutMs = 20000)
{
    QNetworkRequest request(QUrl::fromEncoded(server.baseUrl().toUtf8() + target, QUrl::StrictMode));
    request.setTransferTimeout(timeoutMs);
    return std::unique_ptr<QNetworkReply>(network.get(request));
}

Result finish(QNetworkReply &reply)
{
    QSignalSpy finished(&reply, &QNetworkReply::finished);
    if (!reply.isFinished()) finished.wait(30000);
    return { reply.error(), reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
        reply.rawHeader("Content-Type"), reply.isOpen() ? reply.readAll() : QByteArray() };
}

// Writes raw bytes and collects everything the server sends until it closes the connection.
QByteArray exchange(quint16 port, const QByteArray &bytes, bool *closed)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000)) return {};
    QSignalSpy disconnected(&socket, &QTcpSocket::disconnected);
    socket.write(bytes);
    *closed = disconnected.wait(10000);
    return socket.readAll();
}

} // namespace

class TestReplayServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void servesFiles_data();
    void servesFiles();
    void matchesQuery_data();
    void matchesQuery();
    void answersFilesInTurn();
    void followsTimeline_data();
    void followsTimeline();
    void answersLiveFeedPatches_data();
    void answersLiveFeedPatches();
    void gzipWhenAsked_data();
    void gzipWhenAsked();
    void errorPagesLookLikeTheService();
    void stalledRequestBlocksNothingAndEndsWithServer();
    void keepsConnectionsAliveUntilClose();
    void rejectsBadRequests_data();
    void rejectsBadRequests();
    void reportsManifestErrors_data();
    void reportsManifestErrors();
    void rebasesAndComposesDays();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ReplayServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

void TestReplayServer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(writeFile(m_dir.filePath(u"logo.png"_s), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    for (const char *step : { "1", "2", "3" })
        QVERIFY(writeFile(m_dir.filePath(QString::fromLatin1(step) + u".json"_s), step));
}

void TestReplayServer::init()
{
    m_server = std::make_unique<ReplayServer>();
    QVERIFY(m_server->listen());
    m_network = std::make_unique<QNetworkAccessManager>();
}

void TestReplayServer::cleanup()
{
    m_network.reset();
    m_server.reset();
}

void TestReplayServer::servesFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentType");
    const QByteArray json = "application/json;charset=UTF-8";
    QTest::newRow("file with a byte order mark")
        << QStringLiteral(BASELARK_TEST_DATA "/schedule-2022-04-07-postponed.json") << 200 << json;
    QTest::newRow("large feed with a 503")
        << QStringLiteral(BASELARK_TEST_DATA "/feed-live-final-748534.json") << 503 << json;
    QTest::newRow("club logo") << m_dir.filePath(u"logo.png"_s) << 200 << QByteArray("image/png");
}

void TestReplayServer::servesFiles()
{
    QFETCH(QString, file);
    QFETCH(int, status);
    QFETCH(QByteArray, contentType);
    m_server->addRoute({ .path = u"/some/file"_s, .files = { file }, .status = status });

    const auto reply = startGet(*m_network, *m_server, "/some/file");
    const Result result = finish(*reply);
    QCOMPARE(result.status, status);
    QCOMPARE(result.contentType, contentType);
    QCOMPARE(result.body, readFile(file));
}

void TestReplayServer::matchesQuery_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("exact parameter") << QByteArray("/api/v1/schedule?date=2022-04-07") << 200 << QByteArray("A");
    QTest::newRow("parameters a subset of the query, first match wins")
        << QByteArray("/api/v1/schedule?sportId=1&date=2022-04-07&hydrate=linescore") << 200 << QByteArray("A");
    QTest::newRow("unencoded parentheses and commas")
        << QByteArray("/api/v1/schedule?sportId=1&hydrate=broadcasts(all),linescore") << 200 << QByteArray("C");
    QTest::newRow("percent-encoded value")
        << QByteArray("/api/v1/schedule?hydrate=broadcasts%28all%29%2Clinescore&sportId=1") << 200 << QByteArray("C");
    QTest::newRow("value prefix only") << QByteArray("/api/v1/schedule?date=2022-04-0") << 200 << QByteArray("Z");
    QTest::newRow("name in other case") << QByteArray("/api/v1/schedule?Date=2022-04-07") << 200 << QByteArray("Z");
    QTest::newRow("catch-all without query") << QByteArray("/api/v1/schedule") << 200 << QByteArray("Z");
    QTest::newRow("longer path") << QByteArray("/api/v1/schedule/games?date=2022-04-07") << 404 << QByteArray();
}

void TestReplayServer::matchesQuery()
{
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    const QString path = u"/api/v1/schedule"_s;
    m_server->addRoute({ .path = path, .params = { { u"date"_s, u"2022-04-07"_s } }, .body = "A" });
    m_server->addRoute(
        { .path = path, .params = { { u"date"_s, u"2022-04-07"_s }, { u"sportId"_s, u"1"_s } }, .body = "B" });
    m_server->addRoute({ .path = path,
        .params = { { u"hydrate"_s, u"broadcasts(all),linescore"_s }, { u"sportId"_s, u"1"_s } },
        .body = "C" });
    m_server->addRoute({ .path = path, .body = "Z" });

    const auto reply = startGet(*m_network, *m_server, target);
    const Result result = finish(*reply);
    QCOMPARE(result.status, status);
    if (status == 200) QCOMPARE(result.body, body);
    QCOMPARE(m_server->requestLog(), QStringList { QString::fromUtf8(target) });
}

void TestReplayServer::answersFilesInTurn()
{
    const QStringList steps { m_dir.filePath(u"1.json"_s), m_dir.filePath(u"2.json"_s), m_dir.filePath(u"3.json"_s) };
    m_server->addRoute({ .path = u"/api/v1.1/game/1/feed/live"_s, .files = steps });
    m_server->addRoute({ .path = u"/api/v1.1/game/2/feed/live"_s, .files = steps });

    QByteArray seen;
    for (const char game : QByteArray("11211"))
        seen += finish(*startGet(*m_network, *m_server, "/api/v1.1/game/" + QByteArray(1, game) + "/feed/live")).body;
    QCOMPARE(seen, QByteArray("12133"));
}

void TestReplayServer::followsTimeline_data()
{
    QTest::addColumn<qint64>("second");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("before the second entry") << qint64(119) << QByteArray("1");
    QTest::newRow("at the second entry") << qint64(120) << QByteArray("2");
    QTest::newRow("last entry") << qint64(300) << QByteArray("3");
    QTest::newRow("long after") << qint64(86400) << QByteArray("3");
}

void TestReplayServer::followsTimeline()
{
    QFETCH(qint64, second);
    QFETCH(QByteArray, body);
    const QString path = m_dir.filePath(u"timeline.json"_s);
    QVERIFY(writeFile(path,
        R"({"routes":[{"path":"/a","timeline":[{"at":0,"file":"1.json"},{"at":120,"file":"2.json"},)"
        R"({"at":300,"file":"3.json"}]}]})"));
    QString error;
    QVERIFY2(m_server->loadManifest(path, &error), qPrintable(error));
    m_server->setUptime([second] { return second; });

    // The same answer however often it is asked for: the clock alone moves the timeline.
    for (int i = 0; i < 2; ++i) {
        const auto reply = startGet(*m_network, *m_server, "/a");
        QCOMPARE(finish(*reply).body, body);
    }
}

// (The empty answer when nothing is new is tst_livefeedstore's.)
void TestReplayServer::answersLiveFeedPatches_data()
{
    QTest::addColumn<qint64>("second");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<QString>("expected");
    QTest::newRow("from the first entry") << qint64(60) << qint64(0) << u"patch"_s;
    QTest::newRow("from a time stamp of no entry") << qint64(60) << qint64(30) << u"whole"_s;
    QTest::newRow("from an entry still to come") << qint64(30) << qint64(60) << u"whole"_s;
}

void TestReplayServer::answersLiveFeedPatches()
{
    QFETCH(qint64, second);
    QFETCH(qint64, start);
    QFETCH(QString, expected);
    const auto feed = [](int outs) {
        return R"({"gamePk":1,"gameData":{},"liveData":{"linescore":{"outs":)" + QByteArray::number(outs) + "}}}";
    };
    QVERIFY(writeFile(m_dir.filePath(u"feed-1.json"_s), feed(1)));
    QVERIFY(writeFile(m_dir.filePath(u"feed-2.json"_s), feed(2)));
    m_server->addRoute({ .path = u"/api/v1.1/game/1/feed/live"_s,
        .timeline = { { 0, m_dir.filePath(u"feed-1.json"_s) }, { 60, m_dir.filePath(u"feed-2.json"_s) } } });
    m_server->setUptime([] { return 0; });
    LiveFeedDocument document;
    QCOMPARE(document.replace(finish(*startGet(*m_network, *m_server, "/api/v1.1/game/1/feed/live")).body),
        LiveFeedDocument::Outcome::Replaced);
    QCOMPARE(document.timeStamp(), m_server->timelineTimecode(0));

    m_server->setUptime([second] { return second; });
    const QByteArray target = "/api/v1.1/game/1/feed/live/diffPatch?language=en&startTimecode="
        + m_server->timelineTimecode(start).toUtf8();
    const QByteArray answer = finish(*startGet(*m_network, *m_server, target)).body;
    QVERIFY(answer.startsWith(expected == u"patch"_s ? "[{\"diff\":[" : "{"));
    // Patched or taken whole, the kept feed is now the entry answering at that second.
    QCOMPARE_NE(document.apply(answer), LiveFeedDocument::Outcome::Rejected);
    QCOMPARE(document.timeStamp(), m_server->timelineTimecode(second < 60 ? 0 : 60));
    QCOMPARE(document.json()["liveData"]["linescore"]["outs"].get<int>(), second < 60 ? 1 : 2);
}

void TestReplayServer::gzipWhenAsked_data()
{
    QTest::addColumn<QByteArray>("acceptEncoding");
    QTest::addColumn<bool>("gzip");
    QTest::newRow("gzip") << QByteArray("gzip") << true;
    QTest::newRow("among others, weighted") << QByteArray("br, GZIP;q=0.5") << true;
    QTest::newRow("refused") << QByteArray("gzip;q=0") << false;
    QTest::newRow("others only") << QByteArray("deflate, br") << false;
}

void TestReplayServer::gzipWhenAsked()
{
    QFETCH(QByteArray, acceptEncoding);
    QFETCH(bool, gzip);
    const QString file = QStringLiteral(BASELARK_TEST_DATA "/feed-live-inprogress-633860.json");
    m_server->addRoute({ .path = u"/feed"_s, .files = { file } });
    bool closed = false;
    const QByteArray response = exchange(m_server->port(),
        "GET /feed HTTP/1.1\r\nHost: x\r\nAccept-Encoding: " + acceptEncoding + "\r\nConnection: close\r\n\r\n",
        &closed);
    QCOMPARE(response.contains("\r\nContent-Encoding: gzip\r\n"), gzip);
    QVERIFY(response.size() < (gzip ? readFile(file).size() / 5 : readFile(file).size() + 1000));

    // Qt asks for gzip on its own and takes it apart again.
    const auto reply = startGet(*m_network, *m_server, "/feed");
    QCOMPARE(finish(*reply).body, readFile(file));
    QCOMPARE(reply->rawHeader("Content-Encoding"), QByteArray("gzip"));
}

// An unknown path answers the service's JSON 404; the html500 fault its HTML error page; a huge body is well-formed
// JSON as far as it goes. (What the client makes of every fault is tst_mlbapiservice's.)
void TestReplayServer::errorPagesLookLikeTheService()
{
    m_server->addRoute({ .path = u"/html"_s, .body = "{}", .fault = Fault::Html500 });
    const Result html = finish(*startGet(*m_network, *m_server, "/html"));
    QCOMPARE(html.contentType, QByteArray("text/html;charset=UTF-8"));
    QVERIFY(html.body.startsWith("<!DOCTYPE html>"));

    const Result result = finish(*startGet(*m_network, *m_server, "/api/v1/nothing?x=1"));
    QCOMPARE(m_server->unansweredLog(), QStringList { u"/api/v1/nothing?x=1"_s });
    QCOMPARE(result.status, 404);
    QCOMPARE(result.contentType, QByteArray("application/json;charset=UTF-8"));
    QVERIFY(result.body.startsWith(R"({"messageNumber":10,"message":"Object not found","timestamp":")"));

    m_server->addRoute({ .path = u"/huge"_s, .fault = Fault::Huge, .hugeBytes = 100 });
    const QByteArray huge = finish(*startGet(*m_network, *m_server, "/huge")).body;
    QCOMPARE(huge.size(), 100);
    QVERIFY(!QJsonDocument::fromJson(huge).isNull());
}

void TestReplayServer::stalledRequestBlocksNothingAndEndsWithServer()
{
    m_server->addRoute({ .path = u"/stall"_s, .fault = Fault::Stall });
    m_server->addRoute({ .path = u"/ok"_s, .body = "{}" });
    const auto stalled = startGet(*m_network, *m_server, "/stall");
    QTRY_COMPARE(m_server->requestLog().size(), 1);

    const auto other = startGet(*m_network, *m_server, "/ok");
    QCOMPARE(finish(*other).body, QByteArray("{}"));
    QVERIFY(!stalled->isFinished());

    m_server.reset();
    QVERIFY(finish(*stalled).error != QNetworkReply::NoError);
}

void TestReplayServer::keepsConnectionsAliveUntilClose()
{
    m_server->addRoute({ .path = u"/a"_s, .body = "A" });
    m_server->addRoute({ .path = u"/b"_s, .body = "BB" });
    bool closed = false;
    const QByteArray answers = exchange(m_server->port(),
        "GET /a HTTP/1.1\r\nHost: x\r\n\r\nGET /b HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", &closed);
    QVERIFY(closed);
    const qsizetype second = answers.indexOf("HTTP/1.1 200", 1);
    QVERIFY(answers.first(second).contains("Content-Length: 1\r\nConnection: keep-alive\r\n\r\nA"));
    QVERIFY(answers.sliced(second).endsWith("Content-Length: 2\r\nConnection: close\r\n\r\nBB"));
}

void TestReplayServer::rejectsBadRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("no version") << QByteArray("GET /\r\n\r\n");
    QTest::newRow("unsupported version") << QByteArray("GET / HTTP/2.0\r\n\r\n");
    QTest::newRow("target not a path") << QByteArray("GET api/v1/schedule HTTP/1.1\r\n\r\n");
    QTest::newRow("tls handshake") << QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11);
    QTest::newRow("endless head") << "GET /" + QByteArray(70000, 'a');
}

void TestReplayServer::rejectsBadRequests()
{
    QFETCH(QByteArray, request);
    m_server->addRoute({ .path = u"/"_s, .body = "{}" });
    bool closed = false;
    const QByteArray answer = exchange(m_server->port(), request, &closed);
    QVERIFY2(answer.startsWith("HTTP/1.1 400 Bad Request\r\n"), answer.constData());
    QVERIFY(closed);
    QVERIFY(m_server->requestLog().isEmpty());
}

void TestReplayServer::reportsManifestErrors_data()
{
    QTest::addColumn<QByteArray>("manifest");
    QTest::addColumn<QString>("problem");
    QTest::newRow("no manifest") << QByteArray() << u"cannot open"_s;
    QTest::newRow("not json") << QByteArray("{\"routes\": [") << u"not valid JSON"_s;
    QTest::newRow("unknown key") << QByteArray(R"({"routes":[{"path":"/a","param":{}}]})")
                                 << u"routes[0]: unknown key \"param\""_s;
    QTest::newRow("relative path") << QByteArray(R"({"routes":[{"path":"a"}]})") << u"routes[0].path"_s;
    QTest::newRow("missing recording") << QByteArray(
        R"({"routes":[{"path":"/a"},{"path":"/b","files":["1.json","x.json"]}]})")
                                       << u"routes[1]: no readable file \"x.json\""_s;
    QTest::newRow("file and files") << QByteArray(R"({"routes":[{"path":"/a","file":"1.json","files":["2.json"]}]})")
                                    << u"only one of"_s;
    QTest::newRow("timeline not from 0") << QByteArray(
        R"({"routes":[{"path":"/a","timeline":[{"at":5,"file":"1.json"}]}]})")
                                         << u"routes[0].timeline[0].at must be 0"_s;
    QTest::newRow("timeline out of order")
        << QByteArray(R"({"routes":[{"path":"/a","timeline":[{"at":0,"file":"1.json"},{"at":0,"file":"2.json"}]}]})")
        << u"routes[0].timeline[1].at must be later"_s;
    QTest::newRow("bad rebase day") << QByteArray(R"({"routes":[{"path":"/a","rebaseDay":"2026-3-18"}]})")
                                    << u"routes[0].rebaseDay"_s;
}

void TestReplayServer::reportsManifestErrors()
{
    QFETCH(QByteArray, manifest);
    QFETCH(QString, problem);
    const QString path = m_dir.filePath(u"manifest.json"_s);
    QFile::remove(path);
    if (!manifest.isNull()) QVERIFY(writeFile(path, manifest));

    QString error;
    QVERIFY(!m_server->loadManifest(path, &error));
    QVERIFY2(error.startsWith(path) && error.contains(problem), qPrintable(error));
    const auto reply = startGet(*m_network, *m_server, "/a");
    QCOMPARE(finish(*reply).status, 404);
}

void TestReplayServer::rebasesAndComposesDays()
{
    const QByteArray body = R"({"copyright":"2026-03-18 notice","date":"2026-03-18","gameDate":"2026-03-31T23:05:00Z",)"
                            R"("rescheduleGameDate":"2026-02-28T17:05:00-04:00"})";
    QCOMPARE(rebasedBody(body, 1),
        QByteArray(R"({"copyright":"2026-03-18 notice","date":"2026-03-19","gameDate":"2026-04-01T23:05:00Z",)"
                   R"("rescheduleGameDate":"2026-03-01T17:05:00-04:00"})"));

    // A stretch of days is put together from the single days' routes, each cut to its own day; a failing day fails
    // it all; a route of its own for the stretch, or a club's schedule, answers as it is.
    const QString path = u"/api/v1/schedule"_s;
    const auto day = [](const QByteArray &date, const QByteArray &games) {
        return R"({"dates":[{"date":")" + date + R"(","games":[)" + games + "]}]}";
    };
    m_server->addRoute({ .path = path,
        .params = { { u"date"_s, u"2026-04-20"_s } },
        .body = day("2026-04-20", R"({"gamePk":0},{"gamePk":1})") });
    m_server->addRoute({ .path = path, .params = { { u"date"_s, u"2026-04-22"_s } }, .fault = Fault::Html500 });
    m_server->addRoute({ .path = path, .params = { { u"teamId"_s, u"147"_s } }, .body = "club" });
    m_server->addRoute({ .path = path, .params = { { u"startDate"_s, u"2026-05-01"_s } }, .body = "stretch" });
    // Every other day answers with a recording of some other day, which a stretch leaves out.
    m_server->addRoute({ .path = path, .body = day("2026-03-18", R"({"gamePk":0})") });

    const auto get = [&](const QByteArray &query) {
        const auto reply = startGet(*m_network, *m_server, path.toLatin1() + "?sportId=1&" + query);
        return finish(*reply);
    };
    const QJsonObject composed = QJsonDocument::fromJson(get("startDate=2026-04-19&endDate=2026-04-21").body).object();
    QCOMPARE(composed[u"dates"].toArray().size(), 1);
    QCOMPARE(composed[u"dates"][0][u"date"].toString(), u"2026-04-20"_s);
    QCOMPARE(composed[u"totalGames"].toInteger(), 2);
    QCOMPARE(get("startDate=2026-04-20&endDate=2026-04-22").status, 500);
    QCOMPARE(get("teamId=147&startDate=2026-04-19&endDate=2026-04-21").body, QByteArray("club"));
    QCOMPARE(get("startDate=2026-05-01&endDate=2026-05-02").body, QByteArray("stretch"));
}

QTEST_GUILESS_MAIN(TestReplayServer)
#include "tst_replayserver.moc"
